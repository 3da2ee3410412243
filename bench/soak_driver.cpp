// One long run of the window with its real speech, Key module and clipboard, for scripts/soak.
//   soak_driver [cycles [keys [clips [exports]]]]   (2000 20000 2000 200)
// Runs that many read/pause/resume/stop cycles; beside them types the keys into the display
// (xdotool, so the Key module hears them), changes the clipboard from a child process and
// exports a 2,000-character text, each spread evenly over the cycles. Prints VmRSS after each
// tenth of the cycles and at the end; exits 1 when the end exceeds 1.05 times the first
// figure or something failed.
//   soak_driver --clipboard-writer   the child: each line on its input becomes the clipboard.
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"
#include "platform/key_module.h"
#include "platform/speech/espeak_voice.h"
#include "platform/speech/speech_workers.h"
#include "platform/speech/wav_file_stream.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr double AllowedGrowth = 1.05;

long rssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

QString soakText() {
    const QString sentence =
        QStringLiteral("The reader speaks this sentence aloud, pauses, resumes and stops again. ");
    QString text;
    while (text.size() < 2000)
        text += sentence;
    return text.left(2000);
}

// Answers every save question with the same file; any message is a failure of the run.
class SoakDialogs : public FakeDialogs {
public:
    QString savePath;
    int failures = 0;
    void showMessage(QWidget*, const QString& caption, const QString& text, Icon) override {
        ++failures;
        std::fprintf(stderr, "soak: message \"%s\": %s\n", qPrintable(caption), qPrintable(text));
    }
    SaveChoice saveFileName(QWidget*, const QString&, const QString&) override {
        return {savePath, {}};
    }
};

// The keys typed into the display reach the Key module through the X server; inside the
// program they would edit the text or trigger commands, so they stop here.
class KeySwallower : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            event->accept();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return true;
        default:
            return false;
        }
    }
};

// Types keys into the display, one xdotool at a time, catching up with what is owed.
class KeyTyper {
public:
    KeyTyper() {
        QObject::connect(&m_process, &QProcess::finished, [this](int code, QProcess::ExitStatus) {
            if (code != 0)
                ++failures;
            typeOwed();
        });
    }
    int failures = 0;
    void owe(int keys) {
        m_owed += keys;
        if (m_process.state() == QProcess::NotRunning)
            typeOwed();
    }
    bool idle() const { return m_owed == 0 && m_process.state() == QProcess::NotRunning; }

private:
    void typeOwed() {
        if (m_owed == 0)
            return;
        static const QString keys = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
        QString chunk;
        for (int i = 0; i < m_owed; ++i)
            chunk += keys.at(m_typed++ % keys.size());
        m_owed = 0;
        m_process.start(
            QStringLiteral("xdotool"),
            {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("2"), chunk});
    }
    QProcess m_process;
    int m_owed = 0;
    int m_typed = 0;
};

int clipboardWriter(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            input.setEnabled(false);
            // Still the owner for a moment, so that the last change can be read.
            QTimer::singleShot(1000, &app, &QCoreApplication::quit);
            return;
        }
        pending.append(buffer, got);
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1))
            QGuiApplication::clipboard()->setText(QString::fromUtf8(pending.first(end)));
    });
    return app.exec();
}

