// System-wide keys as X11 passive grabs, pressed with xdotool while another client's window
// has the focus.
#include "platform/x11_global_keys.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>
#include <algorithm>
#include <vector>
#include <xcb/xcb.h>

class TestX11GlobalKeys : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void keysymsOfQtKeys_data();
    void keysymsOfQtKeys();
    void pressedWhileAnotherWindowHasTheFocus_data();
    void pressedWhileAnotherWindowHasTheFocus();
    void keyTakenByAnotherProgramIsSkipped();
    void releasedKeysAreFreeAgain();
    void keyWithoutSymbolGrabsNothing();
    void followsKeyboardMappingChanges();

private:
    // Takes a key as another program would.
    std::unique_ptr<X11GlobalKeys> grabElsewhere(GlobalCommand command, const QKeySequence& key);
    void press(const QString& keys);

    xcb_connection_t* m_other = nullptr; // another program's connection
    xcb_window_t m_window = 0;
};

void TestX11GlobalKeys::initTestCase() {
    qRegisterMetaType<GlobalCommand>();
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs the X server that 'make test' starts");
    m_other = xcb_connect(nullptr, nullptr);
    QVERIFY(!xcb_connection_has_error(m_other));
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_other)).data;
    m_window = xcb_generate_id(m_other);
    const quint32 events = XCB_EVENT_MASK_KEY_PRESS;
    xcb_create_window(m_other, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK,
                      &events);
    xcb_map_window(m_other, m_window);
    xcb_set_input_focus(m_other, XCB_INPUT_FOCUS_POINTER_ROOT, m_window, XCB_CURRENT_TIME);
    free(xcb_get_input_focus_reply(m_other, xcb_get_input_focus(m_other), nullptr));
}

void TestX11GlobalKeys::cleanupTestCase() {
    if (m_other)
        xcb_disconnect(m_other);
}

void TestX11GlobalKeys::keysymsOfQtKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<quint32>("keysym");
    QTest::newRow("letter") << int(Qt::Key_P) << quint32('p');
    QTest::newRow("digit") << int(Qt::Key_5) << quint32('5');
    QTest::newRow("page down") << int(Qt::Key_PageDown) << quint32(0xff56);
    QTest::newRow("page up") << int(Qt::Key_PageUp) << quint32(0xff55);
    QTest::newRow("F12") << int(Qt::Key_F12) << quint32(0xffc9);
    QTest::newRow("play") << int(Qt::Key_MediaPlay) << quint32(0x1008ff14);
    QTest::newRow("next track") << int(Qt::Key_MediaNext) << quint32(0x1008ff17);
    QTest::newRow("unknown") << int(Qt::Key_Launch0) << quint32(0);
}

void TestX11GlobalKeys::keysymsOfQtKeys() {
    QFETCH(int, key);
    QFETCH(quint32, keysym);
    QCOMPARE(x11Keysym(Qt::Key(key)), keysym);
}

// Another program holding keys is another connection to the server.
std::unique_ptr<X11GlobalKeys> TestX11GlobalKeys::grabElsewhere(GlobalCommand command,
                                                                const QKeySequence& key) {
    std::unique_ptr<X11GlobalKeys> other = X11GlobalKeys::open();
    other->setKeys({{command, key}});
    return other;
}

void TestX11GlobalKeys::press(const QString& keys) {
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}), 0);
}

void TestX11GlobalKeys::pressedWhileAnotherWindowHasTheFocus_data() {
    QTest::addColumn<QString>("pressed");
    QTest::addColumn<int>("command"); // -1: none
    QTest::newRow("pause key") << "ctrl+alt+p" << int(GlobalCommand::PauseResume);
    QTest::newRow("page down") << "ctrl+alt+Next" << int(GlobalCommand::NextSentence);
    QTest::newRow("with NumLock on")
        << "Num_Lock ctrl+alt+p Num_Lock" << int(GlobalCommand::PauseResume);
    QTest::newRow("other modifiers") << "ctrl+shift+alt+p" << -1;
    QTest::newRow("the letter alone") << "p" << -1;
}

void TestX11GlobalKeys::pressedWhileAnotherWindowHasTheFocus() {
    QFETCH(QString, pressed);
    QFETCH(int, command);
    std::unique_ptr<X11GlobalKeys> keys = X11GlobalKeys::open();
    QVERIFY(keys);
    keys->setKeys(defaultGlobalKeys());
    QCOMPARE(keys->unavailable(), QList<GlobalCommand>{});
    QSignalSpy spy(keys.get(), &GlobalKeys::activated);
    for (const QString& chord : pressed.split(u' '))
        press(chord);
    if (command < 0) {
        QTest::qWait(200);
        QCOMPARE(spy.count(), 0);
        return;
    }
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<GlobalCommand>(), GlobalCommand(command));
    QTest::qWait(100);
    QCOMPARE(spy.count(), 1); // one press, one command
}

