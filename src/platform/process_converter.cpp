#include "document_converter.h"

#include "converter_run.h"

#include "app/app_error.h"
#include "documents/document_file.h"
#include "documents/text_codec.h"
#include "documents/text_recognition.h"
#include "documents/word_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QString fastWordText(const QString& antiword, const QString& path, int timeoutMs,
                     const ConversionCancelled& cancelled) {
    const ConverterRun run =
        runConverter(antiword,
                     {QStringLiteral("-m"), QStringLiteral("UTF-8.txt"), QStringLiteral("-w"),
                      QStringLiteral("0"), absoluteConverterPath(path)},
                     timeoutMs, cancelled);
    if (run.exitCode != 0 || !isUsableWordConverterOutput(run.output, run.errors))
        return {};
    return wordConverterText(run.output);
}

// The office suite with a profile of its own, so that a running instance of it is not asked.
QString officeWordText(const QString& office, const QString& path, int timeoutMs,
                       const ConversionCancelled& cancelled) {
    QTemporaryDir work;
    const QString out = work.filePath(QStringLiteral("out"));
    const ConverterRun run =
        runConverter(office,
                     {QStringLiteral("-env:UserInstallation=") +
                          QUrl::fromLocalFile(work.filePath(QStringLiteral("profile"))).toString(),
                      QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                      QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("--outdir"), out,
                      absoluteConverterPath(path)},
                     timeoutMs, cancelled);
    QFile text(QDir(out).filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".txt")));
    if (run.exitCode != 0 || !text.open(QIODevice::ReadOnly))
        return {};
    if (text.size() > MaxDocumentFileSize)
        throw AppError(QStringLiteral("Word文档 \"%1\" 的文字超过 %2 MB，无法打开")
                           .arg(path)
                           .arg(MaxDocumentFileSize / (1024 * 1024)));
    return decodeText(text.readAll());
}

} // namespace

QString ProcessConverter::wordText(const QString& path, const ConversionCancelled& cancelled) {
    const QString antiword = QStandardPaths::findExecutable(QStringLiteral("antiword"));
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (antiword.isEmpty() && office.isEmpty()) {
        throw AppError(QStringLiteral("没有找到Word文档的转换程序，请先安装 "
                                      "libreoffice-writer-nogui 软件包"));
    }
    if (!antiword.isEmpty()) {
        const QString text = fastWordText(antiword, path, m_timeoutMs, cancelled);
        if (!text.trimmed().isEmpty())
            return text;
    }
    // What antiword could not read right needs the office suite.
    if (office.isEmpty()) {
        throw AppError(QStringLiteral("antiword 无法正确读出Word文档 \"%1\" 的文字，请先安装 "
                                      "libreoffice-writer-nogui 软件包")
                           .arg(path));
    }
    const QString text = officeWordText(office, path, m_timeoutMs, cancelled);
    if (!text.trimmed().isEmpty())
        return text;
    throw AppError(
        QStringLiteral("无法读出Word文档 \"%1\" 的文字：文件已损坏、已加密或不是Word文档")
            .arg(path));
}

QString ProcessConverter::pdfText(const QString& path, const ConversionCancelled& cancelled,
                                  const Recognition& recognition) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        throw AppError(QStringLiteral("没有找到PDF文件的转换程序，请先安装 poppler-utils 软件包"));
    const ConverterRun run =
        runConverter(pdftotext,
                     {QStringLiteral("-q"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                      absoluteConverterPath(path), QStringLiteral("-")},
                     m_timeoutMs, cancelled);
    if (run.exitCode == 3)
        throw AppError(QStringLiteral("PDF文件 \"%1\" 已加密，不允许取出文字").arg(path));
    if (run.exitCode != 0)
        throw AppError(
            QStringLiteral("无法读出PDF文件 \"%1\" 的文字：文件已损坏、有打开密码或不是PDF文件")
                .arg(path));
    // Page breaks are form feeds; a voice has nothing to say about them.
    const QString text = recognisePdfPages(path, extractedPages(QString::fromUtf8(run.output)),
                                           cancelled, recognition)
                             .join(u'\n');
    if (text.trimmed().isEmpty())
        throw AppError(QStringLiteral("PDF文件 \"%1\" 中没有可以朗读的文字").arg(path));
    return text;
}
