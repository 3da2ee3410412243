// Sentences and paragraphs as the reading commands see them, and the steps between them.
#include "speech/listening_place.h"
#include "speech/text_units.h"

#include <QtTest>

class TestListeningSteps : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sentences_data();
    void sentences();
    void paragraphs_data();
    void paragraphs();
    void spanAtPosition_data();
    void spanAtPosition();
    void spanAtCaret_data();
    void spanAtCaret();
    void steps_data();
    void steps();
    void previousDependsOnTimeHeard_data();
    void previousDependsOnTimeHeard();
    void nothingToStepOutsideAReading();
};

namespace {

QStringList texts(const QString& text, const QList<TextSpan>& spans) {
    QStringList parts;
    for (const TextSpan& span : spans)
        parts << text.mid(span.start, span.end - span.start);
    return parts;
}

} // namespace

void TestListeningSteps::sentences_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("sentences");
    QTest::newRow("Chinese") << QStringLiteral("今天下雨。明天晴天！你去吗？")
                             << QStringList{"今天下雨。", "明天晴天！", "你去吗？"};
    QTest::newRow("English") << QStringLiteral("It rains. Li stays home! Why?  ")
                             << QStringList{"It rains.", "Li stays home!", "Why?"};
    QTest::newRow("mixed") << QStringLiteral("我用 Qt 6. 它很好。Really? 是的")
                           << QStringList{"我用 Qt 6.", "它很好。", "Really?", "是的"};
    QTest::newRow("semicolon ends a sentence")
        << QStringLiteral("前半句；后半句。") << QStringList{"前半句；", "后半句。"};
    QTest::newRow("closing quote stays") << QStringLiteral("他说：“走吧。”我们走了。")
                                         << QStringList{"他说：“走吧。”", "我们走了。"};
    QTest::newRow("closing brackets stay")
        << QStringLiteral("（见上文。）《书名。》下一句；」还有")
        << QStringList{"（见上文。）", "《书名。》", "下一句；」", "还有"};
    QTest::newRow("English quotes") << QStringLiteral("He said \"go.\" \"Now\" he left.")
                                    << QStringList{"He said \"go.\"", "\"Now\" he left."};
    QTest::newRow("paragraph without end mark")
        << QStringLiteral("标题\n正文第一句。正文第二句")
        << QStringList{"标题", "正文第一句。", "正文第二句"};
    QTest::newRow("empty paragraphs")
        << QStringLiteral("One.\n\n  \n\u2029Two.") << QStringList{"One.", "Two."};
    QTest::newRow("CR LF breaks") << QStringLiteral("甲\r\n乙。\r\n") << QStringList{"甲", "乙。"};
    QTest::newRow("blank") << QStringLiteral(" \n ") << QStringList{};
    QTest::newRow("empty") << QString() << QStringList{};
}

void TestListeningSteps::sentences() {
    QFETCH(QString, text);
    QFETCH(QStringList, sentences);
    QCOMPARE(texts(text, sentenceSpans(text)), sentences);
}

void TestListeningSteps::paragraphs_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("paragraphs");
    QTest::newRow("line feeds") << QStringLiteral("一。二。\n三") << QStringList{"一。二。", "三"};
    QTest::newRow("empty ones skipped")
        << QStringLiteral("\n甲\n\n \r\n乙\u2029") << QStringList{"甲", "乙"};
    QTest::newRow("none") << QStringLiteral("\n\n") << QStringList{};
}

void TestListeningSteps::paragraphs() {
    QFETCH(QString, text);
    QFETCH(QStringList, paragraphs);
    QCOMPARE(texts(text, paragraphSpans(text)), paragraphs);
}

void TestListeningSteps::spanAtPosition_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("index");
    // "One.  Two.  Three." : spans [0,4) [6,10) [12,18)
    QTest::newRow("first character") << 0 << 0;
    QTest::newRow("inside") << 8 << 1;
    QTest::newRow("in the blanks before") << 5 << 1;
    QTest::newRow("last character") << 17 << 2;
    QTest::newRow("past the end") << 40 << 2;
}

void TestListeningSteps::spanAtPosition() {
    QFETCH(int, position);
    QFETCH(int, index);
    const QString text = QStringLiteral("One.  Two.  Three.");
    QCOMPARE(spanAt(sentenceSpans(text), position), index);
    QCOMPARE(spanAt({}, position), -1);
}

void TestListeningSteps::spanAtCaret_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("index");
    QTest::newRow("at the end of a line") << "甲乙。\n丙丁。" << 3 << 0;
    QTest::newRow("at the start of the next line") << "甲乙。\n丙丁。" << 4 << 1;
    QTest::newRow("right after a sentence, before blanks") << "One.  Two." << 4 << 0;
    QTest::newRow("inside the blanks") << "One.  Two." << 5 << 1;
    QTest::newRow("where the next one starts") << "甲。乙。" << 2 << 1;
    QTest::newRow("at the very end") << "甲。乙。" << 4 << 1;
    QTest::newRow("at the very start") << "甲。乙。" << 0 << 0;
    QTest::newRow("no sentences") << "  " << 1 << -1;
}

