// Marks travel through the sample buffer with the samples they point into.
#include "platform/speech/pcm_buffer.h"

#include <QtTest>
#include <numeric>
#include <thread>

class TestPcmBuffer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void marksKeepTheirSamples_data();
    void marksKeepTheirSamples();
    void cancelDropsMarks();
};

namespace {

SpeechMark markAt(size_t sample) {
    SpeechMark mark;
    mark.position = int(sample) * 10; // tells the marks apart
    mark.sample = sample;
    return mark;
}

} // namespace

void TestPcmBuffer::marksKeepTheirSamples_data() {
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("readSize");
    QTest::newRow("roomy buffer, whole reads") << 100 << 100;
    QTest::newRow("writes wait for room, small reads") << 4 << 3;
    QTest::newRow("one sample at a time") << 1 << 1;
    QTest::newRow("reads larger than the buffer") << 3 << 7;
}

// Samples 0-9 with marks on 0, 3, 4, 9 and after the last, then a mark alone; every mark must
// come out on the sample it was written on, counted over everything read.
void TestPcmBuffer::marksKeepTheirSamples() {
    QFETCH(int, capacity);
    QFETCH(int, readSize);
    PcmBuffer buffer{size_t(capacity)};
    const std::vector<size_t> at{0, 3, 4, 9, 10};
    std::thread writer([&] {
        std::vector<qint16> samples(10);
        std::iota(samples.begin(), samples.end(), qint16(0));
        std::vector<SpeechMark> marks;
        for (size_t sample : at)
            marks.push_back(markAt(sample));
        buffer.write(samples.data(), samples.size(), 1, 0, marks);
        buffer.write(nullptr, 0, 1, 0, {markAt(0)});
    });
    std::vector<qint16> read;
    std::vector<std::pair<size_t, int>> marks; // sample counted from the start, position
    QElapsedTimer clock;
    clock.start();
    while (marks.size() < at.size() + 1 && clock.elapsed() < 5000) {
        const PcmBuffer::Chunk chunk = buffer.read(size_t(readSize));
        for (const SpeechMark& mark : chunk.marks)
            marks.emplace_back(read.size() + mark.sample, mark.position);
        read.insert(read.end(), chunk.samples.begin(), chunk.samples.end());
    }
    writer.join();
    QCOMPARE(read.size(), size_t(10));
    QCOMPARE(read.back(), qint16(9));
    std::vector<std::pair<size_t, int>> expected;
    for (size_t sample : at)
        expected.emplace_back(sample, int(sample) * 10);
    expected.emplace_back(10, 0); // the mark written alone comes after everything
    QCOMPARE(marks, expected);
    QVERIFY(buffer.isEmpty());
}

void TestPcmBuffer::cancelDropsMarks() {
    PcmBuffer buffer(100);
    const qint16 samples[4] = {1, 2, 3, 4};
    buffer.write(samples, 4, 1, 0, {markAt(2)});
    buffer.cancel(1);
    QVERIFY(buffer.isEmpty());
    QVERIFY(buffer.read(100).marks.empty());
    QVERIFY(!buffer.write(nullptr, 0, 1, 0, {markAt(0)})); // from the cancelled generation
    QVERIFY(buffer.isEmpty());
}

QTEST_GUILESS_MAIN(TestPcmBuffer)
#include "tst_pcm_buffer.moc"
