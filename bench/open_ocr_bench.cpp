// Reading scanned pages, for bench/open.
//   open_ocr_bench <folder>      writes page.png and scan.pdf there (a 300 dpi A4 page of Chinese
//                                and English at 12 pt), reads each as the window does and prints
//                                "<kind> <milliseconds> <character error rate>" (median of 3)
//   open_ocr_bench --cer <file>  the character error rate of a reading of that page
#include "../tests/documents/scanned_page.h"
#include "app/app_error.h"
#include "platform/document_converter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPdfWriter>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void writePdf(const QString& path, const QImage& page) {
    QPdfWriter pdf(path);
    pdf.setResolution(300);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins({});
    QPainter painter(&pdf);
    painter.drawImage(QRect(0, 0, pdf.width(), pdf.height()), page);
}

void measure(const char* kind, const QString& path) {
    ProcessConverter converter;
    std::vector<qint64> times;
    QString text;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer clock;
        clock.start();
        text = path.endsWith(u".pdf") ? converter.pdfText(path) : converter.pictureText(path);
        times.push_back(clock.elapsed());
    }
    std::sort(times.begin(), times.end());
    std::printf("%s %lld %.4f\n", kind, static_cast<long long>(times[1]),
                characterErrorRate(scannedPageText(), text));
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() == 2 && arguments[0] == u"--cer") {
        QFile reading(arguments[1]);
        if (!reading.open(QIODevice::ReadOnly))
            return 1;
        std::printf("%.4f\n",
                    characterErrorRate(scannedPageText(), QString::fromUtf8(reading.readAll())));
        return 0;
    }
    if (arguments.size() != 1) {
        std::fputs("usage: open_ocr_bench <folder> | --cer <file>\n", stderr);
        return 2;
    }
    const QImage page = scannedPage(scannedPageText());
    const QString picture = arguments[0] + QStringLiteral("/page.png");
    const QString pdf = arguments[0] + QStringLiteral("/scan.pdf");
    if (!page.save(picture))
        return 1;
    writePdf(pdf, page);
    try {
        measure("picture", picture);
        measure("pdf", pdf);
    } catch (const AppError& error) {
        std::fprintf(stderr, "open_ocr_bench: %s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
