// Key echo, the clipboard reader and the seven options on the window, with a recording voice and
// a key hook the test drives.
#include "app/tfmain.h"
#include "echo/key_names.h"
#include "platform/fakes/fake_platform.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTextEdit>
#include <QtTest>

class TestKeyEcho : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void keyMessages_data();
    void keyMessages();
    void showOptionWithoutSpeech();
    void failingSkipEndsTheKeySilently();
    void failingSpeakIsReported();
    void hookOnAtStartOffAtClose_data();
    void hookOnAtStartOffAtClose();
    void clipboard_data();
    void clipboard();
    void clipboardWithoutTextOrAfterClose();
    void everyControlKeepsItsOptionInStep_data();
    void everyControlKeepsItsOptionInStep();
    void keyModesExcludeEachOther_data();
    void keyModesExcludeEachOther();
    void restoresStoredValues_data();
    void restoresStoredValues();
    void noModeIsStoredAndRestored();
    void keyAndClipboardClearTheReadingHighlight();
    void keyOrCopyDuringAPauseEndsThePause();

private:
    TFmain* start(const QByteArray& settings = {});
    QStringList checked(const QStringList& names) const;

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
};

namespace {

const QString SkipCall = QStringLiteral("Skip:Sentence:2147483647");

const QStringList KeyModeControls{
    QStringLiteral("CBSpeakKeyAll"),     QStringLiteral("NSpeakKeyAll"),
    QStringLiteral("NNSpeakKeyAll"),     QStringLiteral("CBSpeakletterdigit"),
    QStringLiteral("NspeakLetterDigit"), QStringLiteral("NNSpeakLetterDigit"),
    QStringLiteral("CBSpeakLetter"),     QStringLiteral("NspeakLetter"),
    QStringLiteral("NNSpeakLetter"),     QStringLiteral("CBSpeakdigit"),
    QStringLiteral("NSpeakdigit"),       QStringLiteral("NNSpeakdigit"),
};

// The three places of each option, in the order box, main menu, tray.
const QList<QStringList> Options{
    {QStringLiteral("CBSpeakKeyAll"), QStringLiteral("NSpeakKeyAll"),
     QStringLiteral("NNSpeakKeyAll")},
    {QStringLiteral("CBSpeakletterdigit"), QStringLiteral("NspeakLetterDigit"),
     QStringLiteral("NNSpeakLetterDigit")},
    {QStringLiteral("CBSpeakLetter"), QStringLiteral("NspeakLetter"),
     QStringLiteral("NNSpeakLetter")},
    {QStringLiteral("CBSpeakdigit"), QStringLiteral("NSpeakdigit"), QStringLiteral("NNSpeakdigit")},
    {QStringLiteral("CBSpeakClipBrd"), QStringLiteral("NspeakClipBrd"),
     QStringLiteral("NNspeakClipBrd")},
    {QStringLiteral("CBShowKeyWord"), QStringLiteral("NshowKeyWord"),
     QStringLiteral("NNshowkeyword")},
    {QStringLiteral("CBShowClipBrdText"), QStringLiteral("NshowclipBrdText"),
     QStringLiteral("NNShowclipBrdText")},
};

std::uint32_t released(unsigned scanCode, bool extended = false) {
    return keystroke::make(scanCode, extended, true, true);
}

QByteArray settingsFile(const QByteArray& lines) {
    return "[set]\n" + lines;
}

} // namespace

void TestKeyEcho::init() {
    m_fakes = std::make_unique<FakePlatform>();
}

void TestKeyEcho::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

TFmain* TestKeyEcho::start(const QByteArray& settings) {
    if (!settings.isEmpty())
        m_fakes->dataDirectory.writeFile(QStringLiteral("set.ini"), settings);
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    m_fakes->voice.clearCalls();
    return m_window.get();
}

