// The subtitle files' forms, and the cues that sentence timings give.
#include "export/audiobook_export.h"
#include "export/subtitles.h"

#include <QtTest>

class TestSubtitles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void srt_data();
    void srt();
    void lrc_data();
    void lrc();
    void cuesFollowTheSentences();
    void heardAtTheFirstWordOfAStretch_data();
    void heardAtTheFirstWordOfAStretch();
    void shortLinesEndClauses_data();
    void shortLinesEndClauses();
};

Q_DECLARE_METATYPE(QList<Cue>)

void TestSubtitles::srt_data() {
    QTest::addColumn<QList<Cue>>("cues");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QList<Cue>{} << "";
    QTest::newRow("two") << QList<Cue>{{0, 1500, "One."}, {1500, 61001, "Two."}}
                         << "1\n00:00:00,000 --> 00:00:01,500\nOne.\n\n"
                            "2\n00:00:01,500 --> 00:01:01,001\nTwo.\n\n";
    QTest::newRow("hours") << QList<Cue>{{3723004, 36000000, "长"}}
                           << "1\n01:02:03,004 --> 10:00:00,000\n长\n\n";
    QTest::newRow("a line break in a sentence stays out of the cue")
        << QList<Cue>{{0, 10, "a\nb \r\n c"}} << "1\n00:00:00,000 --> 00:00:00,010\na b c\n\n";
    QTest::newRow("percent signs are text")
        << QList<Cue>{{0, 10, "%1 and %2"}} << "1\n00:00:00,000 --> 00:00:00,010\n%1 and %2\n\n";
}

void TestSubtitles::srt() {
    QFETCH(QList<Cue>, cues);
    QFETCH(QString, text);
    QCOMPARE(srtText(cues), text);
}

void TestSubtitles::lrc_data() {
    QTest::addColumn<QList<Cue>>("cues");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("header only") << QList<Cue>{} << "书"
                                 << "[ti:书]\n[ar:作者]\n";
    QTest::newRow("hundredths cut, never early")
        << QList<Cue>{{1999, 3000, "一。"}, {65432, 70000, "二。"}} << "书"
        << "[ti:书]\n[ar:作者]\n[00:01.99]一。\n[01:05.43]二。\n";
    QTest::newRow("minutes past 99") << QList<Cue>{{6000000, 6000001, "x"}} << "书"
                                     << "[ti:书]\n[ar:作者]\n[100:00.00]x\n";
    QTest::newRow("a bracket in the title") << QList<Cue>{} << "[A] B]"
                                            << "[ti:[A B]\n[ar:作者]\n";
}

void TestSubtitles::lrc() {
    QFETCH(QList<Cue>, cues);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QCOMPARE(lrcText(cues, title, QStringLiteral("作者")), text);
}

// A cue starts where its sentence's first word is heard and lasts until the next one is; a
// sentence the voice began no word of has none.
void TestSubtitles::cuesFollowTheSentences() {
    const QString text = QStringLiteral("One. Two three.\n\n…… Four.");
    SpeechTimes times;
    times.sampleRate = 16000;
    times.positions = {0, 5, 9, 20};
    times.samples = {800, 16000, 20000, 48000};
    times.length = 64000;
    QList<Cue> cues = cuesOf(text, times);
    QCOMPARE(cues.size(), 3);
    QCOMPARE(cues[0].text, QStringLiteral("One."));
    QCOMPARE(cues[0].startMs, 50);
    QCOMPARE(cues[0].endMs, 1000);
    QCOMPARE(cues[1].text, QStringLiteral("Two three."));
    QCOMPARE(cues[1].startMs, 1000);
    QCOMPARE(cues[1].endMs, 3000);
    QCOMPARE(cues[2].text, QStringLiteral("…… Four."));
    QCOMPARE(cues[2].startMs, 3000);
    QCOMPARE(cues[2].endMs, 4000);
    times.positions.removeLast();
    times.samples.removeLast();
    cues = cuesOf(text, times);
    QCOMPARE(cues.size(), 2);
    QCOMPARE(cues[1].endMs, 4000);
}

void TestSubtitles::heardAtTheFirstWordOfAStretch_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<qint64>("sample");
    QTest::newRow("from a word") << 5 << 9 << qint64(200);
    QTest::newRow("from before a word") << 1 << 20 << qint64(200);
    QTest::newRow("no word in it") << 6 << 9 << qint64(-1);
    QTest::newRow("past the last word") << 10 << 30 << qint64(-1);
    QTest::newRow("from the first") << 0 << 1 << qint64(100);
}

void TestSubtitles::heardAtTheFirstWordOfAStretch() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(qint64, sample);
    SpeechTimes times;
    times.positions = {0, 5, 9};
    times.samples = {100, 200, 300};
    QCOMPARE(heardAt(times, from, to), sample);
}

void TestSubtitles::shortLinesEndClauses_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("title") << "Chapter 1\nThe sun rose."
                           << "Chapter 1.\nThe sun rose.";
    QTest::newRow("chinese title") << "第一章 风起\r\n天亮了。"
                                   << "第一章 风起。\r\n天亮了。";
    QTest::newRow("latin after chinese") << "第一章 Rain\n雨。"
                                         << "第一章 Rain.\n雨。";
    QTest::newRow("punctuated") << "Chapter 1:\nHi!\n“走。”\nA."
                                << "Chapter 1:\nHi!\n“走。”\nA.";
    QTest::newRow("the last line is left") << "A.\nThe end"
                                           << "A.\nThe end";
    QTest::newRow("blank lines") << "Title  \n\n  \nText."
                                 << "Title.  \n\n  \nText.";
    QTest::newRow("prose wrapped at a margin")
        << "It was the best of times, it was the worst\nof times."
        << "It was the best of times, it was the worst\nof times.";
}

void TestSubtitles::shortLinesEndClauses() {
    QFETCH(QString, text);
    QFETCH(QString, spoken);
    const SpokenText ended = clauseEnded(text);
    QCOMPARE(ended.text, spoken);
    // Every character leads back to itself in the text; an added stop to the line's end.
    QCOMPARE(ended.positions.size(), size_t(spoken.size()) + 1);
    QCOMPARE(ended.positions.back(), int(text.size()));
    for (qsizetype at = 0, added = 0; at < spoken.size(); ++at) {
        const int written = ended.positions[size_t(at)];
        if (written == at - added && text.at(written) == spoken.at(at))
            continue;
        QVERIFY2(QStringView(u"。.").contains(spoken.at(at)), qPrintable(spoken.mid(at)));
        QCOMPARE(written, int(at - added));
        ++added;
    }
}

QTEST_GUILESS_MAIN(TestSubtitles)
#include "tst_subtitles.moc"
