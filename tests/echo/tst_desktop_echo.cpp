// The real Key module and the real clipboard on an X server: keys typed into another program's
// window arrive on the pipe, and text copied by another program is spoken.
#include "app/tfmain.h"
#include "echo/keystroke.h"
#include "platform/fakes/fake_platform.h"
#include "platform/key_module.h"

#include <QBuffer>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>

class TestDesktopEcho : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void pressRepeatReleaseThenOff();
    void missingModule();
    void blockNotOurs_data();
    void blockNotOurs();
    void textCopiedByAnotherProgram();
    void keyThatStartsAReadingIsNotEchoed();

private:
    QProcess m_window; // the program whose window has the keyboard
    QProcess m_copier; // the program that owns the clipboard
};

namespace {

const std::string BlockName = hookblock::name(getuid());

void xdotool(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished(10000);
}

QStringList typed(const char* keys) {
    QStringList arguments;
    for (const QString& step : QString::fromLatin1(keys).split(u' '))
        arguments << step.section(u':', 0, 0) << step.section(u':', 1);
    return arguments;
}

QList<std::uint32_t> messages(const QSignalSpy& spy) {
    QList<std::uint32_t> values;
    for (const QList<QVariant>& signal : spy)
        values << signal.at(0).value<std::uint32_t>();
    return values;
}

// Copies text to the clipboard from a separate process that keeps it until it is stopped.
void copy(QProcess& copier, const QByteArray& data, const QString& type) {
    copier.kill();
    copier.waitForFinished();
    copier.start(QStringLiteral("xclip"),
                 {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                  QStringLiteral("clipboard"), QStringLiteral("-t"), type});
    copier.waitForStarted();
    copier.write(data);
    copier.closeWriteChannel();
}

} // namespace

void TestDesktopEcho::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server; 'make test' starts one");
    shm_unlink(BlockName.c_str());
    m_window.start(
        QStringLiteral("xmessage"),
        {QStringLiteral("-name"), QStringLiteral("typedinto"), QStringLiteral("keys go here")});
    QVERIFY(m_window.waitForStarted());
    QProcess search;
    QString id;
    for (int tries = 0; tries < 100 && id.isEmpty(); ++tries) {
        search.start(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--sync"),
                      QStringLiteral("--classname"), QStringLiteral("typedinto")});
        search.waitForFinished(10000);
        id = QString::fromLatin1(search.readAllStandardOutput()).section(u'\n', 0, 0).trimmed();
    }
    QVERIFY(!id.isEmpty());
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
}

void TestDesktopEcho::cleanupTestCase() {
    for (QProcess* process : {&m_window, &m_copier}) {
        process->kill();
        process->waitForFinished();
    }
}

void TestDesktopEcho::cleanup() {
    shm_unlink(BlockName.c_str());
}

void TestDesktopEcho::pressRepeatReleaseThenOff() {
    KeyModule hook(QStringLiteral(KEY_MODULE_DIR));
    QSignalSpy spy(&hook, &KeyHook::KeyMessage);
    QVERIFY(hook.HookOn());
    xdotool(typed("keydown:a keydown:a keyup:a keydown:KP_Enter keyup:KP_Enter"));
    const QList<std::uint32_t> expected{
        keystroke::make(0x1e, false, false, false), keystroke::make(0x1e, false, true, false),
        keystroke::make(0x1e, false, true, true), keystroke::make(0x1c, true, false, false),
        keystroke::make(0x1c, true, true, true)};
    QTRY_COMPARE(messages(spy), expected);
    hook.HookOff();
    hook.HookOff();
    xdotool(typed("key:b"));
    QTest::qWait(300);
    QCOMPARE(spy.size(), expected.size());
    // The block is gone with the hook.
    QVERIFY(shm_open(BlockName.c_str(), O_RDONLY, 0) < 0);
}

void TestDesktopEcho::missingModule() {
    QTemporaryDir empty;
    KeyModule hook(empty.path());
    QVERIFY(!hook.HookOn());
    hook.HookOff();
}

void TestDesktopEcho::blockNotOurs_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("otherOwner");
    QTest::addColumn<bool>("used");
    QTest::newRow("readable by everyone") << 0666 << false << false;
    QTest::newRow("another owner") << 0600 << true << false;
    QTest::newRow("our own, left by an earlier run") << 0600 << false << true;
}

