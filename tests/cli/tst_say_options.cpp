// The command line of parlora-say: options, voice names, the progress bar.
#include "cli/say_input.h"
#include "cli/say_options.h"
#include "cli/say_progress.h"
#include "platform/speech/speech_voice.h"

#include <QtTest>

class TestSayOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void goodCommandLines_data();
    void goodCommandLines();
    void badCommandLines_data();
    void badCommandLines();
    void voiceNames_data();
    void voiceNames();
    void progressLines_data();
    void progressLines();
    void fileMessagesNameTheFile();
};

namespace {

QStringList words(const char* text) {
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

// A summary of what the options hold, compared as one string.
QString summary(const SayOptions& o) {
    const auto number = [](const std::optional<int>& n) {
        return n ? QString::number(*n) : QStringLiteral("-");
    };
    return QStringLiteral(
               "files=%1 voice=%2 rate=%3 volume=%4 jobs=%5 out=%6/%7 lines=%8%9%10%11%12")
        .arg(o.files.join(u','), o.voice, number(o.rate), number(o.volume), number(o.jobs),
             o.output, QString::number(o.outputFormat), o.linesFolder)
        .arg(o.listVoices ? QStringLiteral(" list") : QString(),
             o.quiet ? QStringLiteral(" quiet") : QString(),
             o.help ? QStringLiteral(" help") : QString(),
             o.version ? QStringLiteral(" version") : QString());
}

const QList<VoiceToken> Voices = {
    {QStringLiteral("sit/cmn"), QStringLiteral("Chinese (Mandarin, latin as English)")},
    {QStringLiteral("sit/cmn-Latn-pinyin"), QStringLiteral("Chinese (Mandarin, latin as Pinyin)")},
    {QStringLiteral("gmw/en-US"), QStringLiteral("English (America)")},
    {QStringLiteral("gmw/en"), QStringLiteral("English (Great Britain)")},
    {QStringLiteral("roa/pt-BR"), QStringLiteral("Portuguese (Brazil)")},
    {QStringLiteral("roa/pt"), QStringLiteral("Portuguese (Portugal)")},
    {QStringLiteral("roa/es-419"), QStringLiteral("Spanish (Latin America)")},
};

} // namespace

void TestSayOptions::goodCommandLines_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    const QString none = QStringLiteral("voice= rate=- volume=- jobs=- out=/0 lines=");
    QTest::newRow("nothing") << QStringList() << QStringLiteral("files= ") + none;
    QTest::newRow("files and standard input")
        << words("a.txt - b.pdf") << QStringLiteral("files=a.txt,-,b.pdf ") + none;
    QTest::newRow("negative rate is a value, not an option")
        << words("--rate -10 --volume 0 --jobs 0 x")
        << QStringLiteral("files=x voice= rate=-10 volume=0 jobs=0 out=/0 lines=");
    QTest::newRow("attached values, last one wins")
        << words("--rate=3 --rate=10 --volume=100 --jobs=64 --voice=cmn")
        << QStringLiteral("files= voice=cmn rate=10 volume=100 jobs=64 out=/0 lines=");
    QTest::newRow("format from the extension, any case, path kept")
        << words("-o Book.MP3")
        << QStringLiteral("files= voice= rate=- volume=- jobs=- out=Book.MP3/1001 lines=");
    QTest::newRow("last output wins")
        << words("--output x.opus -o y/z.flac")
        << QStringLiteral("files= voice= rate=- volume=- jobs=- out=y/z.flac/1004 lines=");
    QTest::newRow("ogg") << words("-o x.ogg")
                         << QStringLiteral(
                                "files= voice= rate=- volume=- jobs=- out=x.ogg/1002 lines=");
    QTest::newRow("opus") << words("-o x.opus")
                          << QStringLiteral(
                                 "files= voice= rate=- volume=- jobs=- out=x.opus/1003 lines=");
    QTest::newRow("wav") << words("-o a.b.wav")
                         << QStringLiteral(
                                "files= voice= rate=- volume=- jobs=- out=a.b.wav/18 lines=");
    QTest::newRow("lines") << words("--lines out f")
                           << QStringLiteral(
                                  "files=f voice= rate=- volume=- jobs=- out=/0 lines=out");
    QTest::newRow("flags") << words("-q --list-voices -h --version")
                           << QStringLiteral("files= ") + none +
                                  QStringLiteral(" list quiet help version");
    QTest::newRow("after -- everything is a file")
        << words("-- --rate -q") << QStringLiteral("files=--rate,-q ") + none;
}

void TestSayOptions::goodCommandLines() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QCOMPARE(summary(parseSayOptions(arguments)), expected);
}