// The controls among names that are checked: check boxes and menu items alike.
QStringList TestKeyEcho::checked(const QStringList& names) const {
    QStringList on;
    for (const QString& name : names) {
        if (auto* box = m_window->findChild<QCheckBox*>(name); box && box->isChecked())
            on << name;
        if (auto* item = m_window->findChild<QAction*>(name); item && item->isChecked())
            on << name;
    }
    return on;
}

void TestKeyEcho::keyMessages_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<std::uint32_t>("lParam");
    QTest::addColumn<QString>("spoken"); // null: nothing spoken
    const QString none;
    QTest::newRow("all: letter") << "All" << released(0x1e) << "A";
    QTest::newRow("all: right shift without Right") << "All" << released(0x36) << "Shift";
    QTest::newRow("all: number-pad enter without Num") << "All" << released(0x1c, true) << "Enter";
    QTest::newRow("all: key without a name") << "All" << released(0x7f) << "";
    QTest::newRow("all: repeat") << "All" << keystroke::make(0x39, false, true, false) << "Space";
    QTest::newRow("letters and digits: letter") << "LetterDigit" << released(0x2c) << "Z";
    QTest::newRow("letters and digits: number-pad digit") << "LetterDigit" << released(0x4c) << "5";
    QTest::newRow("letters and digits: punctuation") << "LetterDigit" << released(0x33) << none;
    QTest::newRow("letters and digits: Enter") << "LetterDigit" << released(0x1c) << none;
    QTest::newRow("letters: letter") << "Letter" << released(0x10) << "Q";
    QTest::newRow("letters: number-pad digit") << "Letter" << released(0x4c) << none;
    QTest::newRow("letters: digit") << "Letter" << released(0x06) << none;
    QTest::newRow("digits: number-pad digit") << "Digit" << released(0x52) << "0";
    QTest::newRow("digits: digit") << "Digit" << released(0x0a) << "9";
    QTest::newRow("digits: letter") << "Digit" << released(0x1e) << none;
    QTest::newRow("digits: number-pad word") << "Digit" << released(0x53) << none;
    QTest::newRow("none: letter") << "None" << released(0x1e) << none;
}

void TestKeyEcho::keyMessages() {
    QFETCH(QString, mode);
    QFETCH(std::uint32_t, lParam);
    QFETCH(QString, spoken);
    TFmain* w = start(settingsFile("Speakkey=" + mode.toLatin1() + "\n"));
    // A first press is never echoed, whatever the mode.
    m_fakes->keyHook.send(lParam & ~(keystroke::PreviousState | keystroke::Transition));
    QCOMPARE(m_fakes->voice.calls(), QStringList());
    m_fakes->keyHook.send(lParam);
    const QStringList expected = spoken.isNull()
                                     ? QStringList()
                                     : QStringList{SkipCall, QStringLiteral("Speak:1:") + spoken};
    QCOMPARE(m_fakes->voice.calls(), expected);
    QCOMPARE(w->RichEdit1->toPlainText(), QString());
}

void TestKeyEcho::showOptionWithoutSpeech() {
    TFmain* w = start(settingsFile("Speakkey=None\nShowkeyWord=Yes\n"));
    m_fakes->keyHook.send(released(0x1e));
    m_fakes->keyHook.send(keystroke::make(0x1e, false, false, false));
    m_fakes->keyHook.send(keystroke::make(0x36, false, true, false));
    m_fakes->keyHook.send(released(0x7f));
    m_fakes->keyHook.send(released(0x4c));
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("A\nShift\n\n5"));
    QCOMPARE(m_fakes->voice.calls(), QStringList());
}

void TestKeyEcho::failingSkipEndsTheKeySilently() {
    TFmain* w = start(settingsFile("Speakkey=All\nShowkeyWord=Yes\n"));
    m_fakes->voice.setFailing({QStringLiteral("Skip")});
    m_fakes->keyHook.send(released(0x1e));
    QCOMPARE(m_fakes->voice.calls(), QStringList());
    QCOMPARE(w->RichEdit1->toPlainText(), QString());
    QCOMPARE(m_fakes->dialogs.messages.size(), 0);
    m_fakes->voice.setFailing({});
    m_fakes->keyHook.send(released(0x30));
    QCOMPARE(m_fakes->voice.calls(), (QStringList{SkipCall, QStringLiteral("Speak:1:B")}));
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("B"));
}