// Waits for the export's progress dialog to go; false when it outlives the limit.
bool waitForExport(const QWidget& window) {
    for (int waited = 0; waited < 120'000; waited += 20) {
        if (!window.findChild<QWidget*>(QStringLiteral("JobProgress")))
            return true;
        QTest::qWait(20);
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && qstrcmp(argv[1], "--clipboard-writer") == 0)
        return clipboardWriter(argc, argv);
    QApplication app(argc, argv);
    const auto count = [&](int index, int fallback) {
        return argc > index ? std::atoi(argv[index]) : fallback;
    };
    const int cycles = count(1, 2000);
    const int keys = count(2, 20000);
    const int clips = count(3, 2000);
    const int exports = count(4, 200);
    if (cycles < 10) {
        std::fputs("usage: soak_driver [cycles>=10 [keys [clips [exports]]]]\n", stderr);
        return 2;
    }

    // The program's wiring, with the real speech, export, Key module and clipboard; the
    // settings go to a temporary folder and the save dialog answers by itself.
    FakePlatform fakes;
    SoakDialogs dialogs;
    QTemporaryDir exportDir;
    dialogs.savePath = exportDir.filePath(QStringLiteral("soak.wav"));
    EspeakVoice voice;
    WavFileStream fileStream(EspeakVoice::SampleRate);
    KeyModule keyModule(QApplication::applicationDirPath());
    long keyMessages = 0;
    QObject::connect(&keyModule, &KeyHook::KeyMessage, [&] { ++keyMessages; });
    int clipboardSeen = 0;
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged,
                     [&] { ++clipboardSeen; });
    Platform platform = fakes.bundle();
    platform.dialogs = &dialogs;
    platform.voice = &voice;
    platform.fileStream = &fileStream;
    platform.exportHelpers = SpeechWorkers::defaultCount();
    platform.keyHook = &keyModule;

    KeySwallower swallower;
    app.installEventFilter(&swallower);
    TFmain window(platform);
    window.show();
    window.RichEdit1->setPlainText(soakText());
    QTest::qWait(500);

    QProcess clipboard;
    clipboard.start(QApplication::applicationFilePath(), {QStringLiteral("--clipboard-writer")});
    if (!clipboard.waitForStarted()) {
        std::fputs("soak: the clipboard writer did not start\n", stderr);
        return 1;
    }
    KeyTyper typer;

    QElapsedTimer clock;
    clock.start();
    int keysOwed = 0, clipsDone = 0, exportsDone = 0, exportTimeouts = 0;
    long rssTenth = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        window.BtnAloudClick();
        QTest::qWait(40);
        window.BtnPauseClick();
        QTest::qWait(30);
        window.BtnPauseClick();
        QTest::qWait(40);
        window.BtnStopClick();
        QTest::qWait(10);

        const int keysDue = int(qint64(keys) * cycle / cycles);
        typer.owe(keysDue - keysOwed);
        keysOwed = keysDue;
        for (; clipsDone < int(qint64(clips) * cycle / cycles); ++clipsDone)
            clipboard.write(QStringLiteral("剪贴板第%1次\n").arg(clipsDone + 1).toUtf8());
        for (; exportsDone < int(qint64(exports) * cycle / cycles); ++exportsDone) {
            window.NExportClick();
            if (!waitForExport(window))
                ++exportTimeouts;
        }
        if (cycle % (cycles / 10) == 0) {
            const long rss = rssKiB();
            if (rssTenth == 0)
                rssTenth = rss;
            std::printf("after %d cycles (%lld s): VmRSS %ld KiB\n", cycle, clock.elapsed() / 1000,
                        rss);
            std::fflush(stdout);
        }
    }
    for (int waited = 0; !typer.idle() && waited < 120'000; waited += 50)
        QTest::qWait(50);
    clipboard.closeWriteChannel();
    clipboard.waitForFinished(10'000);
    QTest::qWait(500);
    const long rssEnd = rssKiB();

    const qint64 exportedBytes = QFileInfo(dialogs.savePath).size();
    const bool exported = exportedBytes > 44;
    const double ratio = double(rssEnd) / double(rssTenth);
    std::printf("cycles %d, keys typed %d (Key module messages %ld), clipboard changes %d "
                "(seen %d), exports %d (%d timed out, last file %lld bytes)\n",
                cycles, keysOwed, keyMessages, clipsDone, clipboardSeen, exportsDone,
                exportTimeouts, exportedBytes);
    std::printf("end: VmRSS %ld KiB; end / tenth = %.3f (limit %.2f): %s\n", rssEnd, ratio,
                AllowedGrowth, ratio <= AllowedGrowth ? "within" : "EXCEEDED");
    const bool sound = ratio <= AllowedGrowth && dialogs.failures == 0 && typer.failures == 0 &&
                       exportTimeouts == 0 && (exports == 0 || exported) &&
                       clipboard.exitStatus() == QProcess::NormalExit &&
                       clipboard.exitCode() == 0 && (keys == 0 || keyMessages > 0) &&
                       (clips == 0 || clipboardSeen > 0);
    if (!sound)
        std::fprintf(stderr, "soak: FAILED (messages %d, xdotool failures %d)\n", dialogs.failures,
                     typer.failures);
    return sound ? 0 : 1;
}
