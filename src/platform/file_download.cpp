#include "file_download.h"

#include <QCoreApplication>
#include <QLibrary>

DownloadResult downloadFile(const FileDownload& download) {
    // Never unloaded: the network library keeps global state of its own.
    QLibrary module(QCoreApplication::applicationDirPath() +
                    QStringLiteral("/parlora_download.so"));
    const auto fetch =
        reinterpret_cast<DownloadFileFunction>(module.resolve("parloraDownloadFile"));
    if (!fetch)
        return {DownloadResult::Outcome::Failed,
                QStringLiteral("无法载入下载模块：%1").arg(module.errorString())};
    return fetch(download);
}
