// parlora-say as a user runs it: every kind of input into audio, exit statuses, interruption.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <sndfile.h>
#include <sys/stat.h>

class TestSayProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void inputKinds_data();
    void inputKinds();
    void exitStatuses_data();
    void exitStatuses();
    void pipesAreRefusedAtOnce_data();
    void pipesAreRefusedAtOnce();
    void documentWithoutTextFails();
    void storedSettingsAreTheDefaults();
    void dictionarySaysTheWords_data();
    void dictionarySaysTheWords();
    void interruptionLeavesNoPartialFile_data();
    void interruptionLeavesNoPartialFile();
    void bookOfChapters();
    void bookAuthorFromTheDocument();
    void mandarinVoiceSaysSyllables();
    void englishWordsAddNoPause();
    void lineReports_data();
    void lineReports();

private:
    QProcess* start(const QString& arguments, const QByteArray& input = {});
    // The exit status (128 + the signal when one ended it) and what came on standard error,
    // less the note of a test run without a sound server.
    std::pair<int, QString> say(const QString& arguments, const QByteArray& input = {});
    QString write(const QString& name, const QByteArray& bytes);
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

struct Sound {
    int rate = 0;
    sf_count_t frames = 0;
    int peak = 0;
};

std::vector<short> samplesOf(const QString& path, SF_INFO& info) {
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file || info.channels != 1)
        return {};
    std::vector<short> samples(size_t(info.frames));
    sf_read_short(file, samples.data(), info.frames);
    sf_close(file);
    return samples;
}

Sound sound(const QString& path) {
    SF_INFO info{};
    const std::vector<short> samples = samplesOf(path, info);
    if (samples.empty())
        return {};
    Sound s{info.samplerate, info.frames, 0};
    for (short sample : samples)
        s.peak = std::max(s.peak, std::abs(int(sample)));
    return s;
}

// The longest quiet stretch between the first and the last sound of a file, in milliseconds.
int longestInnerPause(const QString& path) {
    SF_INFO info{};
    const std::vector<short> samples = samplesOf(path, info);
    const auto loud = [](short sample) { return std::abs(int(sample)) > 300; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud).base();
    size_t longest = 0;
    size_t quiet = 0;
    for (auto at = first; at < last; ++at) {
        quiet = loud(*at) ? 0 : quiet + 1;
        longest = std::max(longest, quiet);
    }
    return info.samplerate > 0 ? int(longest * 1000 / size_t(info.samplerate)) : -1;
}

QByteArray fixture(const char* name) {
    QFile file(QStringLiteral(FIXTURES "/") + QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A converter fixture's expected text, paragraphs joined by "|".
QString fixtureText(const char* name) {
    return QString::fromUtf8(fixture(name)).split(u'\n', Qt::SkipEmptyParts).join(u'|');
}

QByteArray gb18030(const QString& text) {
    return QStringEncoder("GB18030")(text);
}

// Long enough for the encoding to be recognised.
const QString Legacy =
    QStringLiteral("这是用旧式编码保存的中文文件，朗读程序应当正确识别它的编码。");

// About twenty minutes of speech in forty paragraphs, a few export pieces.
QByteArray longText() {
    const QString paragraph =
        QStringLiteral("导出要花很长时间，一句接着一句地读下去。").repeated(6);
    return (paragraph + u'\n').repeated(40).toUtf8();
}

} // namespace

void TestSayProgram::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QDir(m_dir->path()).mkpath(QStringLiteral("config"));
}

QProcess* TestSayProgram::start(const QString& arguments, const QByteArray& input) {
    auto* process = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The settings of this test, never the user's.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       m_dir->filePath(QStringLiteral("config")));
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(m_dir->path());
    process->start(QStringLiteral(PARLORA_SAY), arguments.split(u' ', Qt::SkipEmptyParts));
    process->write(input);
    process->closeWriteChannel();
    return process;
}

