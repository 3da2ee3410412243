// parlora-say as a user runs it: every kind of input into audio, exit statuses, interruption.
#include <QDir>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sndfile.h>

class TestSayProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void inputKinds_data();
    void inputKinds();
    void standardInput_data();
    void standardInput();
    void exitStatuses_data();
    void exitStatuses();
    void storedSettingsAreTheDefaults();
    void interruptionLeavesNoPartialFile_data();
    void interruptionLeavesNoPartialFile();

private:
    struct Run {
        int status = -1; // the exit code, or 128 + the signal that ended the program
        QString out;
        QString err;
    };
    QProcess* start(const QStringList& arguments, const QByteArray& input = {});
    Run say(const QStringList& arguments, const QByteArray& input = {});
    QString write(const QString& name, const QByteArray& bytes);
    // The paragraphs the program reads from the arguments, from the names of --lines files.
    QStringList paragraphs(const QStringList& arguments, const QByteArray& input = {});

    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

struct Sound {
    int rate = 0;
    int channels = 0;
    sf_count_t frames = 0;
    int peak = 0;
};

Sound sound(const QString& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return {};
    Sound s{info.samplerate, info.channels, info.frames, 0};
    std::vector<short> samples(size_t(info.frames * info.channels));
    sf_read_short(file, samples.data(), sf_count_t(samples.size()));
    sf_close(file);
    for (short sample : samples)
        s.peak = std::max(s.peak, std::abs(int(sample)));
    return s;
}

QByteArray fixture(const QString& name) {
    QFile file(QStringLiteral(FIXTURES "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList fixtureLines(const QString& name) {
    return QString::fromUtf8(fixture(name)).split(u'\n', Qt::SkipEmptyParts);
}

// What the voice says when the test runs without a sound server; nothing else is expected.
QString withoutSoundNote(QString err) {
    return err.remove(QStringLiteral("parlora: no sound device; speech runs silently\n"));
}

// Long enough for the encoding to be recognised.
const QString Legacy =
    QStringLiteral("这是用旧式编码保存的中文文件，朗读程序应当正确识别它的编码。");
const QString Piped = QStringLiteral("从管道送来的中文文字，编码也是旧式的国家标准，不是统一码。");

QByteArray gb18030(const QString& text) {
    return QStringEncoder("GB18030")(text);
}

// About twenty minutes of speech in forty paragraphs, a few export pieces.
QByteArray longText() {
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("第%1段。").arg(i) +
                QStringLiteral("导出要花很长时间，一句接着一句地读下去。").repeated(6) + u'\n';
    return text.toUtf8();
}

} // namespace

void TestSayProgram::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QDir(m_dir->path()).mkpath(QStringLiteral("config"));
}

QProcess* TestSayProgram::start(const QStringList& arguments, const QByteArray& input) {
    auto* process = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The settings of this test, never the user's.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       m_dir->filePath(QStringLiteral("config")));
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(m_dir->path());
    process->start(QStringLiteral(PARLORA_SAY), arguments);
    process->write(input);
    process->closeWriteChannel();
    return process;
}

