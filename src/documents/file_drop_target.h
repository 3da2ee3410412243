#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>

class QMimeData;

// Takes drops of local files on the widgets it watches and hands over their paths in drop
// order, and drops of a web link (from a browser) and hands over the link. Other data is left
// to the widget (the editor takes dropped text as a paste) or refused.
class FileDropTarget : public QObject {
public:
    FileDropTarget(std::function<void(const QStringList&)> filesDropped,
                   std::function<void(const QUrl&)> linkDropped, QObject* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QStringList&)> m_filesDropped;
    std::function<void(const QUrl&)> m_linkDropped;
};

// The local files a drop carries, in order; empty when it carries anything else.
QStringList droppedFiles(const QMimeData* data);

// The http or https link a drop carries (a browser's text/x-moz-url, or a single address of the
// uri-list); empty when it carries anything else.
QUrl droppedWebLink(const QMimeData* data);