std::pair<int, QString> TestSayProgram::say(const QString& arguments, const QByteArray& input) {
    std::unique_ptr<QProcess> process(start(arguments, input));
    if (!process->waitForFinished(120'000))
        return {-1, {}};
    const int signal = process->exitStatus() == QProcess::CrashExit ? 128 : 0;
    return {signal + process->exitCode(),
            QString::fromUtf8(process->readAllStandardError())
                .remove(QStringLiteral("parlora: no sound device; speech runs silently\n"))};
}

QString TestSayProgram::write(const QString& name, const QByteArray& bytes) {
    QFile file(m_dir->filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
    return name;
}

void TestSayProgram::inputKinds_data() {
    QTest::addColumn<QString>("name"); // "-": standard input
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("paragraphs");
    QTest::newRow("txt in GB18030") << "a.txt" << gb18030(Legacy + "\r\nB.\r\n") << Legacy + "|B.";
    QTest::newRow("standard input") << "-" << gb18030(Legacy) << Legacy;
    QTest::newRow("ini in UTF-16") << "set.ini"
                                   << QByteArray("\xff\xfe[\0s\0]\0\n\0x\0=\0"
                                                 "1\0",
                                                 16)
                                   << "[s]|x=1";
    QTest::newRow("rtf with a Chinese code page")
        << "a.rtf"
        << QByteArray("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 SimSun;}}"
                      "\\f0 Hello \\b bold\\b0 .\\par \\'d6\\'d0\\'ce\\'c4\\par}")
        << "Hello bold.|中文";
    QTest::newRow("html") << "a.html"
                          << QByteArray("<html><head><meta charset=\"utf-8\"></head><body>"
                                        "<h1>标题</h1><p>Some <b>bold</b> text.</p></body></html>")
                          << "标题|Some bold text.";
    QTest::newRow("doc") << "a.doc" << fixture("converter_sample.doc")
                         << fixtureText("converter_sample.doc.txt");
    QTest::newRow("pdf") << "a.pdf" << fixture("converter_sample.pdf")
                         << fixtureText("converter_sample.pdf.txt");
    QTest::newRow("other kinds as text")
        << "NOTES" << QByteArray("Some notes to read.\n") << "Some notes to read.";
}

// The paragraphs are read as the window reads them (seen in the names of the --lines files),
// and spoken into a 16 kHz mono WAV file.
void TestSayProgram::inputKinds() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, paragraphs);
    QByteArray input;
    if (name == u'-')
        input = bytes;
    else
        write(name, bytes);
    QCOMPARE(say(QStringLiteral("--lines lines ") + name, input), std::pair(0, QString()));
    QMap<int, QString> read; // by number
    for (const QString& file :
         QDir(m_dir->filePath(QStringLiteral("lines"))).entryList(QDir::Files))
        read.insert(file.section(u'.', 0, 0).toInt(), file.section(u'.', 1).chopped(4));
    // A file name takes no control characters: a tab between table cells becomes a blank.
    QCOMPARE(read.values().join(u'|'), QString(paragraphs).replace(u'\t', u' '));

    QCOMPARE(say(QStringLiteral("-o out.wav ") + name, input), std::pair(0, QString()));
    const Sound s = sound(m_dir->filePath(QStringLiteral("out.wav")));
    QCOMPARE(s.rate, 16000);
    QVERIFY2(s.frames > 8000 && s.peak > 1000, qPrintable(QString::number(s.frames)));
}

void TestSayProgram::exitStatuses_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // in the first line on standard error
    QTest::newRow("bad option value") << "--volume loud -o out.mp3 a.txt" << 2 << "--volume";
    QTest::newRow("unknown voice") << "--voice nobody -o out.mp3 a.txt" << 2 << "nobody";
    QTest::newRow("missing file") << "-o out.mp3 a.txt gone.txt" << 1 << "gone.txt";
    QTest::newRow("damaged pdf") << "-o out.mp3 bad.pdf" << 1 << "bad.pdf";
    QTest::newRow("missing web page") << "-o out.mp3 gone.html" << 1 << "gone.html";
    QTest::newRow("output folder missing") << "-o no/out.mp3 a.txt" << 1 << "no/out.mp3";
}

