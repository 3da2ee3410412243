// Long operations on a thread of their own, completed on the owner's thread.
#include "app/app_error.h"
#include "app/background_job.h"

#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <atomic>

class TestBackgroundJob : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void completesOnTheOwnersThread();
    void failureReachesTheOwner();
    void oneWorkAtATime();
    void cancelIsSeenAndTheCompletionStillComes();
    void abandonDropsTheCompletion();
    void cancelAfterTheWorkReturnedChangesNothing();
    void reportsAreThinnedButNotTheFirstAndLast();
    void abandonedEndLeavesTheNextWorkRunning();
    void worksInARowCompleteWithTheirOwnResults();
};

void TestBackgroundJob::completesOnTheOwnersThread() {
    BackgroundJob job;
    QSignalSpy progress(&job, &BackgroundJob::progress);
    QSignalSpy finished(&job, &BackgroundJob::finished);
    QThread* workThread = nullptr;
    QThread* completionThread = nullptr;
    QVERIFY(job.start([&](BackgroundJob::Control& control) {
        workThread = QThread::currentThread();
        control.report(10, 10);
        return [&] { completionThread = QThread::currentThread(); };
    }));
    QVERIFY(job.isRunning());
    QVERIFY(finished.wait(5000));
    QVERIFY(!job.isRunning());
    QVERIFY(!completionThread); // the owner runs it
    job.complete();
    QCOMPARE(completionThread, QThread::currentThread());
    QVERIFY(workThread != QThread::currentThread());
    QCOMPARE(progress.size(), 1);
    QCOMPARE(progress.first(), (QList<QVariant>{qint64(10), qint64(10)}));
}

void TestBackgroundJob::failureReachesTheOwner() {
    BackgroundJob job;
    QSignalSpy finished(&job, &BackgroundJob::finished);
    job.start([](BackgroundJob::Control&) -> BackgroundJob::Completion {
        throw AppError(QStringLiteral("无法创建文件 /x"));
    });
    QVERIFY(finished.wait(5000));
    try {
        job.complete();
        QFAIL("the failure was lost");
    } catch (const AppError& error) {
        QCOMPARE(error.message(), QStringLiteral("无法创建文件 /x"));
    }
}

void TestBackgroundJob::oneWorkAtATime() {
    BackgroundJob job;
    QSignalSpy finished(&job, &BackgroundJob::finished);
    std::atomic<bool> release{false};
    int runs = 0;
    const auto work = [&](BackgroundJob::Control&) {
        ++runs;
        while (!release)
            QThread::msleep(1);
        return BackgroundJob::Completion{};
    };
    QVERIFY(job.start(work));
    QVERIFY(!job.start(work));
    release = true;
    QVERIFY(finished.wait(5000));
    QVERIFY(job.start(work));
    QVERIFY(finished.wait(5000));
    QCOMPARE(runs, 2);
}

void TestBackgroundJob::cancelIsSeenAndTheCompletionStillComes() {
    BackgroundJob job;
    QSignalSpy finished(&job, &BackgroundJob::finished);
    bool completed = false;
    job.start([&](BackgroundJob::Control& control) {
        while (!control.cancelled())
            QThread::msleep(1);
        return [&] { completed = true; };
    });
    job.cancel();
    QVERIFY(job.isCancelled());
    QVERIFY(finished.wait(5000));
    job.complete();
    QVERIFY(completed);
}

// The work is done, its end not yet seen by the owner, when 取消 is pressed: the completion
// (a voice installed, listed) must still run as for any finished work.
void TestBackgroundJob::cancelAfterTheWorkReturnedChangesNothing() {
    BackgroundJob job;
    QSignalSpy finished(&job, &BackgroundJob::finished);
    std::atomic<bool> returning = false;
    bool completed = false;
    job.start([&](BackgroundJob::Control&) {
        returning = true;
        return [&] { completed = true; };
    });
    while (!returning)
        QThread::msleep(1);
    QThread::msleep(100); // its thread has ended; the owner has not heard yet
    job.cancel();
    QVERIFY(!job.isCancelled());
    QVERIFY(finished.wait(5000));
    job.complete();
    QVERIFY(completed);
}

