// Text decoding and RTF reading speed, for bench/codec.
//   codec_bench decode <file>   MB/s of reading the file into lines (median of 3)
//   codec_bench rtf <file>      MB/s of reading the RTF file into a document (median of 3)
#include "documents/rtf_codec.h"
#include "documents/text_codec.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv); // documents lay out text with the platform's fonts
    const bool rtf = argc == 3 && qstrcmp(argv[1], "rtf") == 0;
    if (argc != 3 || (!rtf && qstrcmp(argv[1], "decode") != 0)) {
        std::fputs("usage: codec_bench decode|rtf <file>\n", stderr);
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = file.readAll();
    std::vector<double> rates;
    qsizetype lines = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer clock;
        clock.start();
        if (rtf) {
            QTextDocument document;
            readRtf(bytes, document);
            lines = document.blockCount();
        } else {
            lines = splitLines(decodeText(bytes)).size();
        }
        rates.push_back(double(bytes.size()) / 1e6 / (double(clock.nsecsElapsed()) / 1e9));
    }
    std::sort(rates.begin(), rates.end());
    std::printf("%.0f %lld\n", rates[1], static_cast<long long>(lines));
    return 0;
}
