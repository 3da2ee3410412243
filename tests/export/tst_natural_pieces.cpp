#include "app/app_error.h"
#include "export/natural_pieces.h"

#include <QtTest>
#include <atomic>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

// A job's sound that says which job made it.
NeuralPieceAudio soundOf(qsizetype job) {
    NeuralPieceAudio sound;
    sound.samples.assign(size_t(job % 7 + 1), qint16(job));
    return sound;
}

} // namespace

// The jobs' sounds are faked: the order, the bound on waiting sounds, failures and stops are
// what is tested; the helpers' processes are never started.
class TestNaturalPieces : public QObject {
    Q_OBJECT

private slots:
    void handedOnInOrder_data();
    void handedOnInOrder();
    void firstFailureInOrderEndsTheRow();
    void stops_data();
    void stops();
    void helpersStayFromRowToRow();
};

void TestNaturalPieces::handedOnInOrder_data() {
    QTest::addColumn<int>("helpers");
    QTest::addColumn<int>("jobs");
    QTest::newRow("one helper") << 1 << 12;
    QTest::newRow("two helpers, later jobs quicker") << 2 << 12;
    QTest::newRow("more helpers than jobs") << 8 << 3;
    QTest::newRow("no job") << 2 << 0;
}

// Later jobs finish first, and handing on is slow: still in order, and no helper runs more
// than two sounds per helper ahead of what was handed on.
void TestNaturalPieces::handedOnInOrder() {
    QFETCH(int, helpers);
    QFETCH(int, jobs);
    std::atomic<qsizetype> begun = 0;
    std::atomic<qsizetype> handedOn = 0;
    std::atomic<qsizetype> furthestAhead = 0;
    QList<qsizetype> order;
    bool wrongSound = false;
    const bool finished = natural_pieces::say(
        helpers, jobs,
        [&](NeuralWorker&, qsizetype job) {
            const qsizetype ahead = ++begun;
            furthestAhead = std::max(furthestAhead.load(), ahead - handedOn.load());
            std::this_thread::sleep_for(std::chrono::milliseconds(2 * (jobs - job)));
            return soundOf(job);
        },
        [&](qsizetype job, NeuralPieceAudio& sound) {
            wrongSound = wrongSound || sound.samples != soundOf(job).samples;
            order << job;
            ++handedOn;
            std::this_thread::sleep_for(3ms);
            return true;
        },
        [] { return true; });
    QVERIFY(finished);
    QVERIFY(!wrongSound);
    QList<qsizetype> expected;
    for (qsizetype job = 0; job < jobs; ++job)
        expected << job;
    QCOMPARE(order, expected);
    QCOMPARE(begun.load(), qsizetype(jobs));
    QVERIFY2(furthestAhead <= 2 * helpers + 1, qPrintable(QString::number(furthestAhead)));
}

void TestNaturalPieces::firstFailureInOrderEndsTheRow() {
    QList<qsizetype> order;
    QString message;
    try {
        natural_pieces::say(
            3, 20,
            [](NeuralWorker&, qsizetype job) {
                if (job == 5)
                    std::this_thread::sleep_for(20ms); // fails after job 6
                if (job == 5 || job == 6)
                    throw AppError(QStringLiteral("第 %1 段坏了").arg(job));
                return soundOf(job);
            },
            [&](qsizetype job, NeuralPieceAudio&) {
                order << job;
                return true;
            },
            [] { return true; });
    } catch (const AppError& error) {
        message = error.message();
    }
    QCOMPARE(message, QStringLiteral("第 5 段坏了"));
    QCOMPARE(order, (QList<qsizetype>{0, 1, 2, 3, 4}));
}

void TestNaturalPieces::stops_data() {
    QTest::addColumn<bool>("byHandingOn"); // else while a slow job is awaited
    QTest::newRow("handing on says stop") << true;
    QTest::newRow("asked while waiting") << false;
}

// Nothing more is handed on, and no job begins once it returned: its helpers have ended.
void TestNaturalPieces::stops() {
    QFETCH(bool, byHandingOn);
    std::atomic<int> made = 0;
    QList<qsizetype> order;
    QElapsedTimer clock;
    clock.start();
    const bool finished = natural_pieces::say(
        2, 1000,
        [&](NeuralWorker&, qsizetype job) {
            ++made;
            if (!byHandingOn && job == 1)
                std::this_thread::sleep_for(400ms);
            return soundOf(job);
        },
        [&](qsizetype job, NeuralPieceAudio&) {
            order << job;
            return !byHandingOn || job < 2;
        },
        [&] { return order.isEmpty(); }); // both on this thread
    QVERIFY(!finished);
    const int madeWhenReturned = made;
    QCOMPARE(order, (byHandingOn ? QList<qsizetype>{0, 1, 2} : QList<qsizetype>{0}));
    QVERIFY2(madeWhenReturned <= 3 + 2 * 2, qPrintable(QString::number(madeWhenReturned)));
    std::this_thread::sleep_for(50ms);
    QCOMPARE(made.load(), madeWhenReturned);
    if (!byHandingOn) // at most the slow job in hand is awaited
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
}

// Rows after the first are made on the threads, and so by the workers with their voices open,
// that made the rows before, also after a row failed; a row of one job starts one helper.
void TestNaturalPieces::helpersStayFromRowToRow() {
    thread_local int jobsOnThisThread = 0;
    natural_pieces::Helpers helpers(2);
    std::atomic<int> onNewThreads = 0;
    const auto row = [&](qsizetype jobs, qsizetype failing) {
        onNewThreads = 0;
        QList<qsizetype> order;
        try {
            helpers.say(
                jobs,
                [&](NeuralWorker&, qsizetype job) {
                    if (jobsOnThisThread++ == 0)
                        ++onNewThreads;
                    std::this_thread::sleep_for(2ms);
                    if (job == failing)
                        throw AppError(QStringLiteral("坏了"));
                    return soundOf(job);
                },
                [&](qsizetype job, NeuralPieceAudio&) {
                    order << job;
                    return true;
                },
                [] { return true; });
        } catch (const AppError&) {
        }
        return order;
    };
    QCOMPARE(row(1, -1), QList<qsizetype>{0});
    QCOMPARE(onNewThreads.load(), 1);
    QCOMPARE(row(10, 4), (QList<qsizetype>{0, 1, 2, 3}));
    QVERIFY(onNewThreads <= 1); // the second helper starts here
    QCOMPARE(row(10, -1).size(), 10);
    QCOMPARE(onNewThreads.load(), 0);
    QCOMPARE(row(3, -1).size(), 3);
    QCOMPARE(onNewThreads.load(), 0);
}

QTEST_GUILESS_MAIN(TestNaturalPieces)
#include "tst_natural_pieces.moc"