// One line names the problem (bad usage adds a hint), and no output is left.
void TestSayProgram::exitStatuses() {
    QFETCH(QString, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    write(QStringLiteral("a.txt"), "Some words.");
    write(QStringLiteral("bad.pdf"), "%PDF-1.4\n1 0 obj broken");
    const auto [exit, err] = say(arguments);
    QCOMPARE(exit, status);
    const QStringList lines = err.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() == (status == 2 ? 2 : 1) && lines[0].startsWith("parlora-say: ") &&
                 lines[0].contains(message),
             qPrintable(err));
    QVERIFY(QDir(m_dir->path()).entryList({QStringLiteral("*.mp3")}, QDir::Files).isEmpty());
}

void TestSayProgram::pipesAreRefusedAtOnce_data() {
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"pipe.txt", "pipe.rtf", "pipe.docx", "pipe.docm", "pipe.odt", "pipe.epub", "pipe.fb2",
          "pipe.md", "pipe.doc", "pipe.pdf", "pipe.htm", "pipe.png", "pipe"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// A named pipe of any kind is refused before it is opened: an open would wait for a writer
// that never comes, and neither the reader nor a termination signal would end it.
void TestSayProgram::pipesAreRefusedAtOnce() {
    QFETCH(QString, name);
    QVERIFY(::mkfifo(QFile::encodeName(m_dir->filePath(name)).constData(), 0600) == 0);
    std::unique_ptr<QProcess> process(start(QStringLiteral("-o out.wav ") + name));
    const bool ended = process->waitForFinished(20'000);
    if (!ended) {
        process->kill();
        process->waitForFinished();
    }
    QVERIFY2(ended, "parlora-say waits on the pipe");
    const QString err = QString::fromUtf8(process->readAllStandardError());
    QCOMPARE(process->exitCode(), 1);
    QVERIFY2(err.contains(name) && err.contains(QStringLiteral("这不是普通文件")), qPrintable(err));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("out.wav"))));
}

// Nothing to read is a failure that says so, not a silent recording.
void TestSayProgram::documentWithoutTextFails() {
    QFile odt(QStringLiteral(FIXTURES "/formula_only.odt"));
    QVERIFY(odt.open(QIODevice::ReadOnly));
    write(QStringLiteral("formula.odt"), odt.readAll());
    const auto [exit, err] = say(QStringLiteral("-o out.wav formula.odt"));
    QCOMPARE(exit, 1);
    QVERIFY2(err.contains(QStringLiteral("formula.odt")) &&
                 err.contains(QStringLiteral("没有可以朗读的文字")),
             qPrintable(err));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("out.wav"))));
}

// The window's stored volume applies unless an option says otherwise; the settings are only read.
void TestSayProgram::storedSettingsAreTheDefaults() {
    write(QStringLiteral("a.txt"), "Some words to hear.");
    const QString wav = m_dir->filePath(QStringLiteral("a.wav"));
    QCOMPARE(say(QStringLiteral("-o a.wav a.txt")).first, 0);
    QVERIFY(sound(wav).peak > 1000);
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("config/parlora"))));

    QDir(m_dir->path()).mkpath(QStringLiteral("config/parlora"));
    const QByteArray settings("[set]\r\nVolume=0\r\n");
    write(QStringLiteral("config/parlora/set.ini"), settings);
    QCOMPARE(say(QStringLiteral("-o a.wav a.txt")).first, 0);
    QCOMPARE(sound(wav).peak, 0);
    QCOMPARE(say(QStringLiteral("--volume 100 -o a.wav a.txt")).first, 0);
    QVERIFY(sound(wav).peak > 1000);
    QFile file(m_dir->filePath(QStringLiteral("config/parlora/set.ini")));
    QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == settings);
}

