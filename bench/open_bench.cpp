// Opening a document in the window, for bench/open.
//   open_bench <file>   milliseconds from the open command to the text painted (median of 3)
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextEdit>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: open_bench <file>\n", stderr);
        return 2;
    }
    FakePlatform fakes;
    TFmain window(fakes.bundle());
    window.resize(1028, 732);
    window.show();
    QApplication::processEvents();
    std::vector<qint64> times;
    for (int run = 0; run < 3; ++run) {
        window.RichEdit1->clear();
        fakes.dialogs.openAnswers << QString::fromLocal8Bit(argv[1]);
        QElapsedTimer clock;
        clock.start();
        window.BtnOpen->click();
        window.RichEdit1->viewport()->repaint();
        times.push_back(clock.elapsed());
    }
    if (!fakes.dialogs.messages.isEmpty() || window.RichEdit1->document()->isEmpty()) {
        std::fputs("open_bench: the file did not open\n", stderr);
        return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf("%lld\n", static_cast<long long>(times[1]));
    return 0;
}
