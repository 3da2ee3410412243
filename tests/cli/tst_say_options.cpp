// The command line of parlora-say: options, voice names, the progress bar.
#include "cli/say_options.h"
#include "cli/say_progress.h"

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
};

namespace {

// What the options hold: the fields that are set.
QString summary(const SayOptions& o) {
    QStringList s;
    const auto add = [&](const char* name, const QString& value) {
        if (!value.isEmpty())
            s << QString::fromLatin1(name) + u'=' + value;
    };
    const auto number = [](std::optional<int> n) { return n ? QString::number(*n) : QString(); };
    add("files", o.files.join(u','));
    add("voice", o.voice);
    add("rate", number(o.rate));
    add("volume", number(o.volume));
    add("jobs", number(o.jobs));
    add("out", o.output.isEmpty() ? QString() : o.output + u'/' + QString::number(o.outputFormat));
    add("lines", o.linesFolder);
    add("chapters",
        o.chaptersFolder.isEmpty() ? QString() : o.chaptersFolder + u'/' + o.chapterType.suffix);
    add("subtitles", subtitleSuffix(o.subtitles));
    add("title", o.title);
    add("author", o.author);
    for (const auto& [name, set] :
         {std::pair{"list", o.listVoices}, std::pair{"quiet", o.quiet}, std::pair{"help", o.help},
          std::pair{"version", o.version}, std::pair{"as-written", o.noDictionary}})
        if (set)
            s << QString::fromLatin1(name);
    return s.join(u' ');
}

const QList<VoiceToken> Voices = {
    {QStringLiteral("sit/cmn"), QStringLiteral("Chinese (Mandarin, latin as English)"),
     QStringLiteral("cmn")},
    {QStringLiteral("sit/cmn-Latn-pinyin"), QStringLiteral("Chinese (Mandarin, latin as Pinyin)"),
     QStringLiteral("cmn-latn-pinyin")},
    {QStringLiteral("gmw/en-US"), QStringLiteral("English (America)"), QStringLiteral("en-us")},
    {QStringLiteral("gmw/en"), QStringLiteral("English (Great Britain)"), QStringLiteral("en-gb")},
    {QStringLiteral("roa/es-419"), QStringLiteral("Spanish (Latin America)"),
     QStringLiteral("es-419")},
};

} // namespace

void TestSayOptions::goodCommandLines_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("expected");
    const char* const rows[][2] = {
        {"a.txt - b.pdf", "files=a.txt,-,b.pdf"},
        {"--rate -10 --volume 0 --jobs 0 x", "files=x rate=-10 volume=0 jobs=0"},
        {"--rate=3 --rate=10 --voice=cmn", "voice=cmn rate=10"},
        {"-o Book.MP3", "out=Book.MP3/1001"},
        {"--output x.opus -o y/z.flac", "out=y/z.flac/1004"},
        {"--lines out f -q --list-voices -h --version",
         "files=f lines=out list quiet help version"},
        {"-- --rate -q", "files=--rate,-q"},
        {"--no-dictionary -o a.wav x", "files=x out=a.wav/18 as-written"},
        {"--chapters out b.txt", "files=b.txt chapters=out/wav"},
        {"--chapters=out --format MP3 --subtitles srt --title 书 --author 某人 b.txt",
         "files=b.txt chapters=out/mp3 subtitles=srt title=书 author=某人"},
        {"-o x.ogg --subtitles=lrc", "out=x.ogg/1002 subtitles=lrc"},
    };
    for (const auto& [arguments, expected] : rows)
        QTest::newRow(arguments) << QString::fromUtf8(arguments) << QString::fromUtf8(expected);
}

void TestSayOptions::goodCommandLines() {
    QFETCH(QString, arguments);
    QFETCH(QString, expected);
    QCOMPARE(summary(parseSayOptions(arguments.split(u' '))), expected);
}