TestSayProgram::Run TestSayProgram::say(const QStringList& arguments, const QByteArray& input) {
    std::unique_ptr<QProcess> process(start(arguments, input));
    if (!process->waitForFinished(120'000))
        return {};
    const bool signalled = process->exitStatus() == QProcess::CrashExit;
    return {signalled ? 128 + process->exitCode() : process->exitCode(),
            QString::fromUtf8(process->readAllStandardOutput()),
            QString::fromUtf8(process->readAllStandardError())};
}

QString TestSayProgram::write(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QStringList TestSayProgram::paragraphs(const QStringList& arguments, const QByteArray& input) {
    const QString folder = m_dir->filePath(QStringLiteral("lines"));
    QDir(folder).removeRecursively();
    const Run run = say(QStringList{QStringLiteral("--lines"), folder} + arguments, input);
    if (run.status != 0)
        return {QStringLiteral("status %1: %2").arg(run.status).arg(run.err)};
    // "<number>.<paragraph>.wav", in the order of the numbers.
    QMap<int, QString> byNumber;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        const qsizetype dot = name.indexOf(u'.');
        byNumber.insert(name.left(dot).toInt(), name.mid(dot + 1).chopped(4));
    }
    return byNumber.values();
}

void TestSayProgram::inputKinds_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("txt in GB18030") << QStringLiteral("chinese.txt")
                                    << gb18030(Legacy + QStringLiteral("\r\n第二段：English.\r\n"))
                                    << QStringList{Legacy, QStringLiteral("第二段：English.")};
    QTest::newRow("ini in UTF-16")
        << QStringLiteral("set.ini")
        << QByteArray("\xff\xfe[\0s\0e\0t\0]\0\r\0\n\0R\0a\0t\0e\0=\0"
                      "5\0",
                      30)
        << QStringList{QStringLiteral("[set]"), QStringLiteral("Rate=5")};
    QTest::newRow("rtf with a Chinese code page")
        << QStringLiteral("doc.rtf")
        << QByteArray("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}"
                      "\\f0 Hello \\b bold\\b0 .\\par \\'d6\\'d0\\'ce\\'c4\\par}")
        << QStringList{QStringLiteral("Hello bold."), QStringLiteral("中文")};
    QTest::newRow("html") << QStringLiteral("page.html")
                          << QByteArray(
                                 "<html><head><meta charset=\"utf-8\"></head><body><h1>标题</h1>"
                                 "<p>Some <b>bold</b> text.</p></body></html>")
                          << QStringList{QStringLiteral("标题"), QStringLiteral("Some bold text.")};
    QTest::newRow("doc") << QStringLiteral("sample.doc")
                         << fixture(QStringLiteral("converter_sample.doc"))
                         << fixtureLines(QStringLiteral("converter_sample.doc.txt"));
    QTest::newRow("pdf") << QStringLiteral("sample.pdf")
                         << fixture(QStringLiteral("converter_sample.pdf"))
                         << fixtureLines(QStringLiteral("converter_sample.pdf.txt"));
    QTest::newRow("other kinds read as text")
        << QStringLiteral("NOTES") << QByteArray("Plain notes.\n")
        << QStringList{QStringLiteral("Plain notes.")};
}

// The text is read as the window reads it, and spoken into a 16 kHz mono WAV file.
void TestSayProgram::inputKinds() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    const QString path = write(name, bytes);
    QStringList read = paragraphs({path});
    read.removeAll(QString()); // a page's blank lines
    QCOMPARE(read.join(u'|'), expected.join(u'|'));

    const QString wav = m_dir->filePath(QStringLiteral("out.wav"));
    const Run run = say({QStringLiteral("-o"), wav, path});
    QCOMPARE(run.status, 0);
    QCOMPARE(withoutSoundNote(run.err), QString());
    const Sound s = sound(wav);
    QCOMPARE(s.rate, 16000);
    QCOMPARE(s.channels, 1);
    QVERIFY2(s.frames > 8000, qPrintable(QString::number(s.frames))); // half a second at least
    QVERIFY(s.peak > 1000);
}

void TestSayProgram::standardInput_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("no file") << QStringList() << QStringList{Piped};
    QTest::newRow("dash") << QStringList{QStringLiteral("-")} << QStringList{Piped};
    QTest::newRow("between files, in order")
        << QStringList{QStringLiteral("a.txt"), QStringLiteral("-"), QStringLiteral("a.txt")}
        << QStringList{QStringLiteral("A."), Piped, QStringLiteral("A.")};
}

void TestSayProgram::standardInput() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, expected);
    write(QStringLiteral("a.txt"), "A.");
    QCOMPARE(paragraphs(arguments, gb18030(Piped + u'\n')).join(u'|'), expected.join(u'|'));
}

void TestSayProgram::exitStatuses_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // in the one line on standard error, or on stdout
    const QString out = QStringLiteral("out.mp3");
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0 << QStringLiteral("Usage:");
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0
                             << QStringLiteral("parlora-say 0.");
    QTest::newRow("voices") << QStringList{QStringLiteral("--list-voices")} << 0
                            << QStringLiteral("0\tcmn\t");
    QTest::newRow("bad option value")
        << QStringList{QStringLiteral("--volume"), QStringLiteral("loud"), QStringLiteral("a.txt")}
        << 2 << QStringLiteral("--volume");
    QTest::newRow("unknown voice")
        << QStringList{QStringLiteral("--voice"), QStringLiteral("nobody"), QStringLiteral("-o"),
                       out, QStringLiteral("a.txt")}
        << 2 << QStringLiteral("nobody");
    QTest::newRow("missing file") << QStringList{QStringLiteral("-o"), out, QStringLiteral("a.txt"),
                                                 QStringLiteral("gone.txt")}
                                  << 1 << QStringLiteral("gone.txt");
    QTest::newRow("damaged pdf") << QStringList{QStringLiteral("-o"), out,
                                                QStringLiteral("bad.pdf")}
                                 << 1 << QStringLiteral("bad.pdf");
    QTest::newRow("missing web page")
        << QStringList{QStringLiteral("-o"), out, QStringLiteral("gone.html")} << 1
        << QStringLiteral("gone.html");
    QTest::newRow("output folder missing")
        << QStringList{QStringLiteral("-o"), QStringLiteral("no/such/folder/out.mp3"),
                       QStringLiteral("a.txt")}
        << 1 << QStringLiteral("no/such/folder/out.mp3");
}

