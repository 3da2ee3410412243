#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QMimeData;

// Takes drops of local files on the widgets it watches and hands over their paths in drop
// order. Other data is left to the widget (the editor takes dropped text) or refused.
class FileDropTarget : public QObject {
public:
    explicit FileDropTarget(std::function<void(const QStringList&)> dropped, QObject* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QStringList&)> m_dropped;
};

// The local files a drop carries, in order; empty when it carries anything else.
QStringList droppedFiles(const QMimeData* data);