void TestKeyEcho::failingSpeakIsReported() {
    start();
    m_fakes->voice.setFailing({QStringLiteral("Speak")});
    m_fakes->keyHook.send(released(0x1e));
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QCOMPARE(m_fakes->dialogs.messages[0].text, QStringLiteral("Speak failed."));
}

void TestKeyEcho::hookOnAtStartOffAtClose_data() {
    QTest::addColumn<bool>("available");
    QTest::addColumn<bool>("skipFails");
    QTest::addColumn<QStringList>("calls");
    const QStringList onOff{QStringLiteral("HookOn"), QStringLiteral("HookOff")};
    QTest::newRow("hook on") << true << false << onOff;
    QTest::newRow("hook unavailable is still switched off") << false << false << onOff;
    QTest::newRow("failing cut-off ends the close")
        << true << true << QStringList{QStringLiteral("HookOn")};
}

void TestKeyEcho::hookOnAtStartOffAtClose() {
    QFETCH(bool, available);
    QFETCH(bool, skipFails);
    QFETCH(QStringList, calls);
    m_fakes->keyHook.available = available;
    TFmain* w = start(settingsFile("Speakkey=Digit\nShowClipBrdText=Yes\n"));
    // The later start-up steps run whether or not the hook came on.
    QCOMPARE(checked({QStringLiteral("CBSpeakdigit"), QStringLiteral("CBShowClipBrdText")}).size(),
             2);
    QCOMPARE(m_fakes->keyHook.calls, QStringList{QStringLiteral("HookOn")});
    if (skipFails)
        m_fakes->voice.setFailing({QStringLiteral("Skip")});
    w->close();
    QCOMPARE(m_fakes->keyHook.calls, calls);
}

void TestKeyEcho::clipboard_data() {
    QTest::addColumn<QByteArray>("options");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("editor");
    const QString before = QStringLiteral("before");
    QTest::newRow("speak only") << QByteArray("SpeakClipBrd=Yes\nShowClipBrdText=No\n") << " 你好 "
                                << QStringList{SkipCall, QStringLiteral("Speak:1: 你好 ")}
                                << before;
    QTest::newRow("show only") << QByteArray("SpeakClipBrd=No\nShowClipBrdText=Yes\n") << "a\nb"
                               << QStringList() << "a\nb";
    QTest::newRow("both") << QByteArray("SpeakClipBrd=Yes\nShowClipBrdText=Yes\n") << "x"
                          << QStringList{SkipCall, QStringLiteral("Speak:1:x")} << "x";
    QTest::newRow("neither") << QByteArray("SpeakClipBrd=No\nShowClipBrdText=No\n") << "x"
                             << QStringList() << before;
    QTest::newRow("empty text") << QByteArray("SpeakClipBrd=Yes\nShowClipBrdText=Yes\n") << ""
                                << QStringList{SkipCall, QStringLiteral("Speak:1:")} << "";
}

void TestKeyEcho::clipboard() {
    QFETCH(QByteArray, options);
    QFETCH(QString, text);
    QFETCH(QStringList, calls);
    QFETCH(QString, editor);
    TFmain* w = start(settingsFile(options));
    w->RichEdit1->setPlainText(QStringLiteral("before"));
    auto* data = new QMimeData;
    data->setText(text);
    QGuiApplication::clipboard()->setMimeData(data);
    QTRY_COMPARE(m_fakes->voice.calls(), calls);
    QTRY_COMPARE(w->RichEdit1->toPlainText(), editor);
}