void TestListeningSteps::spanAtCaret() {
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, index);
    QCOMPARE(::spanAtCaret(sentenceSpans(text), caret), index);
}

void TestListeningSteps::steps_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("heard"); // the text whose first character is being heard
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("goesTo"); // the text the step continues with; empty: the end
    const QString chinese = QStringLiteral("第一句。第二句；第三句！\n\n第四句。第五句");
    QTest::newRow("next in Chinese")
        << chinese << "第二句" << int(ListeningStep::NextSentence) << "第三句！";
    QTest::newRow("next across an empty paragraph")
        << chinese << "第三句" << int(ListeningStep::NextSentence) << "第四句。";
    QTest::newRow("next from the last sentence ends")
        << chinese << "第五句" << int(ListeningStep::NextSentence) << "";
    QTest::newRow("previous from the first stays")
        << chinese << "第一句" << int(ListeningStep::PreviousSentence) << "第一句。";
    QTest::newRow("previous just begun")
        << chinese << "第四句" << int(ListeningStep::PreviousSentence) << "第三句！";
    QTest::newRow("next paragraph")
        << chinese << "第二句" << int(ListeningStep::NextParagraph) << "第四句。";
    QTest::newRow("next paragraph from the last ends")
        << chinese << "第五句" << int(ListeningStep::NextParagraph) << "";
    QTest::newRow("previous paragraph just begun")
        << chinese << "第五句" << int(ListeningStep::PreviousParagraph) << "第一句。";
    const QString english = QStringLiteral("Tom came. He sat down.\nNo end mark here\nLast one.");
    QTest::newRow("next in English")
        << english << "He sat" << int(ListeningStep::NextSentence) << "No end mark here";
    QTest::newRow("next after a paragraph without end mark")
        << english << "No end" << int(ListeningStep::NextSentence) << "Last one.";
    QTest::newRow("previous paragraph in English")
        << english << "Last" << int(ListeningStep::PreviousParagraph) << "No end mark here";
    const QString mixed = QStringLiteral("他说 hello. 然后走了。");
    QTest::newRow("mixed") << mixed << "他说" << int(ListeningStep::NextSentence) << "然后走了。";
}

void TestListeningSteps::steps() {
    QFETCH(QString, text);
    QFETCH(QString, heard);
    QFETCH(int, step);
    QFETCH(QString, goesTo);
    qint64 now = 0;
    ListeningPlace place([&] { return now; });
    place.begin(text, 0);
    const int position = int(text.indexOf(heard));
    QVERIFY(position >= 0);
    place.heard(position);
    now += 300;
    const std::optional<int> target = place.step(ListeningStep(step));
    QCOMPARE(target.has_value(), !goesTo.isEmpty());
    if (target)
        QCOMPARE(text.mid(*target, goesTo.size()), goesTo);
}

void TestListeningSteps::previousDependsOnTimeHeard_data() {
    QTest::addColumn<int>("playedMs");
    QTest::addColumn<int>("pausedMs"); // a pause in the middle, not counted as heard
    QTest::addColumn<QString>("goesTo");
    QTest::newRow("just begun") << 400 << 0 << "Two.";
    QTest::newRow("exactly a second") << 1000 << 0 << "Two.";
    QTest::newRow("over a second") << 1100 << 0 << "Three.";
    QTest::newRow("a long pause is not heard") << 600 << 5000 << "Two.";
    QTest::newRow("heard around a pause") << 1200 << 5000 << "Three.";
}

void TestListeningSteps::previousDependsOnTimeHeard() {
    QFETCH(int, playedMs);
    QFETCH(int, pausedMs);
    QFETCH(QString, goesTo);
    const QString text = QStringLiteral("One. Two. Three. Four.");
    qint64 now = 5000;
    ListeningPlace place([&] { return now; });
    place.begin(text, 0);
    place.heard(int(text.indexOf(QStringLiteral("Three"))));
    now += playedMs / 2;
    place.pause();
    now += pausedMs;
    // While paused, the time heard stands still.
    QCOMPARE(*place.step(ListeningStep::PreviousSentence), int(text.indexOf(u'T')));
    place.resume();
    now += playedMs - playedMs / 2;
    place.heard(int(text.indexOf(QStringLiteral("Three"))) + 3); // a word of the same sentence
    QCOMPARE(text.mid(*place.step(ListeningStep::PreviousSentence), goesTo.size()), goesTo);
}

void TestListeningSteps::nothingToStepOutsideAReading() {
    ListeningPlace place;
    QVERIFY(!place.step(ListeningStep::NextSentence));
    place.begin(QStringLiteral("One. Two."), 0);
    QVERIFY(place.step(ListeningStep::NextSentence));
    place.end();
    QVERIFY(!place.step(ListeningStep::PreviousSentence));
    place.begin(QStringLiteral("  "), 0);
    QVERIFY(!place.step(ListeningStep::PreviousSentence));
    QCOMPARE(place.sentenceStart(), -1);
}

QTEST_APPLESS_MAIN(TestListeningSteps)
#include "tst_listening_steps.moc"
