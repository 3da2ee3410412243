// Starts the real program on an X server, closes it through its File menu and checks the
// settings file it leaves behind.
#include "app/profile_file.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <csignal>

class TestStartupSmoke : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsAndExitsCleanly();
    void endingSessionKeepsSettings_data();
    void endingSessionKeepsSettings();
    void runsMaximisedOnASmallWaylandScreen();
    void missingSpeechDataIsReportedAndEnds();
    void soundServerUntouchedUntilSpeech();
    void typesAndReadsAloudInAWaylandSession();

private:
    // Starts the program with its settings in the given folder; returns its window's id.
    QString start(QProcess& program, const QTemporaryDir& config,
                  const QString& title = QStringLiteral("Parlora2008"),
                  const QProcessEnvironment& extra = {});
};

namespace {

QString xdotool(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished(10000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

QString waitForWindow(const QString& title, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        const QString found = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                       QStringLiteral("--name"), u'^' + title + u'$'});
        if (!found.isEmpty())
            return found.section(u'\n', 0, 0);
        QTest::qWait(100);
    }
    return {};
}

// A weston compositor of 1024x640 on the given back-end, with a runtime folder of its own, and
// the environment that runs the program on it through Qt's Wayland platform, settings in a
// folder of their own and no X server.
struct Weston {
    QTemporaryDir runtime;
    QTemporaryDir config;
    QProcess compositor;
    QProcessEnvironment program;

    // False when the compositor did not start.
    bool start(const QString& backend) {
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        program = QProcessEnvironment::systemEnvironment();
        program.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        program.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        program.remove(QStringLiteral("WAYLAND_DISPLAY"));
        // Under the sanitizers: the graphics driver that Qt's Wayland platform loads is unloaded
        // before the leak check, which then reports its lasting allocations under no module
        // name a suppression could match; the program's own leaks are checked on X11.
        program.insert(QStringLiteral("LSAN_OPTIONS"),
                       program.value(QStringLiteral("LSAN_OPTIONS")) +
                           QStringLiteral(":detect_leaks=0"));
        compositor.setProcessEnvironment(program);
        compositor.start(QStringLiteral("weston"),
                         {QStringLiteral("--backend=") + backend, QStringLiteral("--width=1024"),
                          QStringLiteral("--height=640"), QStringLiteral("--socket=parlora-test"),
                          QStringLiteral("--idle-time=0")});
        QElapsedTimer clock;
        clock.start();
        while (!QFile::exists(runtime.filePath(QStringLiteral("parlora-test")))) {
            if (compositor.state() == QProcess::NotRunning || clock.elapsed() > 20000)
                return false;
            QTest::qWait(50);
        }
        program.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("parlora-test"));
        program.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        program.remove(QStringLiteral("DISPLAY"));
        return true;
    }
    // Starts the program on the compositor; false when it cannot start.
    bool launch(QProcess& parlora) {
        parlora.setProcessEnvironment(program);
        parlora.setProcessChannelMode(QProcess::ForwardedChannels);
        parlora.start(QStringLiteral(PARLORA_EXECUTABLE), {});
        return parlora.waitForStarted();
    }
    ~Weston() {
        compositor.terminate();
        compositor.waitForFinished(10000);
    }
};

} // namespace

QString TestStartupSmoke::start(QProcess& program, const QTemporaryDir& config,
                                const QString& title, const QProcessEnvironment& extra) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(extra);
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(PARLORA_EXECUTABLE), {});
    if (!program.waitForStarted())
        return {};
    return waitForWindow(title, 30000);
}

void TestStartupSmoke::startsAndExitsCleanly() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server; 'make test' starts one");
    QTemporaryDir config;
    QProcess program;
    const QString window = start(program, config);
    QVERIFY2(!window.isEmpty(), "no window captioned Parlora2008 appeared");
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    xdotool({QStringLiteral("key"), QStringLiteral("alt+f")});
    QTest::qWait(300);
    xdotool({QStringLiteral("key"), QStringLiteral("x")});
    QVERIFY2(program.waitForFinished(20000), "the program did not end after File > Exit");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    const QString settings = config.filePath(QStringLiteral("parlora/set.ini"));
    QVERIFY2(QFile::exists(settings), qPrintable(settings));
    const ProfileFile saved = ProfileFile::load(settings);
    QCOMPARE(saved.readString(QStringLiteral("set"), QStringLiteral("SpeakKey"), {}),
             QStringLiteral("All"));
    QCOMPARE(saved.readInteger(QStringLiteral("set"), QStringLiteral("ToolBar"), -1), 1);
}

