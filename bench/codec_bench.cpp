// Text decoding speed, for bench/codec.
//   codec_bench decode <file>   MB/s of reading the file into lines (median of 3)
#include "documents/text_codec.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[]) {
    if (argc != 3 || qstrcmp(argv[1], "decode") != 0) {
        std::fputs("usage: codec_bench decode <file>\n", stderr);
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
        lines = splitLines(decodeText(bytes)).size();
        rates.push_back(double(bytes.size()) / 1e6 / (double(clock.nsecsElapsed()) / 1e9));
    }
    std::sort(rates.begin(), rates.end());
    std::printf("%.0f %lld\n", rates[1], static_cast<long long>(lines));
    return 0;
}