void TestSayProgram::dictionarySaysTheWords_data() {
    QTest::addColumn<QString>("voice");
    QTest::addColumn<QByteArray>("rules");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("substituted"); // the text as the dictionary makes it
    QTest::newRow("Latin") << "en" << QByteArray("XYZ=hello world\n") << QByteArray("XYZ")
                           << QByteArray("hello world");
    QTest::newRow("Chinese") << "cmn" << QByteArray("# 名字\nABC=艾比西\n")
                             << QByteArray("我爱ABC。") << QByteArray("我爱艾比西。");
    QTest::newRow("pinyin") << "cmn" << QByteArray("# 多音字\n行长=[xing2 chang2]\n")
                            << QByteArray("银行行长说。") << QByteArray("银行[xing2 chang2]说。");
}

// The window's dictionary applies to an export unless --no-dictionary says otherwise: the
// audio is as long as that of the substituted text, and the file of each line is still named
// after the line as written.
void TestSayProgram::dictionarySaysTheWords() {
    QFETCH(QString, voice);
    QFETCH(QByteArray, rules);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, substituted);
    QDir(m_dir->path()).mkpath(QStringLiteral("config/parlora"));
    write(QStringLiteral("config/parlora/pronunciation.txt"), rules);
    write(QStringLiteral("a.txt"), text);
    write(QStringLiteral("b.txt"), substituted);
    const QString options = QStringLiteral("--voice ") + voice;
    QCOMPARE(say(options + QStringLiteral(" -o a.wav a.txt")), std::pair(0, QString()));
    QCOMPARE(say(options + QStringLiteral(" -o b.wav b.txt")), std::pair(0, QString()));
    QCOMPARE(say(options + QStringLiteral(" --no-dictionary -o c.wav a.txt")),
             std::pair(0, QString()));
    QCOMPARE(say(options + QStringLiteral(" --lines lines a.txt")), std::pair(0, QString()));

    const sf_count_t dictionary = sound(m_dir->filePath(QStringLiteral("a.wav"))).frames;
    const sf_count_t reference = sound(m_dir->filePath(QStringLiteral("b.wav"))).frames;
    const sf_count_t asWritten = sound(m_dir->filePath(QStringLiteral("c.wav"))).frames;
    const QString counts = QStringLiteral("%1 %2 %3").arg(dictionary).arg(reference).arg(asWritten);
    QVERIFY2(reference > 4000 && std::abs(dictionary - reference) <= reference / 50,
             qPrintable(counts));
    const auto bytes = [&](const QString& name) {
        QFile file(m_dir->filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QVERIFY2(bytes(QStringLiteral("c.wav")) != bytes(QStringLiteral("a.wav")), qPrintable(counts));
    const QString line = QStringLiteral("lines/0.") + QString::fromUtf8(text) + ".wav";
    const sf_count_t lineFrames = sound(m_dir->filePath(line)).frames;
    QVERIFY2(std::abs(lineFrames - reference) <= reference / 50,
             qPrintable(QString::number(lineFrames)));
}

void TestSayProgram::interruptionLeavesNoPartialFile_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("signal");
    QTest::newRow("compressed, with helpers") << "--jobs 2 -o out/book.opus" << SIGINT;
    QTest::newRow("wav, in the program") << "--jobs 0 -o out/book.wav" << SIGTERM;
    QTest::newRow("lines") << "--lines out" << SIGINT;
    QTest::newRow("speaking") << "" << SIGINT;
}