void TestKeyEcho::clipboardWithoutTextOrAfterClose() {
    TFmain* w = start(settingsFile("SpeakClipBrd=Yes\nShowClipBrdText=Yes\n"));
    w->RichEdit1->setPlainText(QStringLiteral("kept"));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(image);
    m_fakes->voice.setFailing({QStringLiteral("Skip")});
    QGuiApplication::clipboard()->setText(QStringLiteral("not shown: the voice was not cut off"));
    QCoreApplication::processEvents();
    QCOMPARE(m_fakes->voice.calls(), QStringList());
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("kept"));
    m_fakes->voice.setFailing({});
    w->close();
    m_fakes->voice.clearCalls();
    QGuiApplication::clipboard()->setText(QStringLiteral("after close"));
    QCoreApplication::processEvents();
    QCOMPARE(m_fakes->voice.calls(), QStringList());
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("kept"));
}

void TestKeyEcho::everyControlKeepsItsOptionInStep_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("place");
    for (int option = 0; option < Options.size(); ++option) {
        for (int place = 0; place < 3; ++place)
            QTest::newRow(qPrintable(Options[option][place])) << option << place;
    }
}

// Each of the 21 controls turns its option on in all three places, and off again.
void TestKeyEcho::everyControlKeepsItsOptionInStep() {
    QFETCH(int, option);
    QFETCH(int, place);
    start(settingsFile("Speakkey=None\nShowkeyWord=No\nShowClipBrdText=No\nSpeakClipBrd=No\n"));
    const QStringList& controls = Options[option];
    const auto click = [&] {
        if (place == 0)
            m_window->findChild<QCheckBox*>(controls[0])->click();
        else
            m_window->findChild<QAction*>(controls[place])->trigger();
    };
    QStringList all;
    for (const QStringList& each : Options)
        all << each;
    click();
    QCOMPARE(checked(all), controls);
    click();
    QCOMPARE(checked(all), QStringList());
}

void TestKeyEcho::keyModesExcludeEachOther_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QStringList>("on");
    QTest::newRow("letters box while all keys") << "All"
                                                << "CBSpeakLetter" << Options[2];
    QTest::newRow("tray digits while none") << "None"
                                            << "NNSpeakdigit" << Options[3];
    QTest::newRow("main all-keys while digits") << "Digit"
                                                << "NSpeakKeyAll" << Options[0];
    QTest::newRow("tray all-keys while letters") << "Letter"
                                                 << "NNSpeakKeyAll" << Options[0];
    QTest::newRow("main letters-digits while all keys") << "All"
                                                        << "NspeakLetterDigit" << Options[1];
    QTest::newRow("main item of the mode that is on") << "All"
                                                      << "NSpeakKeyAll" << QStringList();
    QTest::newRow("tray item of the mode that is on") << "LetterDigit"
                                                      << "NNSpeakLetterDigit" << QStringList();
    QTest::newRow("main digits item that is on") << "Digit"
                                                 << "NSpeakdigit" << QStringList();
    QTest::newRow("unticking the box that is on") << "Letter"
                                                  << "CBSpeakLetter" << QStringList();
}

void TestKeyEcho::keyModesExcludeEachOther() {
    QFETCH(QString, stored);
    QFETCH(QString, clicked);
    QFETCH(QStringList, on);
    start(settingsFile("Speakkey=" + stored.toLatin1() + "\n"));
    if (auto* box = m_window->findChild<QCheckBox*>(clicked))
        box->click();
    else
        m_window->findChild<QAction*>(clicked)->trigger();
    QCOMPARE(checked(KeyModeControls), on);
}

