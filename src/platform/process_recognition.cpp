// Scanned PDF pages and pictures read by the recogniser program, one page a run.
#include "document_converter.h"

#include "converter_run.h"

#include "app/app_error.h"
#include "documents/text_recognition.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

constexpr int PdfResolution = 300; // dots per inch, the resolution the recogniser reads best
// Pages are cut to an A2 sheet at that resolution: a page size out of a hostile file must not
// fill the disk and the memory with one picture.
constexpr int MaxPdfPagePixels = 7100;

// The recogniser's exit codes beside success: no data for the languages, no picture; and the
// dynamic loader's when a library is missing.
constexpr int NoData = 3;
constexpr int NoPicture = 4;
constexpr int MissingLibrary = 127;

// The recogniser runs its engine on one thread: its threads spin while they wait, which takes
// several times longer on a busy machine than one thread working alone.
QProcessEnvironment recognizerEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("OMP_THREAD_LIMIT")))
        environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    return environment;
}

} // namespace

// The recogniser in the languages chosen once for the document, page after page.
class ProcessConverter::PageReader {
public:
    PageReader(const ProcessConverter& converter, const QString& document,
               const ConversionCancelled& cancelled, const Recognition& recognition, int pages)
        : m_program(converter.m_recognizer), m_timeoutMs(converter.m_timeoutMs),
          m_document(document), m_cancelled(cancelled), m_recognition(recognition), m_pages(pages),
          m_environment(recognizerEnvironment()) {
        if (!QFileInfo(m_program).isExecutable())
            throw AppError(QStringLiteral("没有找到文字识别程序 \"%1\"").arg(m_program));
        const ConverterRun run = recognize({QStringLiteral("--installed")});
        const QStringList installed = QString::fromUtf8(run.output).split(u'\n');
        const QStringList languages = recognitionLanguages(recognition.voiceLanguage, installed);
        QStringList missing;
        for (const QString& language : languages) {
            if (!installed.contains(language))
                missing << recognitionDataPackage(language);
        }
        if (!missing.isEmpty()) {
            throw AppError(
                QStringLiteral("没有找到识别 \"%1\" 中的文字所需的数据，请先安装 %2 软件包")
                    .arg(document, missing.join(u' ')));
        }
        m_languages = languages.join(u'+');
    }

    // The text of a picture's frame, read at the resolution it gives or the one told.
    QString read(const QString& picture, int frame, int resolution = 0) {
        ++m_page;
        if (m_recognition.pageStarted)
            m_recognition.pageStarted(m_page, m_pages);
        QStringList arguments{QStringLiteral("--frame"), QString::number(frame)};
        if (resolution > 0)
            arguments << QStringLiteral("--resolution") << QString::number(resolution);
        arguments << m_languages << absoluteConverterPath(picture);
        const ConverterRun run = recognize(arguments);
        return recognisedText(QString::fromUtf8(run.output));
    }

    // A page rendered by the PDF renderer, then read.
    QString readPdfPage(int page) {
        const QString renderer = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (renderer.isEmpty())
            throw AppError(
                QStringLiteral("没有找到PDF页面的转换程序，请先安装 poppler-utils 软件包"));
        QTemporaryDir work;
        const QString base = work.filePath(QStringLiteral("page"));
        const QString number = QString::number(page);
        const QString size = QString::number(MaxPdfPagePixels);
        const ConverterRun run = runConverter(
            renderer,
            {QStringLiteral("-q"), QStringLiteral("-r"), QString::number(PdfResolution),
             QStringLiteral("-W"), size, QStringLiteral("-H"), size, QStringLiteral("-gray"),
             QStringLiteral("-f"), number, QStringLiteral("-l"), number,
             QStringLiteral("-singlefile"), absoluteConverterPath(m_document), base},
            m_timeoutMs, m_cancelled);
        const QString picture = base + QStringLiteral(".pgm");
        if (run.exitCode != 0 || !QFileInfo::exists(picture)) {
            throw AppError(
                QStringLiteral("无法把PDF文件 \"%1\" 的第 %2 页转成图片").arg(m_document, number));
        }
        return read(picture, 0, PdfResolution);
    }

private:
    ConverterRun recognize(const QStringList& arguments) {
        const ConverterRun run =
            runConverter(m_program, arguments, m_timeoutMs, m_cancelled, m_environment);
        switch (run.exitCode) {
        case 0:
            return run;
        case MissingLibrary:
            throw AppError(QStringLiteral("文字识别程序无法启动，请先安装 libtesseract5 软件包"));
        case NoData:
            throw AppError(QStringLiteral("无法载入文字识别数据 %1").arg(m_languages));
        case NoPicture:
            throw AppError(
                QStringLiteral("无法读出图片 \"%1\"：文件已损坏或不是图片").arg(m_document));
        default:
            throw AppError(QStringLiteral("文字识别程序没有正常结束，无法识别 \"%1\" 中的文字")
                               .arg(m_document));
        }
    }

    QString m_program;
    int m_timeoutMs;
    QString m_document;
    const ConversionCancelled& m_cancelled;
    const Recognition& m_recognition;
    int m_page = 0;
    int m_pages;
    QProcessEnvironment m_environment;
    QString m_languages;
};

ProcessConverter::ProcessConverter(int timeoutMs, QString recognizer)
    : m_timeoutMs(timeoutMs),
      m_recognizer(recognizer.isEmpty() ? QCoreApplication::applicationDirPath() +
                                              QStringLiteral("/parlora-ocr-worker")
                                        : std::move(recognizer)) {}

QStringList ProcessConverter::recognisePdfPages(const QString& path, QStringList pages,
                                                const ConversionCancelled& cancelled,
                                                const Recognition& recognition) const {
    QList<int> scanned;
    for (int i = 0; i < pages.size(); ++i) {
        if (isScannedPage(pages[i]))
            scanned << i;
    }
    if (scanned.isEmpty())
        return pages;
    PageReader reader(*this, path, cancelled, recognition, int(scanned.size()));
    for (const int index : scanned)
        pages[index] = reader.readPdfPage(index + 1);
    return pages;
}

QString ProcessConverter::pictureText(const QString& path, const ConversionCancelled& cancelled,
                                      const Recognition& recognition) {
    // A pipe or a device would hang the reader.
    const QFileInfo file(path);
    if (file.exists() && !file.isFile())
        throw AppError(QStringLiteral("Cannot open file \"%1\". 这不是普通文件").arg(path));
    if (QFile readable(path); !readable.open(QIODevice::ReadOnly)) {
        throw AppError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, readable.errorString()));
    }
    QImageReader picture(path);
    if (!picture.canRead()) {
        throw AppError(QStringLiteral("无法读出图片 \"%1\"：文件已损坏或不是图片").arg(path));
    }
    const int frames = std::max(1, picture.imageCount());
    PageReader reader(*this, path, cancelled, recognition, frames);
    QStringList pages;
    for (int frame = 0; frame < frames; ++frame)
        pages << reader.read(path, frame);
    QString text = pages.join(u'\n');
    if (text.trimmed().isEmpty())
        throw AppError(QStringLiteral("图片 \"%1\" 中没有认出可以朗读的文字").arg(path));
    return text;
}