void TestSayProgram::exitStatuses() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    write(QStringLiteral("a.txt"), "Some words.");
    write(QStringLiteral("bad.pdf"), "%PDF-1.4\n1 0 obj broken");
    const Run run = say(arguments);
    QCOMPARE(run.status, status);
    if (status == 0) {
        QVERIFY2(run.out.contains(message), qPrintable(run.out));
        return;
    }
    const QStringList lines = withoutSoundNote(run.err).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() == (status == 2 ? 2 : 1), qPrintable(run.err)); // usage: and a hint
    QVERIFY2(lines.first().startsWith(QStringLiteral("parlora-say: ")) &&
                 lines.first().contains(message),
             qPrintable(run.err));
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("out.mp3"))));
}

// The window's stored volume applies unless an option says otherwise; the settings are only read.
void TestSayProgram::storedSettingsAreTheDefaults() {
    const QString wav = m_dir->filePath(QStringLiteral("out.wav"));
    const QString text = write(QStringLiteral("a.txt"), "Some words to hear.");
    QCOMPARE(say({QStringLiteral("-o"), wav, text}).status, 0);
    QVERIFY(sound(wav).peak > 1000);
    QVERIFY2(!QFileInfo::exists(m_dir->filePath(QStringLiteral("config/parlora"))),
             "the settings folder was created");

    QDir(m_dir->path()).mkpath(QStringLiteral("config/parlora"));
    write(QStringLiteral("config/parlora/set.ini"), "[set]\r\nVolume=0\r\n");
    QCOMPARE(say({QStringLiteral("-o"), wav, text}).status, 0);
    QCOMPARE(sound(wav).peak, 0);
    QCOMPARE(
        say({QStringLiteral("--volume"), QStringLiteral("100"), QStringLiteral("-o"), wav, text})
            .status,
        0);
    QVERIFY(sound(wav).peak > 1000);
    QFile settings(m_dir->filePath(QStringLiteral("config/parlora/set.ini")));
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(settings.readAll(), QByteArray("[set]\r\nVolume=0\r\n"));
}

void TestSayProgram::interruptionLeavesNoPartialFile_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("signal");
    QTest::newRow("compressed, with helpers")
        << QStringList{QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("-o"),
                       QStringLiteral("out/book.opus")}
        << SIGINT;
    QTest::newRow("wav, in the program")
        << QStringList{QStringLiteral("--jobs"), QStringLiteral("0"), QStringLiteral("-o"),
                       QStringLiteral("out/book.wav")}
        << SIGTERM;
    QTest::newRow("lines") << QStringList{QStringLiteral("--lines"), QStringLiteral("out")}
                           << SIGINT;
    QTest::newRow("speaking") << QStringList() << SIGINT;
}

// The program ends promptly, as by the signal; finished files stay, half-written ones go.
void TestSayProgram::interruptionLeavesNoPartialFile() {
    QFETCH(QStringList, arguments);
    QFETCH(int, signal);
    const QDir out(m_dir->filePath(QStringLiteral("out")));
    out.mkpath(QStringLiteral("."));
    const QString book = write(QStringLiteral("book.txt"), longText());
    std::unique_ptr<QProcess> process(start(arguments << book));
    const auto written = [&] {
        qint64 bytes = -1;
        for (const QFileInfo& part :
             out.entryInfoList({QStringLiteral(".export-*")}, QDir::Files | QDir::Hidden))
            bytes = std::max(bytes, part.size());
        return bytes;
    };
    // Stopped while the audio streams in, not while the export starts.
    if (arguments.size() > 1)
        QVERIFY(QTest::qWaitFor([&] { return written() > 100'000; }, 30'000));
    else
        QTest::qWait(1500); // speaking
    QCOMPARE(process->state(), QProcess::Running);
    QElapsedTimer stopping;
    stopping.start();
    ::kill(pid_t(process->processId()), signal);
    QVERIFY(process->waitForFinished(10'000));
    QVERIFY2(stopping.elapsed() < 3000, qPrintable(QString::number(stopping.elapsed())));
    QCOMPARE(process->exitStatus(), QProcess::CrashExit);
    QCOMPARE(process->exitCode(), signal);
    QCOMPARE(withoutSoundNote(QString::fromUtf8(process->readAllStandardError())), QString());
    QCOMPARE(written(), -1);
    for (const QString& name : out.entryList(QDir::Files | QDir::Hidden))
        QVERIFY2(sound(out.filePath(name)).frames > 0, qPrintable(name));
    QVERIFY(!out.exists(QStringLiteral("book.opus")) && !out.exists(QStringLiteral("book.wav")));
}

QTEST_GUILESS_MAIN(TestSayProgram)
#include "tst_say_program.moc"
