#include "voice_download.h"

#include "app/app_error.h"
#include "platform/file_download.h"
#include "platform/speech/neural_voice_folder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const QString NoConnection =
    QStringLiteral("无法连接到下载服务器，请检查网络连接；也可以先用浏览器下载语音压缩包，再用"
                   "“导入压缩包”安装。");

void fail(const DownloadResult& result, const CatalogueVoice& voice, const QString& file) {
    using Outcome = DownloadResult::Outcome;
    switch (result.outcome) {
    case Outcome::NoConnection:
        throw AppError(NoConnection);
    case Outcome::Incomplete:
        throw AppError(
            QStringLiteral("语音“%1”没有下载完整，连接中途断开了，请重试").arg(voice.name));
    case Outcome::Refused:
        throw AppError(
            QStringLiteral("下载服务器没有提供语音“%1”（%2）").arg(voice.name, result.detail));
    case Outcome::WriteFailed:
        throw AppError(
            QStringLiteral("无法写入“%1”：%2").arg(QDir::toNativeSeparators(file), result.detail));
    default:
        throw AppError(QStringLiteral("无法下载语音“%1”：%2").arg(voice.name, result.detail));
    }
}

QString sha256(const QString& path) {
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        throw AppError(
            QStringLiteral("无法读取下载的文件“%1”").arg(QDir::toNativeSeparators(path)));
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

QString downloadVoice(const CatalogueVoice& voice, BackgroundJob::Control& control,
                      const NaturalVoiceStore::VoiceCheck& check, std::chrono::milliseconds stall) {
    const QString voices = neuralVoicesFolder();
    NaturalVoiceStore::removeAbandonedWork();
    // Checked before, so that a large download is not made for nothing.
    if (QFileInfo(voices + u'/' + voice.name).exists())
        throw AppError(QStringLiteral("已安装名为“%1”的语音").arg(voice.name));
    if (!QDir().mkpath(voices))
        throw AppError(QStringLiteral("无法创建文件夹“%1”").arg(QDir::toNativeSeparators(voices)));
    // Hidden, so that the voice list never sees it; removed with everything in it.
    const QTemporaryDir area(voices + QStringLiteral("/.download-XXXXXX"));
    if (!area.isValid())
        throw AppError(
            QStringLiteral("无法在“%1”里创建文件夹").arg(QDir::toNativeSeparators(voices)));
    const QString part = area.filePath(voice.name + QStringLiteral(".part"));
    const DownloadResult result =
        downloadFile({catalogueVoiceAddress(voice), part,
                      [&](qint64 done, qint64 total) { control.report(done, total); },
                      [&] { return control.cancelled(); }, stall});
    if (result.outcome == DownloadResult::Outcome::Cancelled || control.cancelled())
        return {};
    if (result.outcome != DownloadResult::Outcome::Done)
        fail(result, voice, part);
    if (!voice.sha256.isEmpty() && sha256(part) != voice.sha256.toLower())
        throw AppError(QStringLiteral("下载的语音“%1”与应有的校验值不符，文件可能已损坏，请重试")
                           .arg(voice.name));
    // The store knows an archive by its name.
    const QString archive = area.filePath(voice.name + QStringLiteral(".tar.bz2"));
    if (!QFile::rename(part, archive))
        throw AppError(QStringLiteral("无法改名“%1”").arg(QDir::toNativeSeparators(part)));
    return NaturalVoiceStore::install(archive, check);
}
