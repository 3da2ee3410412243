// File names, lines and pieces of the audio export.
#include "export/export_names.h"

#include <QtTest>

class TestExportNames : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lineFileNames_data();
    void lineFileNames();
    void longLinesFitTheLimit_data();
    void longLinesFitTheLimit();
    void chapterFileNames_data();
    void chapterFileNames();
    void longChapterTitlesLeaveRoomForTheSuffix();
    void lowerCasesOnlyTheFileName_data();
    void lowerCasesOnlyTheFileName();
    void lines_data();
    void lines();
    void piecesJoinToTheText();
};

void TestExportNames::lineFileNames_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("name");
    QTest::newRow("replaced characters") << 0 << "a:b*c"
                                         << "0.a b c.wav";
    QTest::newRow("all nine") << 1 << "\\/:*?\"<>|x"
                              << "1.         x.wav";
    QTest::newRow("full stop kept, question mark replaced") << 3 << "What?"
                                                            << "3.What .wav";
    QTest::newRow("only blanks") << 4 << "   \t "
                                 << "4..wav";
    QTest::newRow("trimmed") << 2 << "\t b \x01"
                             << "2.b.wav";
    QTest::newRow("chinese kept") << 7 << "你好，世界"
                                  << "7.你好，世界.wav";
    QTest::newRow("inner blanks kept") << 12 << " a  b "
                                       << "12.a  b.wav";
}

void TestExportNames::lineFileNames() {
    QFETCH(int, number);
    QFETCH(QString, line);
    QFETCH(QString, name);
    QCOMPARE(lineFileName(number, line), name);
}

void TestExportNames::chapterFileNames_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("base");
    QTest::newRow("two digits at least") << 3 << 5 << "第三章 合"
                                         << "03 第三章 合";
    QTest::newRow("as many as the count needs") << 7 << 120 << "Chapter 7"
                                                << "007 Chapter 7";
    QTest::newRow("ninety-nine") << 99 << 99 << "x"
                                 << "99 x";
    QTest::newRow("replaced characters") << 1 << 2 << "a/b: c?"
                                         << "01 a b  c";
    QTest::newRow("nothing left of the title") << 2 << 2 << " ??? "
                                               << "02";
}

void TestExportNames::chapterFileNames() {
    QFETCH(int, number);
    QFETCH(int, count);
    QFETCH(QString, title);
    QFETCH(QString, base);
    QCOMPARE(chapterFileBase(number, count, title, 5), base);
}

// The audio file and its subtitles share the base name, so it leaves room for the longer suffix.
void TestExportNames::longChapterTitlesLeaveRoomForTheSuffix() {
    const QString base = chapterFileBase(1, 10, QString(300, QChar(0x4E2D)), 5);
    QCOMPARE(base.toUtf8().size() + 5, 254); // 3 bytes a character: one short of the limit
    QVERIFY(base.startsWith(QStringLiteral("01 ")));
}

void TestExportNames::longLinesFitTheLimit_data() {
    QTest::addColumn<QString>("line");
    QTest::newRow("1000 latin") << QString(1000, u'a');
    QTest::newRow("1000 chinese") << QString(1000, QChar(0x4E2D));
    QTest::newRow("emoji pairs") << QStringLiteral("😀").repeated(500);
    QTest::newRow("mixed") << QStringLiteral("ab中").repeated(300);
}

// A long line keeps its number, the full stop and the extension, never splits a character, and
// the name just fits.
void TestExportNames::longLinesFitTheLimit() {
    QFETCH(QString, line);
    const QString name = lineFileName(998, line);
    const int bytes = int(name.toUtf8().size());
    QVERIFY2(bytes <= FileNameLimit, qPrintable(QString::number(bytes)));
    QVERIFY(bytes > FileNameLimit - 4);
    QVERIFY(name.startsWith(QStringLiteral("998.")));
    QVERIFY(name.endsWith(QStringLiteral(".wav")));
    const QString part = name.mid(4, name.size() - 8);
    QVERIFY(line.startsWith(part));
    QVERIFY(!part.back().isHighSurrogate());
}

void TestExportNames::lowerCasesOnlyTheFileName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("lowered");
    QTest::newRow("name") << "/home/Ann/Out.WAV"
                          << "/home/Ann/out.wav";
    QTest::newRow("other letters kept") << "/tmp/ÄÖ Talk.MP3"
                                        << "/tmp/ÄÖ talk.mp3";
    QTest::newRow("no folder") << "ABC"
                               << "abc";
}

void TestExportNames::lowerCasesOnlyTheFileName() {
    QFETCH(QString, path);
    QFETCH(QString, lowered);
    QCOMPARE(lowerCaseFileName(path), lowered);
}

void TestExportNames::lines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("empty middle line kept") << "a\n\nb" << QStringList{"a", "", "b"};
    QTest::newRow("last empty left out") << "a\nb\n" << QStringList{"a", "b"};
    QTest::newRow("separators and crlf")
        << QStringLiteral("a\r\nb\u2029c\u2028d") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("long line whole") << QString(70000, u'x') << QStringList{QString(70000, u'x')};
}

void TestExportNames::lines() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(exportLines(text), lines);
}

void TestExportNames::piecesJoinToTheText() {
    const QString paragraph = QStringLiteral("One sentence here.\n");
    const QString text = paragraph.repeated(300) + QString(5000, u'y') + u'\n' + paragraph;
    const QStringList pieces = speechPieces(text, 2000);
    QCOMPARE(pieces.join(QString()), text);
    for (const QString& piece : pieces) {
        QVERIFY(piece.size() <= 2000 || !piece.chopped(1).contains(u'\n'));
        QVERIFY(piece.endsWith(u'\n'));
    }
    QVERIFY(pieces.size() >= 4);
    // A long paragraph is cut after the end of a sentence, in Chinese and in English.
    for (const QString& sentence :
         {QStringLiteral("一句接着一句。"), QStringLiteral("One sentence follows another. ")}) {
        const QString paragraph = sentence.repeated(1000) + u'\n';
        const QStringList cut = speechPieces(paragraph, 2000);
        QCOMPARE(cut.join(QString()), paragraph);
        QVERIFY(cut.size() >= paragraph.size() / 2000);
        for (const QString& piece : cut.first(cut.size() - 1)) {
            QVERIFY(piece.size() <= 2000);
            QVERIFY(piece.trimmed().endsWith(sentence.trimmed()));
        }
    }
    QCOMPARE(speechPieces(QString(), 2000), QStringList{});
    QCOMPARE(speechPieces(QStringLiteral("no break"), 2), QStringList{QStringLiteral("no break")});
}

QTEST_APPLESS_MAIN(TestExportNames)
#include "tst_export_names.moc"