void TestSayOptions::badCommandLines_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("message");
    const char* const rows[][2] = {
        {"--rate 11", "--rate takes a whole number from -10 to 10"},
        {"--rate=-11", "--rate"},
        {"--rate 1.5", "--rate"},
        {"--rate", "--rate needs a value"},
        {"--volume 101", "--volume takes a whole number from 0 to 100"},
        {"--volume -1", "--volume"},
        {"--volume=", "--volume"},
        {"--jobs 65", "--jobs takes a whole number from 0 to 64"},
        {"--jobs all", "--jobs"},
        {"--voice=", "--voice needs a value"},
        {"-o", "-o needs a value"},
        {"-o book.txt", "\"book.txt\""},
        {"-o a.mp3/book", "\"a.mp3/book\""},
        {"--lines", "--lines needs a value"},
        {"-o a.wav --lines d", "-o, --lines and --chapters cannot be used together"},
        {"--chapters d -o a.wav", "cannot be used together"},
        {"--chapters d --lines e", "cannot be used together"},
        {"--chapters", "--chapters needs a value"},
        {"--chapters d --format aac", "--format takes mp3, ogg, opus, flac or wav, not \"aac\""},
        {"--format mp3", "--format goes with --chapters"},
        {"-o a.mp3 --title T", "--title goes with --chapters"},
        {"--author=A", "--author goes with --chapters"},
        {"--chapters d --title=", "--title needs a value"},
        {"--subtitles srt", "--subtitles goes with -o or --chapters"},
        {"--lines d --subtitles lrc", "--subtitles goes with -o or --chapters"},
        {"-o a.wav --subtitles vtt", "--subtitles takes srt or lrc, not \"vtt\""},
        {"--quiet=yes", "--quiet takes no value"},
        {"--no-dictionary=yes", "--no-dictionary takes no value"},
        {"--speed 3", "unknown option --speed"},
        {"-rate 3", "unknown option -rate"},
    };
    for (const auto& [arguments, message] : rows)
        QTest::newRow(arguments) << QString::fromUtf8(arguments) << QString::fromUtf8(message);
}

void TestSayOptions::badCommandLines() {
    QFETCH(QString, arguments);
    QFETCH(QString, message);
    try {
        parseSayOptions(arguments.split(u' '));
        QFAIL("accepted");
    } catch (const UsageError& error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
}

void TestSayOptions::voiceNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index"); // -1: refused
    const std::pair<const char*, int> rows[] = {
        {"3", 3},
        {"5", -1},
        {"-1", -1},
        {"english (america)", 2},
        {"en", 3},
        {"EN-us", 2},
        {"gmw/en", 3},
        {"es", 4},
        {"e", -1},
        {"English", -1},
        // The names the window shows.
        {"英语（英国）", 3},
        {"中文（普通话，拼音）", 1},
        {"英语", -1},
    };
    for (const auto& [name, index] : rows)
        QTest::newRow(name) << QString::fromUtf8(name) << index;
}

void TestSayOptions::voiceNames() {
    QFETCH(QString, name);
    QFETCH(int, index);
    try {
        QCOMPARE(int(voiceNamed(Voices, name)), index);
    } catch (const UsageError& error) {
        QVERIFY2(index == -1 && error.message().contains(name), qPrintable(error.message()));
    }
}

void TestSayOptions::progressLines_data() {
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("line");
    QTest::newRow("start") << 0LL << 200LL << "[..............................]   0% of 200 lines";
    QTest::newRow("below a step") << 199LL << 200LL
                                  << "[#############################.]  99% of 200 lines";
    QTest::newRow("nothing to do")
        << 0LL << 0LL << "[##############################] 100% of 0 lines";
}

void TestSayOptions::progressLines() {
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(QString, line);
    QCOMPARE(progressLine(done, total, QStringLiteral("lines")), line);
}

QTEST_GUILESS_MAIN(TestSayOptions)
#include "tst_say_options.moc"
