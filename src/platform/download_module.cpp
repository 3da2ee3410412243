// Downloads with Qt's network library, in a module of its own: the library links Kerberos and
// proxy libraries that no start-up should pay for.
#include "file_download.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace {

constexpr int CancelPoll = 50; // milliseconds

bool unreachable(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
        return true;
    default:
        return false;
    }
}

// The body's length as the server announced it; 0 when it did not, or when the network library
// unpacks the body to another length.
qint64 announcedLength(const QNetworkReply& reply) {
    const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
    return length.isValid() && reply.rawHeader("Content-Encoding").isEmpty() ? length.toLongLong()
                                                                             : 0;
}

// What the reply came to once it has finished.
DownloadResult outcome(QNetworkReply& reply, qint64 written) {
    using Outcome = DownloadResult::Outcome;
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400)
        return {Outcome::Refused,
                QStringLiteral("HTTP %1 %2")
                    .arg(status)
                    .arg(reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
                    .trimmed()};
    const QNetworkReply::NetworkError error = reply.error();
    if (unreachable(error) || (error == QNetworkReply::RemoteHostClosedError && written == 0))
        return {Outcome::NoConnection, reply.errorString()};
    if (error == QNetworkReply::RemoteHostClosedError)
        return {Outcome::Incomplete, reply.errorString()};
    if (error != QNetworkReply::NoError)
        return {Outcome::Failed, reply.errorString()};
    const qint64 announced = announcedLength(reply);
    if (announced > 0 && announced != written)
        return {Outcome::Incomplete, QStringLiteral("%1 / %2").arg(written).arg(announced)};
    return {Outcome::Done, {}};
}

} // namespace

extern "C" Q_DECL_EXPORT DownloadResult parloraDownloadFile(const FileDownload& download) {
    QFile file(download.file);
    // Unbuffered: what has arrived is on disk, and a full disk is noticed at once.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return {DownloadResult::Outcome::WriteFailed, file.errorString()};
    QNetworkAccessManager network;
    QNetworkReply* reply = network.get(QNetworkRequest(download.address));
    // Called on the long operation's thread, never the window's: this loop serves only the
    // transfer, and the window cannot be closed from inside it.
    QEventLoop loop;
    QTimer stall;
    stall.setSingleShot(true);
    stall.setInterval(download.stall);
    QTimer poll;
    poll.setInterval(CancelPoll);
    bool stalled = false;
    bool writeFailed = false;
    qint64 written = 0;
    QObject::connect(&stall, &QTimer::timeout, reply, [&] {
        stalled = true;
        reply->abort();
    });
    QObject::connect(&poll, &QTimer::timeout, reply, [&] {
        if (download.cancelled())
            reply->abort();
    });
    // The network library's own progress signal comes at most every tenth of a second, and not
    // at all for the last data before a pause: each arrival is counted here instead.
    const auto keep = [&] {
        stall.start();
        const QByteArray bytes = reply->readAll();
        if (file.write(bytes) != bytes.size()) {
            writeFailed = true;
            reply->abort();
            return;
        }
        written += bytes.size();
        download.progress(written, announcedLength(*reply));
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, keep);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    stall.start();
    poll.start();
    loop.exec();
    if (!writeFailed && reply->isOpen())
        keep();
    DownloadResult result = outcome(*reply, written);
    delete reply;
    if (download.cancelled())
        result = {DownloadResult::Outcome::Cancelled, {}};
    else if (stalled)
        result = {DownloadResult::Outcome::NoConnection, {}};
    else if (writeFailed || (result.outcome == DownloadResult::Outcome::Done && !file.flush()))
        result = {DownloadResult::Outcome::WriteFailed, file.errorString()};
    return result;
}