void TestStartupSmoke::endingSessionKeepsSettings_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("session ends") << int(SIGTERM);
    QTest::newRow("Ctrl+C") << int(SIGINT);
    QTest::newRow("terminal closed") << int(SIGHUP);
}

// The window had its tool bar hidden; the ending keeps that, as a close would.
void TestStartupSmoke::endingSessionKeepsSettings() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server; 'make test' starts one");
    QFETCH(int, signalNumber);
    QTemporaryDir config;
    QVERIFY(QDir(config.path()).mkpath(QStringLiteral("parlora")));
    QFile settings(config.filePath(QStringLiteral("parlora/set.ini")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[set]\nToolBar=0\n");
    settings.close();

    QProcess program;
    QVERIFY2(!start(program, config).isEmpty(), "no window captioned Parlora2008 appeared");
    QVERIFY(::kill(static_cast<pid_t>(program.processId()), signalNumber) == 0);
    QVERIFY2(program.waitForFinished(20000), "the program did not end on the signal");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const ProfileFile saved = ProfileFile::load(settings.fileName());
    QCOMPARE(saved.readInteger(QStringLiteral("set"), QStringLiteral("ToolBar"), -1), 0);
    QCOMPARE(saved.readString(QStringLiteral("set"), QStringLiteral("SpeakKey"), {}),
             QStringLiteral("All"));
}

// A compositor refuses a maximised window larger than the space it offers, and the program
// dies of the protocol error; a netbook's screen is the tight case.
void TestStartupSmoke::runsMaximisedOnASmallWaylandScreen() {
    if (QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty())
        QSKIP("needs weston; 'make test' installs it");
    Weston weston;
    QVERIFY(weston.start(QStringLiteral("headless-backend.so")));
    QProcess program;
    QVERIFY(weston.launch(program));
    // The compositor configures the maximised window at once; a refusal ends the program.
    QVERIFY2(!program.waitForFinished(5000), "the program ended on the Wayland screen");
    QVERIFY(::kill(static_cast<pid_t>(program.processId()), SIGTERM) == 0);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(QFile::exists(weston.config.filePath(QStringLiteral("parlora/set.ini"))));
}

// The engine loads its data while the window shows; data that cannot be loaded is reported
// over the window, and the program ends, keeping the voice the user had chosen.
void TestStartupSmoke::missingSpeechDataIsReportedAndEnds() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server; 'make test' starts one");
    QTemporaryDir config;
    QVERIFY(QDir(config.path()).mkpath(QStringLiteral("parlora")));
    QFile settings(config.filePath(QStringLiteral("parlora/set.ini")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[set]\nEngine=3\n");
    settings.close();
    QTemporaryDir noData;
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("ESPEAK_DATA_PATH"), noData.path());
    QProcess program;
    const QString box = start(program, config, QStringLiteral("Parlora"), extra);
    QVERIFY2(!box.isEmpty(), "no message box captioned Parlora appeared");
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), box});
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    QVERIFY2(program.waitForFinished(20000), "the program did not end after the message");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    const ProfileFile saved = ProfileFile::load(settings.fileName());
    QCOMPARE(saved.readInteger(QStringLiteral("set"), QStringLiteral("Engine"), -1), 3);
}