void TestSayOptions::badCommandLines_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("rate above") << words("--rate 11") << QStringLiteral("--rate");
    QTest::newRow("rate below") << words("--rate=-11") << QStringLiteral("--rate");
    QTest::newRow("rate not a number") << words("--rate fast") << QStringLiteral("--rate");
    QTest::newRow("rate fraction") << words("--rate 1.5") << QStringLiteral("--rate");
    QTest::newRow("rate missing") << words("--rate") << QStringLiteral("--rate needs a value");
    QTest::newRow("volume above") << words("--volume 101") << QStringLiteral("--volume");
    QTest::newRow("volume below") << words("--volume -1") << QStringLiteral("--volume");
    QTest::newRow("volume empty") << QStringList{QStringLiteral("--volume=")}
                                  << QStringLiteral("--volume");
    QTest::newRow("jobs negative") << words("--jobs -1") << QStringLiteral("--jobs");
    QTest::newRow("jobs too many") << words("--jobs 65") << QStringLiteral("--jobs");
    QTest::newRow("jobs word") << words("--jobs all") << QStringLiteral("--jobs");
    QTest::newRow("voice missing") << words("--voice") << QStringLiteral("--voice needs a value");
    QTest::newRow("voice empty") << QStringList{QStringLiteral("--voice=")}
                                 << QStringLiteral("--voice needs a value");
    QTest::newRow("output missing") << words("-o") << QStringLiteral("-o needs a value");
    QTest::newRow("output unknown format") << words("-o book.txt") << QStringLiteral("book.txt");
    QTest::newRow("output without extension") << words("-o wav") << QStringLiteral("\"wav\"");
    QTest::newRow("output extension in a folder")
        << words("-o a.mp3/book") << QStringLiteral("a.mp3/book");
    QTest::newRow("lines missing") << words("--lines") << QStringLiteral("--lines needs a value");
    QTest::newRow("output and lines")
        << words("-o a.wav --lines d") << QStringLiteral("-o and --lines");
    QTest::newRow("flag with a value")
        << words("--quiet=yes") << QStringLiteral("--quiet takes no");
    QTest::newRow("unknown long") << words("--speed 3") << QStringLiteral("unknown option --speed");
    QTest::newRow("unknown short") << words("-x") << QStringLiteral("unknown option -x");
    QTest::newRow("single-dash long") << words("-rate 3") << QStringLiteral("unknown option -rate");
}

void TestSayOptions::badCommandLines() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    try {
        parseSayOptions(arguments);
        QFAIL("accepted");
    } catch (const UsageError& error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
}

void TestSayOptions::voiceNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index"); // -1: refused
    QTest::newRow("index") << QStringLiteral("3") << 3;
    QTest::newRow("first index") << QStringLiteral("0") << 0;
    QTest::newRow("index past the end") << QStringLiteral("7") << -1;
    QTest::newRow("negative index") << QStringLiteral("-1") << -1;
    QTest::newRow("readable name, any case") << QStringLiteral("english (america)") << 2;
    QTest::newRow("language code") << QStringLiteral("cmn") << 0;
    QTest::newRow("exact language before a longer one") << QStringLiteral("en") << 3;
    QTest::newRow("language with region, any case") << QStringLiteral("EN-us") << 2;
    QTest::newRow("identifier") << QStringLiteral("gmw/en") << 3;
    QTest::newRow("language of a regional voice only") << QStringLiteral("es") << 6;
    QTest::newRow("prefix must end at a dash") << QStringLiteral("p") << -1;
    QTest::newRow("part of a name") << QStringLiteral("English") << -1;
    QTest::newRow("unknown") << QStringLiteral("tlh") << -1;
}

void TestSayOptions::voiceNames() {
    QFETCH(QString, name);
    QFETCH(int, index);
    try {
        QCOMPARE(int(voiceNamed(Voices, name)), index);
    } catch (const UsageError& error) {
        QVERIFY2(index == -1, qPrintable(error.message()));
        QVERIFY(error.message().contains(name));
    }
}

void TestSayOptions::progressLines_data() {
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("line");
    const QString empty(30, u'.');
    QTest::newRow("start") << qint64(0) << qint64(200)
                           << QStringLiteral("[%1]   0% of 200 lines").arg(empty);
    QTest::newRow("half")
        << qint64(100) << qint64(200)
        << QStringLiteral("[%1%2]  50% of 200 lines").arg(QString(15, u'#'), QString(15, u'.'));
    QTest::newRow("just below a step")
        << qint64(199) << qint64(200)
        << QStringLiteral("[%1.]  99% of 200 lines").arg(QString(29, u'#'));
    QTest::newRow("done") << qint64(200) << qint64(200)
                          << QStringLiteral("[%1] 100% of 200 lines").arg(QString(30, u'#'));
    QTest::newRow("nothing to do")
        << qint64(0) << qint64(0) << QStringLiteral("[%1] 100% of 0 lines").arg(QString(30, u'#'));
    QTest::newRow("past the end")
        << qint64(300) << qint64(200)
        << QStringLiteral("[%1] 100% of 200 lines").arg(QString(30, u'#'));
}

void TestSayOptions::progressLines() {
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(QString, line);
    QCOMPARE(progressLine(done, total, QStringLiteral("lines")), line);
}

void TestSayOptions::fileMessagesNameTheFile() {
    QCOMPARE(fileMessage(QStringLiteral("a.doc"), QStringLiteral("no converter")),
             QStringLiteral("a.doc: no converter"));
    const QString named = QStringLiteral("Cannot open file \"a.doc\". Gone");
    QCOMPARE(fileMessage(QStringLiteral("a.doc"), named), named);
}

QTEST_GUILESS_MAIN(TestSayOptions)
#include "tst_say_options.moc"
