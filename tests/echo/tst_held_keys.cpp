// Keys held when a command starts are not echoed by their repeats or their release.
#include "echo/held_keys.h"
#include "echo/keystroke.h"

#include <QtTest>

namespace {
constexpr unsigned S = 0x1f;
constexpr unsigned Enter = 0x1c;
constexpr unsigned A = 0x1e;

// The system-wide events of one key.
std::uint32_t press(unsigned scan, bool extended = false) {
    return keystroke::make(scan, extended, false, false);
}
std::uint32_t repeat(unsigned scan, bool extended = false) {
    return keystroke::make(scan, extended, true, false);
}
std::uint32_t release(unsigned scan, bool extended = false) {
    return keystroke::make(scan, extended, true, true);
}
// The X key code of a scan code below F12: the Linux code plus 8.
quint32 xKeyCode(unsigned scan) {
    return scan + 8;
}
} // namespace

class TestHeldKeys : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void echoes_data();
    void echoes();
    void nativeScanCodes_data();
    void nativeScanCodes();
};

void TestHeldKeys::echoes_data() {
    // Steps: "w+S" the window sees S pressed, "w-S" released, "lost" the window loses the
    // keyboard, "cmd" a command starts, "wait" a moment passes, "p S"/"r S"/"u S" the hook reports
    // press, repeat, up. Echoed: for each hook event, whether it may be echoed.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QList<bool>>("echoed");
    QTest::newRow("no command") << QStringList{"w+S", "p S", "r S", "u S"}
                                << QList<bool>{true, true, true};
    QTest::newRow("key that started the command, hook late")
        << QStringList{"w+S", "cmd", "p S", "r S", "u S", "wait", "p S", "u S"}
        << QList<bool>{false, false, false, true, true};
    QTest::newRow("hook first") << QStringList{"p S", "w+S", "cmd", "r S", "u S"}
                                << QList<bool>{true, false, false};
    QTest::newRow("key held only outside the window")
        << QStringList{"p A", "cmd", "r A", "u A"} << QList<bool>{true, false, false};
    QTest::newRow("other keys keep echoing")
        << QStringList{"w+S", "cmd", "wait", "p A", "u A", "u S"} << QList<bool>{true, true, false};
    QTest::newRow("released before the command")
        << QStringList{"w+E", "p E", "w-E", "u E", "cmd", "wait", "p E", "u E"}
        << QList<bool>{true, true, true, true};
    QTest::newRow("a system-wide key's own press comes after its command")
        << QStringList{"cmd", "p S", "r S", "u S", "wait", "p S", "u S"}
        << QList<bool>{false, false, false, true, true};
    QTest::newRow("keyboard lost before the command")
        << QStringList{"w+S", "lost", "cmd", "wait", "p S", "u S"} << QList<bool>{true, true};
}

void TestHeldKeys::echoes() {
    QFETCH(QStringList, steps);
    QFETCH(QList<bool>, echoed);
    const QHash<QString, unsigned> keys{{"S", S}, {"A", A}, {"E", Enter}};
    HeldKeys held;
    QList<bool> results;
    for (const QString& step : steps) {
        const unsigned scan = keys.value(step.right(1));
        if (step == "cmd")
            held.commandStarted();
        else if (step == "wait")
            QTest::qSleep(150);
        else if (step == "lost")
            held.windowKeysLost();
        else if (step.startsWith("w+"))
            held.windowKeyPressed(HeldKeys::keyOfNativeScanCode(xKeyCode(scan)));
        else if (step.startsWith("w-"))
            held.windowKeyReleased(HeldKeys::keyOfNativeScanCode(xKeyCode(scan)));
        else if (step.startsWith("p "))
            results << held.echoes(press(scan));
        else if (step.startsWith("r "))
            results << held.echoes(repeat(scan));
        else if (step.startsWith("u "))
            results << held.echoes(release(scan));
    }
    QCOMPARE(results, echoed);
}

void TestHeldKeys::nativeScanCodes_data() {
    QTest::addColumn<quint32>("native");
    QTest::addColumn<quint32>("key");
    QTest::newRow("S") << quint32(39) << HeldKeys::keyOf(press(S));
    QTest::newRow("right Ctrl is extended")
        << quint32(97 + 8) << HeldKeys::keyOf(press(0x1d, true));
    QTest::newRow("offscreen events have none") << quint32(0) << quint32(0);
    QTest::newRow("below the offset") << quint32(5) << quint32(0);
}

void TestHeldKeys::nativeScanCodes() {
    QFETCH(quint32, native);
    QFETCH(quint32, key);
    QCOMPARE(HeldKeys::keyOfNativeScanCode(native), key);
}

QTEST_APPLESS_MAIN(TestHeldKeys)
#include "tst_held_keys.moc"