// The program ends promptly, as by the signal; finished files stay, half-written ones go.
void TestSayProgram::interruptionLeavesNoPartialFile() {
    QFETCH(QString, arguments);
    QFETCH(int, signal);
    const QDir out(m_dir->filePath(QStringLiteral("out")));
    out.mkpath(QStringLiteral("."));
    std::unique_ptr<QProcess> process(start(arguments + u' ' + write("book.txt", longText())));
    // The part being written is an unnamed file in the folder: seen only among the program's
    // open files.
    const auto written = [&] {
        qint64 bytes = -1;
        const QString fds = QStringLiteral("/proc/%1/fd").arg(process->processId());
        for (const QFileInfo& fd : QDir(fds).entryInfoList(QDir::Files | QDir::System)) {
            if (fd.symLinkTarget().startsWith(out.absolutePath()) &&
                fd.symLinkTarget().contains(QStringLiteral("(deleted)")))
                bytes = std::max(bytes, QFileInfo(fd.absoluteFilePath()).size());
        }
        return bytes;
    };
    // Stopped while the audio streams in, not while the export starts.
    if (arguments.isEmpty())
        QTest::qWait(1500);
    else
        QVERIFY(QTest::qWaitFor([&] { return written() > 100'000; }, 30'000));
    QCOMPARE(process->state(), QProcess::Running);
    QElapsedTimer stopping;
    stopping.start();
    ::kill(pid_t(process->processId()), signal);
    QVERIFY(process->waitForFinished(10'000));
    QVERIFY2(stopping.elapsed() < 3000, qPrintable(QString::number(stopping.elapsed())));
    QCOMPARE(process->exitStatus(), QProcess::CrashExit);
    QCOMPARE(process->exitCode(), signal);
    QVERIFY(out.entryList(QDir::Files | QDir::Hidden)
                .filter(QRegularExpression(QStringLiteral("^\\.")))
                .isEmpty());
    QVERIFY(!out.exists(QStringLiteral("book.opus")) && !out.exists(QStringLiteral("book.wav")));
    for (const QString& name : out.entryList(QDir::Files))
        QVERIFY2(sound(out.filePath(name)).frames > 0, qPrintable(name));
}

// As a user makes a book: a file and subtitles for each chapter, tagged as its album's tracks.
void TestSayProgram::bookOfChapters() {
    const QString book = QStringLiteral("第一章 起\n天亮了。鸟儿开始唱歌。\n"
                                        "第二章 承\n她走到河边。\n第三章 合\n夜深了。\n");
    const auto [status, errors] =
        say(QStringLiteral("--chapters out --format mp3 --subtitles srt ") +
            write("河.txt", book.toUtf8()));
    QCOMPARE(errors, QString());
    QCOMPARE(status, 0);
    const QDir out(m_dir->filePath(QStringLiteral("out")));
    QCOMPARE(out.entryList(QDir::Files | QDir::Hidden),
             (QStringList{"01 第一章 起.mp3", "01 第一章 起.srt", "02 第二章 承.mp3",
                          "02 第二章 承.srt", "03 第三章 合.mp3", "03 第三章 合.srt"}));
    const QList<QStringList> cueTexts{{"第一章 起", "天亮了。", "鸟儿开始唱歌。"},
                                      {"第二章 承", "她走到河边。"},
                                      {"第三章 合", "夜深了。"}};
    const QStringList bases{"01 第一章 起", "02 第二章 承", "03 第三章 合"};
    for (qsizetype k = 0; k < bases.size(); ++k) {
        const QString audio = out.filePath(bases[k] + QStringLiteral(".mp3"));
        QVERIFY(sound(audio).peak > 1000);
        TagLib::MPEG::File file(QFile::encodeName(audio).constData());
        QVERIFY(file.ID3v2Tag());
        QCOMPARE(QString::fromStdString(file.ID3v2Tag()->album().to8Bit(true)),
                 QStringLiteral("河"));
        QCOMPARE(file.ID3v2Tag()->track(), unsigned(k + 1));
        QFile srt(out.filePath(bases[k] + QStringLiteral(".srt")));
        QVERIFY(srt.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(srt.readAll()).split(u'\n');
        QStringList texts;
        for (qsizetype line = 2; line < lines.size(); line += 4)
            texts << lines[line];
        QCOMPARE(texts, cueTexts[k]);
    }
}

// The author a document names is the book's artist unless --author says otherwise.
void TestSayProgram::bookAuthorFromTheDocument() {
    write(QStringLiteral("b.fb2"),
          "<FictionBook><description><title-info><author><first-name>雪芹</first-name>"
          "<last-name>曹</last-name></author></title-info></description><body><section><title>"
          "<p>第一回</p></title><p>说起根由。</p></section></body></FictionBook>");
    for (const auto& [options, artist] :
         {std::pair(QString(), QStringLiteral("雪芹 曹")),
          std::pair(QStringLiteral("--author 某人 "), QStringLiteral("某人"))}) {
        QDir(m_dir->filePath(QStringLiteral("out"))).removeRecursively();
        QCOMPARE(say(QStringLiteral("--chapters out --format mp3 ") + options + "b.fb2"),
                 std::pair(0, QString()));
        const QDir out(m_dir->filePath(QStringLiteral("out")));
        const QStringList files = out.entryList({QStringLiteral("*.mp3")}, QDir::Files);
        QVERIFY(!files.isEmpty());
        TagLib::MPEG::File file(QFile::encodeName(out.filePath(files.first())).constData());
        QVERIFY(file.ID3v2Tag());
        QCOMPARE(QString::fromStdString(file.ID3v2Tag()->artist().to8Bit(true)), artist);
    }
}

// The default voice says Chinese characters as Mandarin syllables: the engine's own Mandarin
// voice says each as pinyin letters and a tone number in English, which takes far longer.
void TestSayProgram::mandarinVoiceSaysSyllables() {
    write(QStringLiteral("a.txt"), "你好，今天天气很好。我们一起去银行吧。");
    QCOMPARE(say(QStringLiteral("-o default.wav a.txt")), std::pair(0, QString()));
    QCOMPARE(say(QStringLiteral("--voice cmn-latn-pinyin -o pinyin.wav a.txt")),
             std::pair(0, QString()));
    const sf_count_t byDefault = sound(m_dir->filePath(QStringLiteral("default.wav"))).frames;
    const sf_count_t byPinyin = sound(m_dir->filePath(QStringLiteral("pinyin.wav"))).frames;
    QVERIFY2(byPinyin > 16000 && byDefault <= byPinyin * 11 / 10 && byDefault >= byPinyin * 8 / 10,
             qPrintable(QStringLiteral("%1 %2").arg(byDefault).arg(byPinyin)));
}

// An English word in a Chinese sentence goes to an English voice without a pause around it.
void TestSayProgram::englishWordsAddNoPause() {
    write(QStringLiteral("a.txt"), "我在Windows系统里用Linux工具");
    QCOMPARE(say(QStringLiteral("-o a.wav a.txt")), std::pair(0, QString()));
    const int pause = longestInnerPause(m_dir->filePath(QStringLiteral("a.wav")));
    QVERIFY2(pause >= 0 && pause < 120, qPrintable(QString::number(pause)));
}

void TestSayProgram::lineReports_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("printed");
    QTest::newRow("pinyin") << "--pinyin" << QByteArray("银行行长说了\n")
                            << "yin2 hang2 hang2 zhang3 shuo1 le5\n";
    QTest::newRow("pinyin of every character") << "--pinyin" << QByteArray("用 GPU 算3次\n😀，好\n")
                                               << "yong4 _ G P U _ suan4 3 ci4\n😀 ， hao3\n";
    QTest::newRow("pinyin of an empty line") << "--pinyin" << QByteArray("\n好\n") << "\nhao3\n";
    QTest::newRow("spoken by the Mandarin voice")
        << "--spoken-text" << QByteArray("2024年3月5日\n没有数字。\n")
        << "二零二四年三月五日\n没有数字。\n";
    QTest::newRow("spoken by an English voice")
        << "--voice en --spoken-text" << QByteArray("2024年\n") << "2024年\n";
}

// One line printed for each line read, and nothing spoken.
void TestSayProgram::lineReports() {
    QFETCH(QString, option);
    QFETCH(QByteArray, input);
    QFETCH(QString, printed);
    std::unique_ptr<QProcess> process(start(option + QStringLiteral(" -"), input));
    QVERIFY(process->waitForFinished(30'000));
    QCOMPARE(process->exitCode(), 0);
    QCOMPARE(QString::fromUtf8(process->readAllStandardOutput()), printed);
}

QTEST_GUILESS_MAIN(TestSayProgram)
#include "tst_say_program.moc"
