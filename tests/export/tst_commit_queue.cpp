// The queue that puts finished export files in place behind the export: order, failures, and
// that nothing given is lost.
#include "app/app_error.h"
#include "export/commit_queue.h"

#include <QtTest>
#include <atomic>
#include <chrono>
#include <mutex>

class TestCommitQueue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stepsRunInOrderUntilOneFails_data();
    void stepsRunInOrderUntilOneFails();
    void drainStartsAfreshAfterAFailure();
    void destructionRunsWhatWasGiven();
    void manySlowStepsAreNotLost();
};

namespace {

struct Log {
    std::mutex mutex;
    QList<int> ran;
    void add(int step) {
        std::lock_guard lock(mutex);
        ran << step;
    }
};

} // namespace

void TestCommitQueue::stepsRunInOrderUntilOneFails_data() {
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("failing"); // -1: none
    QTest::addColumn<QList<int>>("ran");
    QTest::newRow("none fails") << 4 << -1 << QList<int>{0, 1, 2, 3};
    QTest::newRow("the first fails") << 3 << 0 << QList<int>{0};
    QTest::newRow("one in the middle fails") << 5 << 2 << QList<int>{0, 1, 2};
    QTest::newRow("the last fails") << 3 << 2 << QList<int>{0, 1, 2};
}

// A failed file stops the export: the files after it never take their names, and the failure's
// message reaches the caller.
void TestCommitQueue::stepsRunInOrderUntilOneFails() {
    QFETCH(int, steps);
    QFETCH(int, failing);
    QFETCH(QList<int>, ran);
    Log log;
    CommitQueue queue;
    bool postRefused = false;
    for (int k = 0; k < steps; ++k) {
        try {
            queue.post([&log, k, failing] {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                log.add(k);
                if (k == failing)
                    throw AppError(QStringLiteral("无法创建文件 %1").arg(k));
            });
        } catch (const AppError& error) {
            QCOMPARE(error.message(), QStringLiteral("无法创建文件 %1").arg(failing));
            postRefused = true;
            break;
        }
    }
    QString failure;
    try {
        queue.wait();
    } catch (const AppError& error) {
        failure = error.message();
    }
    QCOMPARE(log.ran, ran);
    if (failing < 0) {
        QVERIFY(failure.isEmpty());
        QVERIFY(!postRefused);
    } else {
        QCOMPARE(failure, QStringLiteral("无法创建文件 %1").arg(failing));
    }
}

void TestCommitQueue::drainStartsAfreshAfterAFailure() {
    Log log;
    CommitQueue queue;
    queue.post([] { throw AppError(QStringLiteral("磁盘已满")); });
    QVERIFY_THROWS_EXCEPTION(AppError, queue.wait());
    QVERIFY_THROWS_EXCEPTION(AppError, queue.post([&log] { log.add(1); }));
    queue.drain();
    queue.post([&log] { log.add(2); });
    queue.wait();
    QCOMPARE(log.ran, QList<int>{2});
}

// Files finished before a stop still take their names when the export is torn down.
void TestCommitQueue::destructionRunsWhatWasGiven() {
    Log log;
    {
        CommitQueue queue;
        for (int k = 0; k < 3; ++k) {
            queue.post([&log, k] {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                log.add(k);
            });
        }
    }
    QCOMPARE(log.ran, (QList<int>{0, 1, 2}));
}

// More steps than the queue holds at once: posting waits for room instead of dropping any.
void TestCommitQueue::manySlowStepsAreNotLost() {
    std::atomic<int> count{0};
    CommitQueue queue;
    for (int k = 0; k < 100; ++k) {
        queue.post([&count] {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            ++count;
        });
    }
    queue.wait();
    QCOMPARE(count.load(), 100);
}

QTEST_GUILESS_MAIN(TestCommitQueue)
#include "tst_commit_queue.moc"
