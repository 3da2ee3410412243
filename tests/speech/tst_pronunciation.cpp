// The pronunciation dictionary: rules as the file writes them, what the voice is given, where
// its words came from, and the file kept as the user wrote it.
#include "speech/pronunciation_file.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

class TestPronunciation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void substitutions_data();
    void substitutions();
    void wordsMapToTheWrittenText_data();
    void wordsMapToTheWrittenText();
    void fileKeepsWhatTheUserWrote_data();
    void fileKeepsWhatTheUserWrote();
    void rulesSurviveTheFile_data();
    void rulesSurviveTheFile();
    void problems_data();
    void problems();
    void fileIsReadAgainWhenItChanges();
    void backtrackingWithoutEndIsBoundedAndReported();
};

namespace {

PronunciationDictionary dictionary(const QString& fileText) {
    return PronunciationDictionary(parsePronunciation(fileText).rules());
}

} // namespace

void TestPronunciation::substitutions_data() {
    QTest::addColumn<QString>("rules"); // the file's text
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("plain") << "XYZ=hello world"
                           << "Call XYZ now."
                           << "Call hello world now.";
    QTest::newRow("any letter case") << "XYZ=hello"
                                     << "xyz Xyz"
                                     << "hello hello";
    QTest::newRow("whole words only") << "XYZ=hello"
                                      << "XYZZY aXYZ _XYZ XYZ."
                                      << "XYZZY aXYZ _XYZ hello.";
    QTest::newRow("digits belong to words") << "3D=three D"
                                            << "13D 3D 3Dx"
                                            << "13D three D 3Dx";
    QTest::newRow("Latin beside Chinese") << "XYZ=hello"
                                          << "我用XYZ软件"
                                          << "我用hello软件";
    QTest::newRow("Chinese run inside a longer one") << "行长=航掌"
                                                     << "银行行长说"
                                                     << "银行航掌说";
    QTest::newRow("Chinese run at either end") << "重庆=虫庆"
                                               << "重庆去重庆"
                                               << "虫庆去虫庆";
    QTest::newRow("mixed: Latin start, Chinese end") << "A股=A gu"
                                                     << "BA股 A股市"
                                                     << "BA股 A gu市";
    QTest::newRow("longest match wins") << "New=Neu\nNew York=Noo Yawk"
                                        << "New York, New Jersey"
                                        << "Noo Yawk, Neu Jersey";
    QTest::newRow("a longer rule that is no whole word gives way") << "New=Neu\nNew York=Noo Yawk"
                                                                   << "New Yorker"
                                                                   << "Neu Yorker";
    QTest::newRow("the same written side twice: the first") << "XYZ=first\nxyz=second"
                                                            << "xYz"
                                                            << "first";
    QTest::newRow("longest plain beats a shorter pattern") << "re:[a-z]+=word\nhello world=greeting"
                                                           << "hello world"
                                                           << "greeting";
    QTest::newRow("on a tie the earlier rule wins") << "re:[a-z]+=word\nhi=HI\nthere=THERE"
                                                    << "hi there"
                                                    << "word word";
    QTest::newRow("pattern ignores case") << "re:colou?r=kolor"
                                          << "Color COLOUR"
                                          << "kolor kolor";
    QTest::newRow("pattern with case") << "re(c):US=United States"
                                       << "US us"
                                       << "United States us";
    QTest::newRow("one pass: no rule applies to another's output") << "a=b\nb=c"
                                                                   << "a b"
                                                                   << "b c";
    QTest::newRow("broken pattern skipped, others apply") << "re:(unclosed=x\nfine=good"
                                                          << "fine (unclosed"
                                                          << "good (unclosed";
    QTest::newRow("escaped equals sign") << "1\\=2=one equals two"
                                         << "1=2!"
                                         << "one equals two!";
    QTest::newRow("equals sign in a pattern") << "re:a\\=+b=ab"
                                              << "a==b"
                                              << "ab";
    QTest::newRow("comments and blank lines") << "# XYZ=no\n\n   # indented=no\nXYZ=yes"
                                              << "XYZ indented"
                                              << "yes indented";
    QTest::newRow("hash inside a rule") << "C#=C sharp"
                                        << "C# code"
                                        << "C sharp code";
    QTest::newRow("blanks around the sides") << "  XYZ = hello world  "
                                             << "XYZ"
                                             << "hello world";
    QTest::newRow("empty spoken side leaves a word out") << "um="
                                                         << "so um yes"
                                                         << "so  yes";
    QTest::newRow("pattern never matches nothing") << "re:x*=Y"
                                                   << "axxb"
                                                   << "aYb";
    QTest::newRow("line anchors at every line") << "re:^chapter=Kapitel"
                                                << "Chapter one\nChapter two"
                                                << "Kapitel one\nKapitel two";
    QTest::newRow("line anchors at editor paragraphs")
        << "re:^chapter=Kapitel" << QStringLiteral("Chapter one\u2029Chapter two")
        << QStringLiteral("Kapitel one\u2029Kapitel two");
    QTest::newRow("characters beyond 16 bits") << "𠀀=tone"
                                               << "a𠀀b 𠀀"
                                               << "atoneb tone";
    QTest::newRow("CR LF lines") << "XYZ=hello\r\nABC=alphabet\r\n"
                                 << "XYZ ABC"
                                 << "hello alphabet";
    QTest::newRow("no rules") << ""
                              << "Nothing changes."
                              << "Nothing changes.";
}