void TestX11GlobalKeys::keyTakenByAnotherProgramIsSkipped() {
    const auto other =
        grabElsewhere(GlobalCommand::Stop, QKeySequence(QStringLiteral("Ctrl+Alt+O")));
    QCOMPARE(other->unavailable(), QList<GlobalCommand>{});
    std::unique_ptr<X11GlobalKeys> keys = X11GlobalKeys::open();
    keys->setKeys(defaultGlobalKeys());
    QCOMPARE(keys->unavailable(), QList<GlobalCommand>{GlobalCommand::Stop});
    QSignalSpy spy(keys.get(), &GlobalKeys::activated);
    press(QStringLiteral("ctrl+alt+p")); // the others still work
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<GlobalCommand>(), GlobalCommand::PauseResume);
}

void TestX11GlobalKeys::releasedKeysAreFreeAgain() {
    std::unique_ptr<X11GlobalKeys> keys = X11GlobalKeys::open();
    keys->setKeys(defaultGlobalKeys());
    const QKeySequence stop(QStringLiteral("Ctrl+Alt+O"));
    QCOMPARE(grabElsewhere(GlobalCommand::Stop, stop)->unavailable(),
             QList<GlobalCommand>{GlobalCommand::Stop});
    keys->release();
    QCOMPARE(grabElsewhere(GlobalCommand::Stop, stop)->unavailable(), QList<GlobalCommand>{});
    keys = X11GlobalKeys::open(); // and so are they when the program ends
    keys->setKeys(defaultGlobalKeys());
    keys.reset();
    QCOMPARE(grabElsewhere(GlobalCommand::Stop, stop)->unavailable(), QList<GlobalCommand>{});
}

// Every key code with Ctrl+Alt is free for another program.
void TestX11GlobalKeys::keyWithoutSymbolGrabsNothing() {
    std::unique_ptr<X11GlobalKeys> keys = X11GlobalKeys::open();
    keys->setKeys({{GlobalCommand::Stop, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Launch0)}});
    const xcb_setup_t* setup = xcb_get_setup(m_other);
    const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
    const quint16 modifiers = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
    QList<int> taken;
    for (int code = setup->min_keycode; code <= setup->max_keycode; ++code) {
        const xcb_void_cookie_t cookie =
            xcb_grab_key_checked(m_other, 1, root, modifiers, xcb_keycode_t(code),
                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(m_other, cookie)) {
            taken << code;
            free(error);
        }
        xcb_ungrab_key(m_other, xcb_keycode_t(code), root, modifiers);
    }
    xcb_flush(m_other);
    QCOMPARE(taken, QList<int>{});
}

// A new layout puts P on another key code: Ctrl+Alt+P still pauses.
void TestX11GlobalKeys::followsKeyboardMappingChanges() {
    const xcb_setup_t* setup = xcb_get_setup(m_other);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
        m_other, xcb_get_keyboard_mapping(m_other, setup->min_keycode, quint8(count)), nullptr);
    QVERIFY(mapping);
    const int perCode = mapping->keysyms_per_keycode;
    const std::vector<xcb_keysym_t> symbols(xcb_get_keyboard_mapping_keysyms(mapping),
                                            xcb_get_keyboard_mapping_keysyms(mapping) +
                                                count * perCode);
    free(mapping);
    const auto row = [&](int code) {
        return std::vector<xcb_keysym_t>(symbols.begin() + code * perCode,
                                         symbols.begin() + (code + 1) * perCode);
    };
    int letter = -1; // the row of P
    int spare = -1;  // a row with no symbol
    for (int code = 0; code < count; ++code) {
        const std::vector<xcb_keysym_t> r = row(code);
        if (letter < 0 && std::find(r.begin(), r.end(), xcb_keysym_t('p')) != r.end())
            letter = code;
        if (spare < 0 && code > 0 && std::all_of(r.begin(), r.end(), [](auto k) { return !k; }))
            spare = code;
    }
    QVERIFY(letter >= 0 && spare >= 0);
    const auto setRow = [&](int code, const std::vector<xcb_keysym_t>& keysyms) {
        xcb_change_keyboard_mapping(m_other, 1, xcb_keycode_t(setup->min_keycode + code),
                                    quint8(perCode), keysyms.data());
        xcb_flush(m_other);
    };
    std::unique_ptr<X11GlobalKeys> keys = X11GlobalKeys::open();
    keys->setKeys(defaultGlobalKeys());
    QSignalSpy spy(keys.get(), &GlobalKeys::activated);
    const auto restore = qScopeGuard([&] {
        setRow(letter, row(letter));
        setRow(spare, row(spare));
        free(xcb_get_input_focus_reply(m_other, xcb_get_input_focus(m_other), nullptr));
    });
    setRow(spare, row(letter));
    setRow(letter, row(spare));
    free(xcb_get_input_focus_reply(m_other, xcb_get_input_focus(m_other), nullptr));
    QTest::qWait(300); // the mapping's notice reaches the keys' connection
    press(QStringLiteral("ctrl+alt+p"));
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<GlobalCommand>(), GlobalCommand::PauseResume);
}

QTEST_GUILESS_MAIN(TestX11GlobalKeys)
#include "tst_x11_global_keys.moc"
