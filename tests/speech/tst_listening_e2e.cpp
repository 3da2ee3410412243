// Listening end to end: the window, the real engine and a PulseAudio null sink whose monitor is
// recorded; the system-wide keys as X11 grabs pressed with xdotool while another client's
// window has the focus.
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"
#include "platform/speech/espeak_voice.h"
#include "platform/x11_global_keys.h"

#include <QAction>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>
#include <xcb/xcb.h>

class TestListeningEndToEnd : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void readsFromTheCaretAndSteps();
    void placeKeptAcrossARestart();
    void systemWideKeyPausesAndResumes();

private:
    double recentRms(int milliseconds) const;
    // The sentence highlighted when the next sentence boundary is heard.
    QString nextHeardSentence(TFmain& window, EspeakVoice& voice);

    QProcess m_recorder;
    QByteArray m_recorded;
    std::unique_ptr<EspeakVoice> m_voice; // the engine takes one voice per process
};

namespace {

constexpr int Rate = 22050;

QStringList sentences(int count) {
    QStringList list;
    for (int i = 1; i <= count; ++i)
        list << QStringLiteral("This is sentence number %1 of the text.").arg(i);
    return list;
}

QString highlightedSentence(const TFmain& window) {
    const auto selections = window.RichEdit1->extraSelections();
    return selections.isEmpty() ? QString() : selections.at(0).cursor.selectedText();
}

void putCaret(TFmain& window, int position) {
    QTextCursor caret(window.RichEdit1->document());
    caret.setPosition(position);
    window.RichEdit1->setTextCursor(caret);
}

} // namespace

void TestListeningEndToEnd::initTestCase() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        QSKIP("needs the private sound server that 'make test' starts");
    m_recorder.start(QStringLiteral("parec"),
                     {QStringLiteral("--device=parlora_test.monitor"), QStringLiteral("--raw"),
                      QStringLiteral("--format=s16le"), QStringLiteral("--rate=22050"),
                      QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=20")});
    QVERIFY(m_recorder.waitForStarted());
    m_voice = std::make_unique<EspeakVoice>();
    connect(&m_recorder, &QProcess::readyReadStandardOutput,
            [this] { m_recorded += m_recorder.readAllStandardOutput(); });
}

void TestListeningEndToEnd::cleanupTestCase() {
    m_voice.reset();
    m_recorder.kill();
    m_recorder.waitForFinished();
}

double TestListeningEndToEnd::recentRms(int milliseconds) const {
    const qsizetype samples =
        std::min<qsizetype>(m_recorded.size() / 2, Rate * milliseconds / 1000);
    const auto* data =
        reinterpret_cast<const qint16*>(m_recorded.constData()) + m_recorded.size() / 2 - samples;
    double sum = 0;
    for (qsizetype i = 0; i < samples; ++i)
        sum += double(data[i]) * data[i];
    return samples ? std::sqrt(sum / double(samples)) : 0;
}

QString TestListeningEndToEnd::nextHeardSentence(TFmain& window, EspeakVoice& voice) {
    QString heard;
    const auto connection = connect(&voice, &SpeechVoice::Boundary, this,
                                    [&](int, qint64, SpeechBoundary boundary, int, int) {
                                        if (boundary == SpeechBoundary::Sentence && heard.isEmpty())
                                            heard = highlightedSentence(window);
                                    });
    if (!QTest::qWaitFor([&] { return !heard.isEmpty(); }, 8000))
        qWarning("no sentence was heard");
    disconnect(connection);
    return heard;
}

void TestListeningEndToEnd::readsFromTheCaretAndSteps() {
    FakePlatform fakes;
    EspeakVoice& voice = *m_voice;
    Platform platform = fakes.bundle();
    platform.voice = &voice;
    TFmain window(platform);
    const QStringList text = sentences(12);
    window.RichEdit1->setPlainText(text.join(u' '));
    putCaret(window, int(window.RichEdit1->toPlainText().indexOf(text.at(4))) + 10);
    window.NReadFromCaret->trigger();
    QCOMPARE(nextHeardSentence(window, voice), text.at(4));
    QTRY_VERIFY_WITH_TIMEOUT(recentRms(300) > 300, 5000);
    window.NNextSentence->trigger();
    QCOMPARE(nextHeardSentence(window, voice), text.at(5));
    window.BtnStop->click();
}

void TestListeningEndToEnd::placeKeptAcrossARestart() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.txt"));
    const QStringList text = sentences(12);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.join(u'\n').toUtf8());
    file.close();
    FakePlatform fakes;
    EspeakVoice& voice = *m_voice;
    Platform platform = fakes.bundle();
    platform.voice = &voice;
    {
        TFmain window(platform);
        window.FilesDropped({path});
        putCaret(window, int(window.RichEdit1->toPlainText().indexOf(text.at(9))));
        window.NReadFromCaret->trigger();
        QCOMPARE(nextHeardSentence(window, voice), text.at(9));
        window.NNextSentence->trigger();
        QCOMPARE(nextHeardSentence(window, voice), text.at(10));
        window.BtnStop->click();
    } // the exit writes the places
    TFmain window(platform);
    window.FilesDropped({path});
    QCOMPARE(window.RichEdit1->textCursor().position(),
             int(window.RichEdit1->toPlainText().indexOf(text.at(10))));
}

void TestListeningEndToEnd::systemWideKeyPausesAndResumes() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs the X server that 'make test' starts");
    // Another program's window has the focus.
    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    QVERIFY(!xcb_connection_has_error(other));
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(other)).data;
    const xcb_window_t focused = xcb_generate_id(other);
    xcb_create_window(other, XCB_COPY_FROM_PARENT, focused, screen->root, 0, 0, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(other, focused);
    xcb_set_input_focus(other, XCB_INPUT_FOCUS_POINTER_ROOT, focused, XCB_CURRENT_TIME);
    free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));

    FakePlatform fakes;
    EspeakVoice& voice = *m_voice;
    std::unique_ptr<X11GlobalKeys> keys = X11GlobalKeys::open();
    QVERIFY(keys);
    Platform platform = fakes.bundle();
    platform.voice = &voice;
    platform.globalKeys = keys.get();
    TFmain window(platform);
    window.RichEdit1->setPlainText(sentences(30).join(u' '));
    window.BtnAloud->click();
    QTRY_VERIFY_WITH_TIMEOUT(recentRms(300) > 300, 8000);

    const auto pressPause = [] {
        QCOMPARE(QProcess::execute(QStringLiteral("xdotool"),
                                   {QStringLiteral("key"), QStringLiteral("ctrl+alt+p")}),
                 0);
    };
    pressPause();
    QTRY_VERIFY_WITH_TIMEOUT(recentRms(200) < 1, 2000);
    QTest::qWait(300);
    QVERIFY(recentRms(250) < 1);
    pressPause();
    QTRY_VERIFY_WITH_TIMEOUT(recentRms(300) > 300, 3000);
    window.BtnStop->click();
    xcb_disconnect(other);
}

QTEST_MAIN(TestListeningEndToEnd)
#include "tst_listening_e2e.moc"