void TestPronunciation::substitutions() {
    QFETCH(QString, rules);
    QFETCH(QString, text);
    QFETCH(QString, spoken);
    const SpokenText result = dictionary(rules).spoken(text);
    QCOMPARE(result.text, spoken);
    QCOMPARE(spokenText(dictionary(rules), text), spoken);
    QCOMPARE(result.positions.size(), size_t(spoken.size()) + 1);
    QCOMPARE(result.positions.back(), int(text.size()));
    QVERIFY(std::is_sorted(result.positions.begin(), result.positions.end()));
}

void TestPronunciation::wordsMapToTheWrittenText_data() {
    QTest::addColumn<QString>("rules");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("heard"); // a word of the spoken text (its first occurrence)
    QTest::addColumn<QString>("shown"); // what of the written text it marks
    QTest::newRow("first word of a substitution") << "XYZ=hello world"
                                                  << "Call XYZ now."
                                                  << "hello"
                                                  << "XYZ";
    QTest::newRow("last word of a substitution") << "XYZ=hello world"
                                                 << "Call XYZ now."
                                                 << "world"
                                                 << "XYZ";
    QTest::newRow("whole substitution") << "XYZ=hello world"
                                        << "Call XYZ now."
                                        << "hello world"
                                        << "XYZ";
    QTest::newRow("after a substitution") << "XYZ=hello world"
                                          << "Call XYZ now."
                                          << "now"
                                          << "now";
    QTest::newRow("before a substitution") << "XYZ=hello world"
                                           << "Call XYZ now."
                                           << "Call"
                                           << "Call";
    QTest::newRow("a shorter substitution") << "telephone=phone"
                                            << "a telephone call"
                                            << "call"
                                            << "call";
    QTest::newRow("Chinese") << "行长=航掌"
                             << "银行行长说"
                             << "掌"
                             << "行长";
    QTest::newRow("two substitutions side by side") << "行长=航掌\n重庆=虫庆"
                                                    << "行长重庆"
                                                    << "虫庆"
                                                    << "重庆";
    QTest::newRow("after a word left out") << "um="
                                           << "so um yes"
                                           << "yes"
                                           << "yes";
    QTest::newRow("across a substitution") << "XYZ=hello world"
                                           << "Call XYZ now."
                                           << "world now"
                                           << "XYZ now";
}

void TestPronunciation::wordsMapToTheWrittenText() {
    QFETCH(QString, rules);
    QFETCH(QString, text);
    QFETCH(QString, heard);
    QFETCH(QString, shown);
    const SpokenText spoken = dictionary(rules).spoken(text);
    const int at = int(spoken.text.indexOf(heard));
    QVERIFY(at >= 0);
    const int start = spoken.writtenStart(at);
    const int end = spoken.writtenEnd(at + int(heard.size()));
    QCOMPARE(text.mid(start, end - start), shown);
}

void TestPronunciation::fileKeepsWhatTheUserWrote_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("rules");
    QTest::addColumn<QString>("saved"); // the text written back
    QTest::newRow("comments stay in place")
        << "# names\nXYZ=hello\n\n# places\n重庆=虫庆\n# the end\n"
        << 2 << "# names\nXYZ=hello\n\n# places\n重庆=虫庆\n# the end\n";
    QTest::newRow("escapes written back") << "a\\=b=c = d" << 1 << "a\\=b=c \\= d\n";
    QTest::newRow("backslash ending the written side") << "a\\ =b" << 1 << "a\\ =b\n";
    QTest::newRow("blanks around the sides go") << " XYZ =  hello " << 1 << "XYZ=hello\n";
    QTest::newRow("a line without a rule is kept") << "just words\nX=y\n"
                                                   << 1 << "just words\nX=y\n";
    QTest::newRow("CR LF lines") << "X=y\r\n# note\r\n" << 1 << "X=y\n# note\n";
    QTest::newRow("a written side starting with #") << "\\#1=number one\n"
                                                    << 1 << "\\#1=number one\n";
    QTest::newRow("an escaped # after blanks") << "  \\#tag = hash tag" << 1 << "\\#tag=hash tag\n";
    QTest::newRow("empty") << "" << 0 << "";
}

void TestPronunciation::fileKeepsWhatTheUserWrote() {
    QFETCH(QString, file);
    QFETCH(int, rules);
    QFETCH(QString, saved);
    const PronunciationList list = parsePronunciation(file);
    QCOMPARE(int(list.entries.size()), rules);
    QCOMPARE(pronunciationText(list), saved);
    QCOMPARE(pronunciationText(parsePronunciation(saved)), saved);
    QCOMPARE(parsePronunciation(saved).rules(), list.rules());
}