// A block planted before the window starts never receives the window's pipe, and the module
// never writes to a pipe that such a block names.
void TestDesktopEcho::blockNotOurs() {
    QFETCH(int, mode);
    QFETCH(bool, otherOwner);
    QFETCH(bool, used);
    if (otherOwner && getuid() != 0)
        QSKIP("giving a block to another owner needs root");
    int planted[2];
    QVERIFY(pipe2(planted, O_CLOEXEC | O_NONBLOCK) == 0);
    const int block = shm_open(BlockName.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    QVERIFY(block >= 0);
    QVERIFY(ftruncate(block, hookblock::Size) == 0);
    QVERIFY(pwrite(block, &planted[1], sizeof planted[1], 0) == sizeof planted[1]);
    QVERIFY(fchmod(block, mode_t(mode)) == 0);
    if (otherOwner)
        QVERIFY(fchown(block, 65534, 65534) == 0);
    close(block);

    void* module = dlopen(KEY_MODULE_DIR "/Key.so", RTLD_NOW);
    QVERIFY(module);
    const auto hookOn = reinterpret_cast<void (*)()>(dlsym(module, "HookOn"));
    const auto hookOff = reinterpret_cast<void (*)()>(dlsym(module, "HookOff"));
    hookOn();
    xdotool(typed("key:c"));
    int received = 0;
    const auto arrived = [&] {
        std::uint32_t lParam = 0;
        while (read(planted[0], &lParam, sizeof lParam) == sizeof lParam)
            ++received;
        return received > 0;
    };
    if (used) {
        QTRY_VERIFY(arrived());
    } else {
        QTest::qWait(300);
        QVERIFY(!arrived());
    }
    hookOff();
    dlclose(module);

    KeyModule hook(QStringLiteral(KEY_MODULE_DIR));
    QCOMPARE(hook.HookOn(), used);
    hook.HookOff();
    close(planted[0]);
    close(planted[1]);
}

void TestDesktopEcho::textCopiedByAnotherProgram() {
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
        QSKIP("needs xclip");
    FakePlatform fakes;
    fakes.dataDirectory.writeFile(QStringLiteral("set.ini"),
                                  "[set]\nSpeakClipBrd=Yes\nShowClipBrdText=Yes\n");
    TFmain window(fakes.bundle());
    fakes.voice.clearCalls();
    copy(m_copier, QStringLiteral("复制的文字").toUtf8(), QStringLiteral("UTF8_STRING"));
    QTRY_COMPARE(fakes.voice.calls(), (QStringList{QStringLiteral("Skip:Sentence:2147483647"),
                                                   QStringLiteral("Speak:1:复制的文字")}));
    QCOMPARE(window.RichEdit1->toPlainText(), QStringLiteral("复制的文字"));

    QByteArray png;
    QBuffer buffer(&png);
    QImage(4, 4, QImage::Format_RGB32).save(&buffer, "PNG");
    copy(m_copier, png, QStringLiteral("image/png"));
    QTest::qWait(500);
    QCOMPARE(fakes.voice.calls().size(), 2);
    QCOMPARE(window.RichEdit1->toPlainText(), QStringLiteral("复制的文字"));
}

// The S of Alt+S, S is still down when the reading starts: its repeats and its release, seen
// by the real module, must not cut the reading off; other keys are echoed as ever.
void TestDesktopEcho::keyThatStartsAReadingIsNotEchoed() {
    FakePlatform fakes;
    fakes.voice.voices = {{QStringLiteral("gmw/en"), QStringLiteral("English")}};
    KeyModule hook(QStringLiteral(KEY_MODULE_DIR));
    QSignalSpy spy(&hook, &KeyHook::KeyMessage);
    Platform platform = fakes.bundle();
    platform.keyHook = &hook;
    TFmain window(platform);
    window.RichEdit1->setPlainText(QStringLiteral("A long text to read."));
    xdotool(typed("keydown:s"));
    QTRY_COMPARE(spy.size(), 1);
    window.BtnAloudClick();
    fakes.voice.clearCalls();
    xdotool(typed("keydown:s keydown:s keyup:s"));
    QTRY_COMPARE(spy.size(), 4);
    QTest::qWait(100);
    QVERIFY2(fakes.voice.calls().isEmpty(), qPrintable(fakes.voice.calls().join(u' ')));
    QTest::qWait(150); // past the moment a late first press still counts as the command's
    xdotool(typed("keydown:a keyup:a"));
    QTRY_COMPARE(fakes.voice.calls(), (QStringList{QStringLiteral("Skip:Sentence:2147483647"),
                                                   QStringLiteral("Speak:1:A")}));
}

QTEST_MAIN(TestDesktopEcho)
#include "tst_desktop_echo.moc"
