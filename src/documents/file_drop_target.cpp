#include "file_drop_target.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

FileDropTarget::FileDropTarget(std::function<void(const QStringList&)> filesDropped,
                               std::function<void(const QUrl&)> linkDropped, QObject* parent)
    : QObject(parent), m_filesDropped(std::move(filesDropped)),
      m_linkDropped(std::move(linkDropped)) {}

namespace {

bool isWebAddress(const QUrl& url) {
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") &&
           !url.host().isEmpty();
}

} // namespace

QUrl droppedWebLink(const QMimeData* data) {
    if (!data)
        return {};
    const QString moz = QStringLiteral("text/x-moz-url");
    if (data->hasFormat(moz)) {
        // UTF-16: the address, a line break, the link's title.
        const QByteArray bytes = data->data(moz);
        const QString text = QString::fromUtf16(
            reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
        const QUrl url(text.section(u'\n', 0, 0).trimmed(), QUrl::StrictMode);
        if (isWebAddress(url))
            return url;
    }
    const QList<QUrl> urls = data->urls();
    if (urls.size() == 1 && isWebAddress(urls.front()))
        return urls.front();
    return {};
}

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
    const QUrl link = paths.isEmpty() ? droppedWebLink(drop->mimeData()) : QUrl();
    if (paths.isEmpty() && link.isEmpty())
        return QObject::eventFilter(watched, event);
    drop->acceptProposedAction();
    if (type == QEvent::Drop && !paths.isEmpty())
        m_filesDropped(paths);
    else if (type == QEvent::Drop)
        m_linkDropped(link);
    return true;
}
