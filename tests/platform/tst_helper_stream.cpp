// The export helpers' audio stream taken apart, whatever the reads return.
#include "platform/speech/helper_stream.h"

#include <QtTest>

class TestHelperStream : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void blocksAreTakenApart_data();
    void blocksAreTakenApart();
};

namespace {

QByteArray header(quint32 count) {
    return QByteArray(reinterpret_cast<const char*>(&count), sizeof count);
}

QByteArray wordStart(quint32 position, quint32 sample) {
    return header(HelperStream::MarkTag) + header(position) + header(sample);
}

QByteArray block(std::initializer_list<qint16> samples) {
    QByteArray bytes = header(quint32(samples.size()));
    for (const qint16 sample : samples)
        bytes.append(reinterpret_cast<const char*>(&sample), sizeof sample);
    return bytes;
}

// What the stream gave, one word a block: the samples joined by "+", "end", or "corrupt".
QString takeAll(HelperStream& stream) {
    QStringList taken;
    for (;;) {
        const HelperStream::Block next = stream.next();
        if (next.kind == HelperStream::Block::Incomplete)
            break;
        if (next.kind == HelperStream::Block::Corrupt) {
            taken << QStringLiteral("corrupt");
            break;
        }
        if (next.kind == HelperStream::Block::PieceEnd) {
            taken << QStringLiteral("end");
            continue;
        }
        if (next.kind == HelperStream::Block::WordStart) {
            taken << QStringLiteral("word:%1@%2").arg(next.position).arg(next.sample);
            continue;
        }
        QStringList samples;
        for (size_t i = 0; i < next.count; ++i)
            samples << QString::number(next.samples[i]);
        taken << samples.join(u'+');
    }
    return taken.join(u' ');
}

} // namespace

void TestHelperStream::blocksAreTakenApart_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("taken");
    QTest::addColumn<qsizetype>("left"); // bytes still waiting
    QTest::newRow("pieces") << block({1, -2}) + header(0) + block({32767}) + header(0)
                            << "1+-2 end 32767 end" << qsizetype(0);
    QTest::newRow("word starts") << wordStart(1, 0) + block({4}) + wordStart(7, 70000) + header(0)
                                 << "word:1@0 4 word:7@70000 end" << qsizetype(0);
    QTest::newRow("half a word start")
        << block({4}) + wordStart(2, 3).chopped(1) << "4" << qsizetype(11);
    QTest::newRow("half a header") << block({5}) + header(0).left(2) << "5" << qsizetype(2);
    QTest::newRow("half a block") << block({5, 6, 7}).chopped(1) << "" << qsizetype(9);
    QTest::newRow("largest count") << header(HelperStream::MaxBlockSamples) << "" << qsizetype(4);
    // A count just beyond the largest would have memory set aside for it; refused at once.
    QTest::newRow("count too large")
        << block({3}) + header(HelperStream::MaxBlockSamples + 1) << "3 corrupt" << qsizetype(4);
    QTest::newRow("count of 8 GiB")
        << header(0xffffffffu) + QByteArray(64, '\0') << "corrupt" << qsizetype(68);
}

void TestHelperStream::blocksAreTakenApart() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, taken);
    QFETCH(qsizetype, left);
    // All at once, and a byte at a time as a slow pipe gives them.
    HelperStream whole;
    whole.append(bytes.constData(), size_t(bytes.size()));
    QCOMPARE(takeAll(whole), taken);
    QCOMPARE(qsizetype(whole.waiting()), left);
    HelperStream bytewise;
    QStringList pieces;
    for (const char byte : bytes) {
        bytewise.append(&byte, 1);
        const QString got = takeAll(bytewise);
        if (!got.isEmpty())
            pieces << got;
        if (got == QStringLiteral("corrupt"))
            break;
    }
    QCOMPARE(pieces.join(u' '), taken);
}

QTEST_GUILESS_MAIN(TestHelperStream)
#include "tst_helper_stream.moc"
