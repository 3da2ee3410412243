// Key names, their clean-up and the check of the values read from the key module's pipe.
#include "echo/key_names.h"

#include <QtTest>

class TestKeyNames : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void names_data();
    void names();
    void keystrokes_data();
    void keystrokes();
};

void TestKeyNames::names_data() {
    QTest::addColumn<unsigned>("scanCode");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cleaned");
    QTest::addColumn<int>("kind");
    const int other = int(KeyKind::Other);
    const int letter = int(KeyKind::Letter);
    const int digit = int(KeyKind::Digit);
    QTest::newRow("letter") << 0x1eu << false << "A"
                            << "A" << letter;
    QTest::newRow("last letter") << 0x2cu << false << "Z"
                                 << "Z" << letter;
    QTest::newRow("digit") << 0x06u << false << "5"
                           << "5" << digit;
    QTest::newRow("zero") << 0x0bu << false << "0"
                          << "0" << digit;
    QTest::newRow("number-pad digit") << 0x4cu << false << "Num 5"
                                      << "5" << digit;
    QTest::newRow("number-pad word") << 0x53u << false << "Num Del"
                                     << "Del" << other;
    QTest::newRow("number-pad enter") << 0x1cu << true << "Num Enter"
                                      << "Enter" << other;
    QTest::newRow("enter") << 0x1cu << false << "Enter"
                           << "Enter" << other;
    QTest::newRow("right shift") << 0x36u << false << "Right Shift"
                                 << "Shift" << other;
    QTest::newRow("left ctrl") << 0x1du << false << "Left Ctrl"
                               << "Ctrl" << other;
    QTest::newRow("right ctrl") << 0x1du << true << "Right Ctrl"
                                << "Ctrl" << other;
    QTest::newRow("arrow keeps its word") << 0x4bu << true << "Left"
                                          << "Left" << other;
    QTest::newRow("punctuation") << 0x33u << false << ","
                                 << "," << other;
    QTest::newRow("number-pad sign") << 0x4au << false << "Num -"
                                     << "-" << other;
    QTest::newRow("space") << 0x39u << false << "Space"
                           << "Space" << other;
    QTest::newRow("function key") << 0x3bu << false << "F1"
                                  << "F1" << other;
    QTest::newRow("no name") << 0x7fu << false << ""
                             << "" << other;
    QTest::newRow("extended without a name") << 0x1eu << true << ""
                                             << "" << other;
}

void TestKeyNames::names() {
    QFETCH(unsigned, scanCode);
    QFETCH(bool, extended);
    QFETCH(QString, name);
    QFETCH(QString, cleaned);
    QFETCH(int, kind);
    // The name does not depend on the press, repeat or release bits.
    for (const auto& [wasDown, released] : {std::pair{false, false}, {true, false}, {true, true}}) {
        const std::uint32_t lParam = keystroke::make(scanCode, extended, wasDown, released);
        QCOMPARE(keyNameText(lParam), name);
    }
    QCOMPARE(cleanKeyName(name), cleaned);
    QCOMPARE(int(keyKind(cleaned)), kind);
}

void TestKeyNames::keystrokes_data() {
    QTest::addColumn<std::uint32_t>("lParam");
    QTest::addColumn<bool>("valid");
    QTest::newRow("press") << keystroke::make(0x1e, false, false, false) << true;
    QTest::newRow("repeat") << keystroke::make(0x1e, false, true, false) << true;
    QTest::newRow("release") << keystroke::make(0x1e, false, true, true) << true;
    QTest::newRow("extended release") << keystroke::make(0x1c, true, true, true) << true;
    QTest::newRow("release of a key not down") << std::uint32_t(0x801e0001) << false;
    QTest::newRow("no scan code") << std::uint32_t(0x40000001) << false;
    QTest::newRow("repeat count 0") << std::uint32_t(0x401e0000) << false;
    QTest::newRow("repeat count 2") << std::uint32_t(0x401e0002) << false;
    QTest::newRow("unused bit") << std::uint32_t(0x421e0001) << false;
    QTest::newRow("context bit") << std::uint32_t(0x601e0001) << false;
}

void TestKeyNames::keystrokes() {
    QFETCH(std::uint32_t, lParam);
    QFETCH(bool, valid);
    QCOMPARE(isKeystroke(lParam), valid);
}

QTEST_APPLESS_MAIN(TestKeyNames)
#include "tst_key_names.moc"
