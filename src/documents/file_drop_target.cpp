#include "file_drop_target.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

FileDropTarget::FileDropTarget(std::function<void(const QStringList&)> dropped, QObject* parent)
    : QObject(parent), m_dropped(std::move(dropped)) {}

QStringList droppedFiles(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

bool FileDropTarget::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const QStringList paths = droppedFiles(drop->mimeData());
    if (paths.isEmpty())
        return QObject::eventFilter(watched, event);
    drop->acceptProposedAction();
    if (type == QEvent::Drop)
        m_dropped(paths);
    return true;
}
