// The recogniser the converters run, one picture a run, so that the engine's memory and threads
// end with each page and a cancel ends the process:
//   parlora-ocr-worker [--frame N] [--resolution DPI] LANGUAGES PICTURE   its text, as UTF-8
//   parlora-ocr-worker --installed                     the recognition data, one language a line
// Exit codes: 0 read, 2 wrong arguments, 3 the languages' data cannot be loaded, 4 the picture
// cannot be read.
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <cstdio>
#include <memory>
#include <tesseract/baseapi.h>

namespace {

enum ExitCode { Read = 0, WrongArguments = 2, NoData = 3, NoPicture = 4 };

// Dots per inch below this are a file's placeholder rather than its scan's resolution.
constexpr int LeastResolution = 70;

int printInstalled(tesseract::TessBaseAPI& engine) {
    // The list comes from the data folder that loading the English data finds.
    if (engine.Init(nullptr, "eng") != 0)
        return Read;
    std::vector<std::string> languages;
    engine.GetAvailableLanguagesAsVector(&languages);
    for (const std::string& language : languages)
        std::printf("%s\n", language.c_str());
    return Read;
}

// Grey levels, transparent parts white as paper.
QImage greyPage(const QImage& picture) {
    if (!picture.hasAlphaChannel())
        return picture.convertToFormat(QImage::Format_Grayscale8);
    QImage paper(picture.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter(&paper).drawImage(0, 0, picture);
    return paper.convertToFormat(QImage::Format_Grayscale8);
}

int recognize(tesseract::TessBaseAPI& engine, const QString& languages, const QString& path,
              int frame, int resolution) {
    QImageReader reader(path);
    if (frame > 0 && !reader.jumpToImage(frame)) {
        std::fprintf(stderr, "%s\n", qPrintable(reader.errorString()));
        return NoPicture;
    }
    const QImage picture = reader.read();
    if (picture.isNull()) {
        std::fprintf(stderr, "%s\n", qPrintable(reader.errorString()));
        return NoPicture;
    }
    if (resolution <= 0)
        resolution = int(picture.dotsPerMeterX() * 0.0254 + 0.5);
    const QImage page = greyPage(picture);
    if (engine.Init(nullptr, languages.toUtf8().constData()) != 0)
        return NoData;
    engine.SetVariable("debug_file", "/dev/null");
    engine.SetImage(page.constBits(), page.width(), page.height(), 1, int(page.bytesPerLine()));
    if (resolution >= LeastResolution)
        engine.SetSourceResolution(resolution);
    const std::unique_ptr<char[]> text(engine.GetUTF8Text());
    if (text)
        std::fputs(text.get(), stdout);
    return Read;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    tesseract::TessBaseAPI engine;
    if (arguments == QStringList{QStringLiteral("--installed")})
        return printInstalled(engine);
    int frame = 0;
    int resolution = 0;
    while (arguments.size() > 2) {
        const QString option = arguments.takeFirst();
        bool number = false;
        const int value = arguments.takeFirst().toInt(&number);
        if (!number || value < 0)
            return WrongArguments;
        if (option == u"--frame")
            frame = value;
        else if (option == u"--resolution")
            resolution = value;
        else
            return WrongArguments;
    }
    if (arguments.size() != 2)
        return WrongArguments;
    return recognize(engine, arguments[0], arguments[1], frame, resolution);
}
