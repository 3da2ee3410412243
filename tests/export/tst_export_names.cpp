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
    void pieces_data();
    void pieces();
    void wrappedTextPausesOnlyAtSentences();
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
    QTest::newRow("control characters inside") << 5
                                               << "a\x02"
                                                  "b\x7f"
                                                  "c\x1f"
                                                  "d"
                                               << "5.a b c d.wav";
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
    QTest::newRow("control characters") << 1 << 2
                                        << "a\x01"
                                           "b\x1b[1m\x7f"
                                           "c"
                                        << "01 a b [1m c";
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

void TestExportNames::pieces_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("pieces");
    QTest::addColumn<QList<bool>>("endPauses");
    QTest::newRow("empty") << "" << 10 << QStringList{} << QList<bool>{};
    QTest::newRow("short") << "One. Two." << 100 << QStringList{"One. Two."} << QList<bool>{false};
    QTest::newRow("sentences that fit together")
        << "One a. Two b. Three c." << 15 << QStringList{"One a. Two b. ", "Three c."}
        << QList<bool>{true, false};
    QTest::newRow("a wrapped sentence is not cut at its line breaks")
        << "It went\non and on.\nNext one\nhere." << 22
        << QStringList{"It went\non and on.\n", "Next one\nhere."} << QList<bool>{true, false};
    QTest::newRow("chinese with closing quotes")
        << "他说：“走吧。”我们走了。" << 8 << QStringList{"他说：“走吧。”", "我们走了。"}
        << QList<bool>{true, false};
    QTest::newRow("a semicolon ends a sentence")
        << "甲乙丙；丁戊己。" << 5 << QStringList{"甲乙丙；", "丁戊己。"}
        << QList<bool>{true, false};
    QTest::newRow("a paragraph before a blank line")
        << "Title line\n\nBody text." << 14 << QStringList{"Title line\n\n", "Body text."}
        << QList<bool>{true, false};
    QTest::newRow("a long sentence at a clause mark, without a pause")
        << "一二三四，五六七八九十。" << 8 << QStringList{"一二三四，", "五六七八九十。"}
        << QList<bool>{false, false};
    QTest::newRow("a long sentence at a blank")
        << "aaa bbb ccc." << 6 << QStringList{"aaa ", "bbb ", "ccc."}
        << QList<bool>{false, false, false};
    QTest::newRow("nothing to cut at")
        << "xxxxxxx" << 3 << QStringList{"xxx", "xxx", "x"} << QList<bool>{false, false, false};
    QTest::newRow("a surrogate pair stays whole")
        << "ab\U0001F600cd" << 3 << QStringList{"ab\U0001F600", "cd"} << QList<bool>{false, false};
}

void TestExportNames::pieces() {
    QFETCH(QString, text);
    QFETCH(int, limit);
    QFETCH(QStringList, pieces);
    QFETCH(QList<bool>, endPauses);
    const SpeechPieces cut = speechPieces(text, limit);
    QCOMPARE(cut.texts, pieces);
    QCOMPARE(cut.endPauses, endPauses);
}

// A book wrapped at 70 columns: its pieces end only where sentences do.
void TestExportNames::wrappedTextPausesOnlyAtSentences() {
    const QString sentence = QStringLiteral("The river ran on past the mill and the town, ") +
                             QStringLiteral("under bridges and through fields, ").repeated(4) +
                             QStringLiteral("until it reached the sea at last. ");
    QString text;
    for (const QString& word : sentence.repeated(40).split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype lineStart = text.lastIndexOf(u'\n') + 1;
        text += text.size() - lineStart + word.size() >= 70 ? u'\n' : u' ';
        text += word;
    }
    text.remove(0, 1);
    const SpeechPieces cut = speechPieces(text, 500);
    QCOMPARE(cut.texts.join(QString()), text);
    QVERIFY(cut.texts.size() > 10);
    for (qsizetype k = 0; k + 1 < cut.texts.size(); ++k) {
        QVERIFY(cut.texts[k].size() <= 500);
        QVERIFY2(cut.texts[k].trimmed().endsWith(u'.'), qPrintable(cut.texts[k]));
        QVERIFY(cut.endPauses[k]);
    }
    QVERIFY(!cut.endPauses.last());
}

QTEST_APPLESS_MAIN(TestExportNames)
#include "tst_export_names.moc"
