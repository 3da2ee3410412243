#include "document_converter.h"

#include "app/app_error.h"
#include "documents/text_codec.h"
#include "documents/word_text.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

// The converter's output; AppError when it does not end within the time-out.
Run runConverter(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    process.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        throw AppError(QStringLiteral("转换程序 %1 运行超过 %2 秒，已被停止")
                           .arg(QFileInfo(program).fileName())
                           .arg(timeoutMs / 1000.0));
    }
    Run run;
    const bool ended =
        process.exitStatus() == QProcess::NormalExit && process.error() != QProcess::FailedToStart;
    run.exitCode = ended ? process.exitCode() : -1;
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    return run;
}

// Leading dashes and relative names never reach a converter as options.
QString absolute(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

QString fastWordText(const QString& antiword, const QString& path, int timeoutMs) {
    const Run run = runConverter(antiword,
                                 {QStringLiteral("-m"), QStringLiteral("UTF-8.txt"),
                                  QStringLiteral("-w"), QStringLiteral("0"), absolute(path)},
                                 timeoutMs);
    if (run.exitCode != 0 || !isUsableWordConverterOutput(run.output, run.errors))
        return {};
    return wordConverterText(run.output);
}

// The office suite with a profile of its own, so that a running instance of it is not asked.
QString officeWordText(const QString& office, const QString& path, int timeoutMs) {
    QTemporaryDir work;
    const QString out = work.filePath(QStringLiteral("out"));
    const Run run =
        runConverter(office,
                     {QStringLiteral("-env:UserInstallation=") +
                          QUrl::fromLocalFile(work.filePath(QStringLiteral("profile"))).toString(),
                      QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                      QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("--outdir"), out,
                      absolute(path)},
                     timeoutMs);
    QFile text(QDir(out).filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".txt")));
    if (run.exitCode != 0 || !text.open(QIODevice::ReadOnly))
        return {};
    return decodeText(text.readAll());
}

} // namespace

QString ProcessConverter::wordText(const QString& path) {
    const QString antiword = QStandardPaths::findExecutable(QStringLiteral("antiword"));
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (antiword.isEmpty() && office.isEmpty()) {
        throw AppError(QStringLiteral("没有找到Word文档的转换程序，请先安装 "
                                      "libreoffice-writer-nogui 软件包"));
    }
    if (!antiword.isEmpty()) {
        const QString text = fastWordText(antiword, path, m_timeoutMs);
        if (!text.trimmed().isEmpty())
            return text;
    }
    // What antiword could not read right needs the office suite.
    if (office.isEmpty()) {
        throw AppError(QStringLiteral("antiword 无法正确读出Word文档 \"%1\" 的文字，请先安装 "
                                      "libreoffice-writer-nogui 软件包")
                           .arg(path));
    }
    const QString text = officeWordText(office, path, m_timeoutMs);
    if (!text.trimmed().isEmpty())
        return text;
    throw AppError(
        QStringLiteral("无法读出Word文档 \"%1\" 的文字：文件已损坏、已加密或不是Word文档")
            .arg(path));
}

QString ProcessConverter::pdfText(const QString& path) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        throw AppError(QStringLiteral("没有找到PDF文件的转换程序，请先安装 poppler-utils 软件包"));
    const Run run = runConverter(pdftotext,
                                 {QStringLiteral("-q"), QStringLiteral("-enc"),
                                  QStringLiteral("UTF-8"), absolute(path), QStringLiteral("-")},
                                 m_timeoutMs);
    if (run.exitCode == 3)
        throw AppError(QStringLiteral("PDF文件 \"%1\" 已加密，不允许取出文字").arg(path));
    if (run.exitCode != 0)
        throw AppError(
            QStringLiteral("无法读出PDF文件 \"%1\" 的文字：文件已损坏、有打开密码或不是PDF文件")
                .arg(path));
    // Page breaks are form feeds; a voice has nothing to say about them.
    QString text = QString::fromUtf8(run.output).replace(u'\f', u'\n');
    if (text.trimmed().isEmpty())
        throw AppError(QStringLiteral("PDF文件 \"%1\" 中没有可以朗读的文字").arg(path));
    return text;
}