// The sound device is opened by the first speech, not at start-up: an idle window holds no
// connection to the sound server.
void TestStartupSmoke::soundServerUntouchedUntilSpeech() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        QSKIP("needs the X server and the private sound server that 'make test' starts");
    QTemporaryDir config;
    QProcess program;
    QVERIFY2(!start(program, config).isEmpty(), "no window captioned Parlora2008 appeared");
    QTest::qWait(1000);
    QProcess clients;
    clients.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("clients")});
    QVERIFY(clients.waitForFinished(10000));
    const QString list = QString::fromUtf8(clients.readAllStandardOutput());
    QVERIFY2(list.contains(QStringLiteral("application.process.id")), qPrintable(list));
    QVERIFY2(
        !list.contains(QStringLiteral("application.process.id = \"%1\"").arg(program.processId())),
        qPrintable(list));
    program.terminate();
    QVERIFY(program.waitForFinished(20000));
}

// In a Wayland session (weston, drawn into the X server so that xdotool's keys reach it), text
// typed into the window is read aloud into the sound server, and the end of the session writes
// the settings.
namespace {

// Blocks of 100 ms with speech in them, in 16 kHz mono samples.
int loudBlocks(const QByteArray& sound) {
    const auto* samples = reinterpret_cast<const qint16*>(sound.constData());
    int loud = 0;
    for (qsizetype at = 0; at + 1600 <= sound.size() / 2; at += 1600)
        loud += std::any_of(samples + at, samples + at + 1600, [](qint16 s) { return s > 1000; });
    return loud;
}

} // namespace

void TestStartupSmoke::typesAndReadsAloudInAWaylandSession() {
    for (const char* tool : {"weston", "parec", "xdotool"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP("needs weston, parec and xdotool; 'make test' installs them");
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("PULSE_SINK"))
        QSKIP("needs the X server and the private sound server that 'make test' starts");
    Weston weston;
    QVERIFY(weston.start(QStringLiteral("x11-backend.so")));
    // The program has no X server, so the key echo hears nothing: the only speech is the reading.
    QProcess program;
    QVERIFY(weston.launch(program));
    QTest::qWait(4000); // the window maps and takes the keyboard
    // Weston's window fills the top left of the X screen; keys go where the pointer is.
    xdotool({QStringLiteral("mousemove"), QStringLiteral("512"), QStringLiteral("320")});
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"),
             QStringLiteral("hello wayland")});

    QProcess recorder;
    recorder.start(QStringLiteral("parec"),
                   {QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                    QStringLiteral("--channels=1"), QStringLiteral("--rate=16000"),
                    QStringLiteral("-d"),
                    qEnvironmentVariable("PULSE_SINK") + QStringLiteral(".monitor")});
    QVERIFY(recorder.waitForStarted());
    // The recorder takes a while to join a busy sound server: its first (silent) samples say
    // that it hears the sink.
    QVERIFY(recorder.waitForReadyRead(10000));
    QByteArray sound;
    int loud = 0;
    // A compositor that is slow to give the new window the keyboard drops the first keys: they
    // are pressed again while nothing has been heard.
    for (int attempt = 0; attempt < 3 && loud < 3; ++attempt) {
        if (attempt > 0)
            xdotool({QStringLiteral("key"), QStringLiteral("Escape")}); // a menu left open
        xdotool({QStringLiteral("key"), QStringLiteral("alt+s")}); // 朗读, the menu's first item
        QTest::qWait(500);
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        QElapsedTimer waited;
        waited.start();
        while (loud < 3 && waited.elapsed() < (loud == 0 ? 5000 : 10000)) {
            recorder.waitForReadyRead(200);
            sound += recorder.readAllStandardOutput();
            loud = loudBlocks(sound);
        }
        if (loud > 0)
            break; // speech has begun: it is heard out above
    }
    recorder.terminate();
    QVERIFY(recorder.waitForFinished(5000));
    QVERIFY2(loud >= 3, qPrintable(QStringLiteral("%1 loud blocks").arg(loud)));

    // The session ends: the window closes as its close button does.
    QVERIFY(::kill(static_cast<pid_t>(program.processId()), SIGTERM) == 0);
    QVERIFY2(program.waitForFinished(20000), "the program did not end with the session");
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(QFile::exists(weston.config.filePath(QStringLiteral("parlora/set.ini"))));
}

QTEST_GUILESS_MAIN(TestStartupSmoke)
#include "tst_startup_smoke.moc"
