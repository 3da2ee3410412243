// The record the fakes keep of their calls, read by a test while an export thread adds to it.
#include "platform/fakes/call_recorder.h"

#include <QDeadlineTimer>
#include <QtTest>
#include <atomic>
#include <thread>

class TestCallRecorder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void failingMembersThrowUnrecorded_data();
    void failingMembersThrowUnrecorded();
    void copiesStayWholeWhileAnotherThreadRecords();
    void failingSetWhileAnotherThreadRecords();
};

void TestCallRecorder::failingMembersThrowUnrecorded_data() {
    QTest::addColumn<QStringList>("failing");
    QTest::addColumn<QString>("call");
    QTest::addColumn<bool>("throws");
    QTest::newRow("named member") << QStringList{"Speak"} << "Speak:1:a" << true;
    QTest::newRow("member without argument") << QStringList{"Close"} << "Close" << true;
    QTest::newRow("other member") << QStringList{"Speak"} << "Pause" << false;
    QTest::newRow("start of a member's name") << QStringList{"Spe"} << "Speak:1:a" << false;
    QTest::newRow("argument equal to a failing name")
        << QStringList{"Pause"} << "Speak:1:Pause" << false;
    QTest::newRow("none failing") << QStringList{} << "Speak:1:a" << false;
}

void TestCallRecorder::failingMembersThrowUnrecorded() {
    QFETCH(QStringList, failing);
    QFETCH(QString, call);
    QFETCH(bool, throws);
    CallRecorder recorder;
    recorder.setFailing(QSet<QString>(failing.cbegin(), failing.cend()));
    bool thrown = false;
    try {
        recorder.call(call);
    } catch (const AppError&) {
        thrown = true;
    }
    QCOMPARE(thrown, throws);
    QCOMPARE(recorder.calls(), throws ? QStringList() : QStringList{call});
}

// Every copy a reader takes is a whole prefix of what was recorded, in order.
void TestCallRecorder::copiesStayWholeWhileAnotherThreadRecords() {
    constexpr int Count = 20000;
    CallRecorder recorder;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int k = 0; k < Count; ++k)
            recorder.call(QStringLiteral("Speak:%1").arg(k));
        done = true;
    });
    qsizetype seen = 0;
    bool whole = true;
    while (!done && whole) {
        const QStringList copy = recorder.calls();
        whole = copy.size() >= seen &&
                (copy.isEmpty() || copy.last() == QStringLiteral("Speak:%1").arg(copy.size() - 1));
        seen = copy.size();
    }
    writer.join();
    QVERIFY(whole);
    const QStringList all = recorder.calls();
    QCOMPARE(all.size(), Count);
    for (int k = 0; k < Count; k += 997)
        QCOMPARE(all.at(k), QStringLiteral("Speak:%1").arg(k));
    recorder.clearCalls();
    QVERIFY(recorder.calls().isEmpty());
}

// A member made to fail while another thread calls it fails there from then on.
void TestCallRecorder::failingSetWhileAnotherThreadRecords() {
    CallRecorder recorder;
    std::atomic<bool> started{false};
    std::atomic<bool> thrown{false};
    std::thread caller([&] {
        const QDeadlineTimer deadline(5000);
        while (!thrown && !deadline.hasExpired()) {
            try {
                recorder.call(QStringLiteral("Pause"));
                started = true;
            } catch (const AppError&) {
                thrown = true;
            }
        }
    });
    while (!started && !thrown)
        std::this_thread::yield();
    recorder.setFailing({QStringLiteral("Pause")});
    caller.join();
    QVERIFY(thrown);
    const qsizetype recorded = recorder.calls().size();
    QVERIFY(recorded > 0);
    QVERIFY_THROWS_EXCEPTION(AppError, recorder.call(QStringLiteral("Pause")));
    QCOMPARE(recorder.calls().size(), recorded);
}

QTEST_GUILESS_MAIN(TestCallRecorder)
#include "tst_call_recorder.moc"