void TestKeyEcho::restoresStoredValues_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QStringList>("on");
    const QStringList clipboard = Options[4];
    QTest::newRow("defaults") << QByteArray() << Options[0] + clipboard;
    QTest::newRow("letters and digits")
        << QByteArray("Speakkey=LetterDigit\n") << Options[1] + clipboard;
    QTest::newRow("letters") << QByteArray("Speakkey=Letter\n") << Options[2] + clipboard;
    QTest::newRow("digits") << QByteArray("Speakkey=Digit\n") << Options[3] + clipboard;
    QTest::newRow("none") << QByteArray("Speakkey=None\n") << clipboard;
    QTest::newRow("case differs") << QByteArray("Speakkey=all\n") << clipboard;
    QTest::newRow("unknown value") << QByteArray("Speakkey=Everything\n") << clipboard;
    QTest::newRow("all yes")
        << QByteArray("Speakkey=None\nShowkeyWord=Yes\nShowClipBrdText=Yes\nSpeakClipBrd=Yes\n")
        << clipboard + Options[5] + Options[6];
    QTest::newRow("all no")
        << QByteArray("Speakkey=None\nShowkeyWord=No\nShowClipBrdText=No\nSpeakClipBrd=No\n")
        << QStringList();
    QTest::newRow("yes in lower case changes nothing")
        << QByteArray("Speakkey=None\nShowkeyWord=yes\n") << clipboard;
}

void TestKeyEcho::restoresStoredValues() {
    QFETCH(QByteArray, settings);
    QFETCH(QStringList, on);
    start(settings.isEmpty() ? QByteArray() : settingsFile(settings));
    QStringList all;
    for (const QStringList& each : Options)
        all << each;
    QCOMPARE(checked(all), on);
}

void TestKeyEcho::noModeIsStoredAndRestored() {
    TFmain* w = start(settingsFile("Speakkey=Letter\n"));
    w->CBSpeakLetter->click();
    w->close();
    m_window.reset();
    start();
    QCOMPARE(checked(KeyModeControls), QStringList());
}

// What they say cuts the reading off, so the words it marked are no longer being heard.
void TestKeyEcho::keyAndClipboardClearTheReadingHighlight() {
    m_fakes->voice.voices = {{QStringLiteral("gmw/en"), QStringLiteral("English")}};
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("one two"));
    const auto hearTheFirstWord = [&] {
        w->BtnAloudClick();
        m_fakes->voice.hear(SpeechBoundary::Word, 0, 3);
        QCOMPARE(w->RichEdit1->extraSelections().size(), 2); // its sentence and the word
    };
    hearTheFirstWord();
    m_fakes->keyHook.send(released(0x1e)); // A
    QVERIFY(w->RichEdit1->extraSelections().isEmpty());

    hearTheFirstWord();
    auto* data = new QMimeData;
    data->setText(QStringLiteral("copied"));
    QGuiApplication::clipboard()->setMimeData(data);
    QTRY_VERIFY(w->RichEdit1->extraSelections().isEmpty());
}

// A key or a copy spoken during a pause is heard at once and ends the paused reading, so the
// next 暂停 pauses again rather than resuming.
void TestKeyEcho::keyOrCopyDuringAPauseEndsThePause() {
    m_fakes->voice.voices = {{QStringLiteral("gmw/en"), QStringLiteral("English")}};
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("one two"));
    const auto pauseAReading = [&] {
        w->BtnAloudClick();
        w->BtnPauseClick();
        m_fakes->voice.clearCalls();
    };
    pauseAReading();
    m_fakes->keyHook.send(released(0x1e)); // A
    w->BtnPauseClick();
    QCOMPARE(m_fakes->voice.calls(), (QStringList{SkipCall, "Speak:1:A", "Pause"}));

    pauseAReading();
    auto* data = new QMimeData;
    data->setText(QStringLiteral("copied"));
    QGuiApplication::clipboard()->setMimeData(data);
    QTRY_VERIFY(m_fakes->voice.calls().contains(QStringLiteral("Speak:1:copied")));
    w->BtnPauseClick();
    QCOMPARE(m_fakes->voice.calls().last(), QStringLiteral("Pause"));
}

QTEST_MAIN(TestKeyEcho)
#include "tst_key_echo.moc"