void TestBackgroundJob::abandonDropsTheCompletion() {
    BackgroundJob job;
    QSignalSpy finished(&job, &BackgroundJob::finished);
    std::atomic<bool> stopped{false};
    job.start([&](BackgroundJob::Control& control) {
        while (!control.cancelled())
            QThread::msleep(1);
        stopped = true;
        return BackgroundJob::Completion{};
    });
    job.abandon();
    QVERIFY(stopped); // abandon waits for the work
    QVERIFY(!job.isRunning());
    QTest::qWait(50);
    QCOMPARE(finished.size(), 0);
}

// The first tells where a long step begins (a page that takes seconds); those in between are
// dropped when they come faster than the owner can show them.
void TestBackgroundJob::reportsAreThinnedButNotTheFirstAndLast() {
    BackgroundJob job;
    QSignalSpy progress(&job, &BackgroundJob::progress);
    QSignalSpy finished(&job, &BackgroundJob::finished);
    job.start([](BackgroundJob::Control& control) {
        for (int done = 1; done <= 100; ++done)
            control.report(done, 100);
        return [] {};
    });
    QVERIFY(finished.wait(5000));
    QTRY_VERIFY(progress.size() >= 2);
    QVERIFY(progress.size() < 100);
    QCOMPARE(progress.first(), (QList<QVariant>{qint64(1), qint64(100)}));
    QCOMPARE(progress.last(), (QList<QVariant>{qint64(100), qint64(100)}));
}

// The end of an abandoned work may still be queued when the next work starts: it neither
// finishes that one nor hands over its completion.
void TestBackgroundJob::abandonedEndLeavesTheNextWorkRunning() {
    BackgroundJob job;
    QSignalSpy finished(&job, &BackgroundJob::finished);
    std::atomic<bool> returned{false};
    QString completedBy;
    job.start([&](BackgroundJob::Control&) {
        returned = true;
        return [&] { completedBy = QStringLiteral("abandoned"); };
    });
    while (!returned)
        QThread::yieldCurrentThread();
    job.abandon(); // joined: its end is queued, not yet delivered
    std::atomic<bool> release{false};
    QVERIFY(job.start([&](BackgroundJob::Control&) {
        while (!release)
            QThread::msleep(1);
        return [&] { completedBy = QStringLiteral("next"); };
    }));
    QTest::qWait(50);
    QCOMPARE(finished.size(), 0);
    QVERIFY(job.isRunning());
    release = true;
    QVERIFY(finished.wait(5000));
    job.complete();
    QCOMPARE(completedBy, QStringLiteral("next"));
}

void TestBackgroundJob::worksInARowCompleteWithTheirOwnResults() {
    BackgroundJob job;
    QSignalSpy progress(&job, &BackgroundJob::progress);
    QSignalSpy finished(&job, &BackgroundJob::finished);
    QList<int> completed;
    for (int k = 0; k < 20; ++k) {
        QVERIFY(job.start([&completed, k](BackgroundJob::Control& control) {
            control.report(k, 20);
            if (k % 5 == 4)
                throw AppError(QString::number(k));
            return [&completed, k] { completed << k; };
        }));
        QVERIFY(finished.wait(5000));
        try {
            job.complete();
        } catch (const AppError& error) {
            completed << -error.message().toInt();
        }
        QCOMPARE(progress.takeFirst(), (QList<QVariant>{qint64(k), qint64(20)}));
    }
    QCOMPARE(completed, (QList<int>{0,  1,  2,  3,  -4,  5,  6,  7,  8,  -9,
                                    10, 11, 12, 13, -14, 15, 16, 17, 18, -19}));
}

QTEST_GUILESS_MAIN(TestBackgroundJob)
#include "tst_background_job.moc"
