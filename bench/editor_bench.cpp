// Replace-all speed in the editor, for bench/editor.
//   editor_bench <file> <word> <replacement>   prints milliseconds and the number of matches
#include "editor/text_search.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextEdit>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv); // the editor lays out text with the platform's fonts
    if (argc != 4) {
        std::fputs("usage: editor_bench <file> <word> <replacement>\n", stderr);
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    QTextEdit editor;
    editor.resize(800, 600);
    editor.show();
    editor.setPlainText(QString::fromUtf8(file.readAll()));
    QApplication::processEvents();
    const QString word = QString::fromLocal8Bit(argv[2]);
    const QString replacement = QString::fromLocal8Bit(argv[3]);
    const SearchOptions options{true, true};

    int matches = 0;
    for (int at = findText(*editor.document(), word, 0, options); at >= 0;
         at = findText(*editor.document(), word, at + int(word.size()), options))
        ++matches;

    QElapsedTimer clock;
    clock.start();
    replaceText(*editor.document(), word, replacement, 0, options, true);
    QApplication::processEvents(); // the editor's layout of the changed text counts too
    std::printf("%lld %d\n", static_cast<long long>(clock.elapsed()), matches);
    return 0;
}
