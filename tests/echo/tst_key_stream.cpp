// The key module's pipe taken apart into key events, whatever the reads return.
#include "echo/key_stream.h"
#include "echo/keystroke.h"

#include <QtTest>

class TestKeyStream : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keysAreTakenApart_data();
    void keysAreTakenApart();
};

namespace {

QByteArray bytesOf(std::initializer_list<std::uint32_t> values) {
    QByteArray bytes;
    for (const std::uint32_t value : values)
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    return bytes;
}

const std::uint32_t APress = keystroke::make(0x1e, false, false, false);
const std::uint32_t ARelease = keystroke::make(0x1e, false, true, true);
const std::uint32_t NumEnter = keystroke::make(0x1c, true, false, false);

} // namespace

void TestKeyStream::keysAreTakenApart_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("readSize");
    QTest::addColumn<QList<std::uint32_t>>("keys");
    const QByteArray three = bytesOf({APress, ARelease, NumEnter});
    QTest::newRow("whole values") << three << 4 << QList<std::uint32_t>{APress, ARelease, NumEnter};
    QTest::newRow("split values") << three << 3 << QList<std::uint32_t>{APress, ARelease, NumEnter};
    QTest::newRow("byte by byte") << three << 1 << QList<std::uint32_t>{APress, ARelease, NumEnter};
    QTest::newRow("one read") << three << 12 << QList<std::uint32_t>{APress, ARelease, NumEnter};
    QTest::newRow("a value begun")
        << three.chopped(1) << 5 << QList<std::uint32_t>{APress, ARelease};
    // Values no keystroke has: no scan code, unused bits set, a release of a key never down.
    QTest::newRow("not keystrokes")
        << bytesOf({0x00000001u, APress | 0x02000000u, keystroke::make(0x1e, false, false, true),
                    NumEnter})
        << 7 << QList<std::uint32_t>{NumEnter};
}

void TestKeyStream::keysAreTakenApart() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, readSize);
    QFETCH(QList<std::uint32_t>, keys);
    KeyStream stream;
    QList<std::uint32_t> got;
    for (qsizetype at = 0; at < bytes.size(); at += readSize) {
        const QByteArray read = bytes.mid(at, readSize);
        for (const std::uint32_t key : stream.feed(read.constData(), size_t(read.size())))
            got << key;
    }
    QCOMPARE(got, keys);
}

QTEST_GUILESS_MAIN(TestKeyStream)
#include "tst_key_stream.moc"
