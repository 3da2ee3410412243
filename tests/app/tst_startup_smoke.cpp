// Starts the real program on an X server, closes it through its File menu and checks the
// settings file it leaves behind.
#include "app/profile_file.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestStartupSmoke : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsAndExitsCleanly();
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

void TestStartupSmoke::startsAndExitsCleanly() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server; 'make test' starts one");
    QTemporaryDir config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(PARLORA_EXECUTABLE), {});
    QVERIFY(program.waitForStarted());

    const QString window = waitForWindow(QStringLiteral("Parlora2008"), 30000);
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

QTEST_GUILESS_MAIN(TestStartupSmoke)
#include "tst_startup_smoke.moc"