// What the dialog keeps is what the file gives back, whatever the sides hold.
void TestPronunciation::rulesSurviveTheFile_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("a hash first") << "#1"
                                  << "number one";
    QTest::newRow("a hash alone") << "#"
                                  << "hash";
    QTest::newRow("a hash inside") << "C#"
                                   << "C sharp";
    QTest::newRow("equals signs") << "1=2"
                                  << "a=b";
    QTest::newRow("a backslash and hash inside") << "a\\#"
                                                 << "x";
    QTest::newRow("a hash first in the spoken side") << "x"
                                                     << "#y";
}

void TestPronunciation::rulesSurviveTheFile() {
    QFETCH(QString, written);
    QFETCH(QString, spoken);
    const PronunciationList list{{{{written, spoken}, {}}}, {}};
    QCOMPARE(parsePronunciation(pronunciationText(list)).rules(), list.rules());
}

void TestPronunciation::problems_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("problem"); // a part of it; empty: none
    QTest::newRow("plain") << "XYZ"
                           << "";
    QTest::newRow("pattern") << "re:colou?r"
                             << "";
    QTest::newRow("unclosed group") << "re:(abc"
                                    << "正则表达式有误（第 ";
    QTest::newRow("case-sensitive, broken") << "re(c):[a-"
                                            << "正则表达式有误";
    QTest::newRow("empty pattern") << "re:"
                                   << "正则表达式为空";
    QTest::newRow("empty written side") << ""
                                        << "原文为空";
}

void TestPronunciation::problems() {
    QFETCH(QString, written);
    QFETCH(QString, problem);
    const QString found = ruleProblem({written, QStringLiteral("spoken")});
    if (problem.isEmpty())
        QCOMPARE(found, QString());
    else
        QVERIFY2(found.contains(problem), qPrintable(found));
}

// A pattern that backtracks without end gives up quickly, the other rules still apply, and the
// dialog's reason names it from then on.
void TestPronunciation::backtrackingWithoutEndIsBoundedAndReported() {
    const PronunciationRule runaway{QStringLiteral("re:(x+x+)+y"), QStringLiteral("Y")};
    QCOMPARE(ruleProblem(runaway), QString());
    const PronunciationDictionary rules({runaway, {QStringLiteral("b"), QStringLiteral("B")}});
    QElapsedTimer timer;
    timer.start();
    const QString spoken = rules.spoken(QString(40, u'x') + QStringLiteral(" b xxy b")).text;
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY2(spoken.endsWith(QStringLiteral(" B")), qPrintable(spoken));
    QVERIFY2(ruleProblem(runaway).contains(QStringLiteral("回溯过多")),
             qPrintable(ruleProblem(runaway)));
    // An ordinary pattern on a long text does not reach the bound.
    const PronunciationRule ordinary{QStringLiteral("re:\\w+q"), QStringLiteral("Q")};
    QCOMPARE(
        spokenText(PronunciationDictionary({ordinary}), QStringLiteral("xay ").repeated(250000)),
        QStringLiteral("xay ").repeated(250000));
    QCOMPARE(ruleProblem(ordinary), QString());
}

// The window and parlora-say see an edit of the file from the next reading on, whoever made it.
void TestPronunciation::fileIsReadAgainWhenItChanges() {
    QTemporaryDir dir;
    PronunciationFile file(dir.filePath(PronunciationFile::FileName));
    const auto say = [&](const QString& text) { return spokenText(*file.dictionary(), text); };
    QCOMPARE(say(QStringLiteral("XYZ")), QStringLiteral("XYZ"));

    QFile written(file.path());
    QVERIFY(written.open(QIODevice::WriteOnly));
    const QString comment =
        QStringLiteral("# 这是用旧式编码保存的发音词典文件，程序应当正确识别它的编码。\n");
    written.write(QStringEncoder("GB18030")(comment + QStringLiteral("XYZ=行长\n")));
    written.close();
    QCOMPARE(say(QStringLiteral("XYZ")), QStringLiteral("行长"));

    const SharedPronunciation before = file.dictionary();
    QCOMPARE(file.dictionary(), before); // unchanged: not read again

    PronunciationList list = file.read();
    list.entries.first().rule.spoken = QStringLiteral("hello world");
    file.save(list);
    QCOMPARE(say(QStringLiteral("XYZ")), QStringLiteral("hello world"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(written.readAll()), comment + QStringLiteral("XYZ=hello world\n"));
    written.close();

    QVERIFY(QFile::remove(file.path()));
    QCOMPARE(say(QStringLiteral("XYZ")), QStringLiteral("XYZ"));
}

QTEST_GUILESS_MAIN(TestPronunciation)
#include "tst_pronunciation.moc"
