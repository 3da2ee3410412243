// Starts the real program on an X server, closes it through its File menu and checks the
// settings file it leaves behind.
#include "app/profile_file.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

class TestStartupSmoke : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsAndExitsCleanly();
    void endingSessionKeepsSettings_data();
    void endingSessionKeepsSettings();

private:
    // Starts the program with its settings in the given folder; returns its window's id.
    QString start(QProcess& program, const QTemporaryDir& config);
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

} // namespace

QString TestStartupSmoke::start(QProcess& program, const QTemporaryDir& config) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(PARLORA_EXECUTABLE), {});
    if (!program.waitForStarted())
        return {};
    return waitForWindow(QStringLiteral("Parlora2008"), 30000);
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

QTEST_GUILESS_MAIN(TestStartupSmoke)
#include "tst_startup_smoke.moc"
