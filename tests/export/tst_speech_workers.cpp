// The export helpers' protocol against stand-in helpers that misbehave on cue.
#include "app/app_error.h"
#include "platform/speech/speech_workers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <csignal>

using namespace std::chrono_literals;

class TestSpeechWorkers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void audioComesInTextOrder_data();
    void audioComesInTextOrder();
    void brokenHelperEndsTheExport_data();
    void brokenHelperEndsTheExport();
    void cancelStopsAtOnce();
    void fastHelperWaitsOnItsPipe();
    void piecesEndInThePausesAsked_data();
    void piecesEndInThePausesAsked();

private:
    QTemporaryDir m_dir;
    QString m_helper;
    QString m_flood;
};

namespace {

// Each piece's text tells the stand-in what to do; "<word><n>" sends one sample of value n.
const char Helper[] = R"sh(#!/bin/sh
block() { printf "\001\000\000\000\\$(printf %03o "$1")\000"; }
end() { printf '\000\000\000\000'; }
while IFS="$(printf '\t')" read -r voice rate volume samplerate endpause bytes; do
    text=$(dd bs=1 count="$bytes" 2>/dev/null)
    n=${text##*[a-z]}
    case "$text" in
    ok*) block "$n"; end ;;
    pause*) block "$((n + endpause))"; end ;;
    slow*) sleep 0.2; block "$n"; end ;;
    late*) sleep 1; block "$n"; end ;;
    trickle*) for i in 1 2 3 4 5 6 7 8; do sleep 0.1; block "$n"; done; end ;;
    hang*) exec sleep 1000 ;;
    garbage*) printf '\377\377\377\377\001\000' ;;
    exit*) exit 0 ;;
    cut*) printf '\144\000\000\000\001\000\002\000'; exit 0 ;;
    flood*) cat "$FLOOD"; touch "$FLOOD.sent"; end ;;
    esac
done
)sh";

const SpeechWorkers::Voice Plain{QStringLiteral("en"), 0, 100};

// The pieces' samples as the sink got them, and the last progress report.
struct Heard {
    std::vector<qint16> samples;
    qsizetype piecesDone = -1;
};

bool isGone(qint64 pid) {
    return ::kill(pid_t(pid), 0) == -1 && errno == ESRCH;
}

} // namespace

void TestSpeechWorkers::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_helper = m_dir.filePath(QStringLiteral("helper"));
    QFile script(m_helper);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(Helper);
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    // 24 MiB of whole blocks: far more than a helper may have waiting.
    m_flood = m_dir.filePath(QStringLiteral("flood"));
    QFile flood(m_flood);
    QVERIFY(flood.open(QIODevice::WriteOnly));
    const quint32 count = 32768;
    const QByteArray block = QByteArray(reinterpret_cast<const char*>(&count), sizeof count) +
                             QByteArray(count * 2, '\x01');
    for (int i = 0; i < 384; ++i)
        flood.write(block);
    flood.close();
    qputenv("FLOOD", QFile::encodeName(m_flood));
}

void TestSpeechWorkers::audioComesInTextOrder_data() {
    QTest::addColumn<int>("helpers");
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("one helper") << 1 << QStringList{"ok1", "ok2", "ok3"};
    QTest::newRow("more helpers than pieces") << 4 << QStringList{"ok1", "ok2"};
    QTest::newRow("the first is slow") << 2 << QStringList{"slow1", "ok2", "ok3", "ok4", "ok5"};
    // Slower in all than the silence allowed, but never silent that long.
    QTest::newRow("a piece that trickles") << 2 << QStringList{"ok1", "trickle2", "ok3"};
}

void TestSpeechWorkers::audioComesInTextOrder() {
    QFETCH(int, helpers);
    QFETCH(QStringList, pieces);
    SpeechWorkers workers(m_helper, helpers, 300ms);
    Heard heard;
    QVERIFY(workers.synthesise(
        pieces, Plain, 16000,
        [&](const qint16* samples, size_t count) {
            heard.samples.insert(heard.samples.end(), samples, samples + count);
            return true;
        },
        [&](qsizetype done) {
            heard.piecesDone = done;
            return true;
        }));
    std::vector<qint16> expected;
    for (const QString& piece : pieces) {
        const qint16 value = qint16(piece.back().digitValue());
        expected.insert(expected.end(), piece.startsWith(u't') ? 8 : 1, value);
    }
    QCOMPARE(heard.samples, expected);
    QCOMPARE(heard.piecesDone, pieces.size());
    QVERIFY(workers.processIds().isEmpty());
}

void TestSpeechWorkers::brokenHelperEndsTheExport_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("message");
    const QString stopped = QStringLiteral("朗读助手程序在导出完成前停止了");
    QTest::newRow("silent") << QString() << "hang2" << stopped;
    QTest::newRow("corrupt size") << QString() << "garbage2" << stopped;
    QTest::newRow("exits early") << QString() << "exit2" << stopped;
    QTest::newRow("ends inside a block") << QString() << "cut2" << stopped;
    QTest::newRow("cannot start") << "/nonexistent/helper"
                                  << "ok2"
                                  << QStringLiteral("无法启动朗读助手程序 /nonexistent/helper");
}

// The export ends with the message, soon, and no helper outlives it.
void TestSpeechWorkers::brokenHelperEndsTheExport() {
    QFETCH(QString, program);
    QFETCH(QString, failing);
    QFETCH(QString, message);
    SpeechWorkers workers(program.isEmpty() ? m_helper : program, 2, 300ms);
    QList<qint64> pids;
    QElapsedTimer timer;
    timer.start();
    try {
        workers.synthesise(
            {"ok1", failing, "ok3", "ok4"}, Plain, 16000,
            [](const qint16*, size_t) { return true; },
            [&](qsizetype) {
                if (pids.isEmpty())
                    pids = workers.processIds();
                return true;
            });
        QFAIL("the export went on without its helper");
    } catch (const AppError& error) {
        QCOMPARE(error.message(), message);
    }
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(workers.processIds().isEmpty());
    for (const qint64 pid : pids)
        QVERIFY2(isGone(pid), qPrintable(QString::number(pid)));
}

// A stop between two waits ends at once, long before a hung helper would be given up, and
// takes the helpers with it.
void TestSpeechWorkers::cancelStopsAtOnce() {
    SpeechWorkers workers(m_helper, 2);
    QList<qint64> pids;
    QElapsedTimer timer;
    timer.start();
    qint64 stoppedAt = -1;
    QVERIFY(!workers.synthesise(
        {"hang1", "hang2"}, Plain, 16000, [](const qint16*, size_t) { return true; },
        [&](qsizetype) {
            pids = workers.processIds();
            if (timer.elapsed() < 300)
                return true;
            stoppedAt = timer.elapsed();
            return false;
        }));
    QVERIFY(stoppedAt >= 300);
    QVERIFY2(timer.elapsed() - stoppedAt < 500,
             qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed() - stoppedAt)));
    QCOMPARE(pids.size(), 2);
    for (const qint64 pid : pids)
        QVERIFY(isGone(pid));
}

// While the first piece is late, the second helper's flood waits in its own pipe
// rather than in our memory; all of it still arrives, in order.
void TestSpeechWorkers::fastHelperWaitsOnItsPipe() {
    QFile::remove(m_flood + QStringLiteral(".sent"));
    SpeechWorkers workers(m_helper, 2);
    bool floodWasHeld = false;
    qint16 first = 0;
    size_t samples = 0;
    QVERIFY(workers.synthesise(
        {"late1", "flood"}, Plain, 16000,
        [&](const qint16* block, size_t count) {
            if (samples == 0) {
                floodWasHeld = !QFile::exists(m_flood + QStringLiteral(".sent"));
                first = block[0];
            }
            samples += count;
            return true;
        },
        [](qsizetype) { return true; }));
    QVERIFY(floodWasHeld);
    QCOMPARE(first, qint16(1));
    QCOMPARE(samples, size_t(1 + 384 * 32768));
}

// The engine leaves out the pause after a text's last sentence: inside a file, where the next
// piece follows, each piece asks for it; the file's last does not.
void TestSpeechWorkers::piecesEndInThePausesAsked_data() {
    QTest::addColumn<QList<bool>>("endPauses");
    QTest::addColumn<QList<qint16>>("samples"); // 2: the piece ended in a pause
    QTest::newRow("by default all but the last") << QList<bool>{} << QList<qint16>{2, 2, 1};
    QTest::newRow("a piece cut inside a sentence")
        << QList<bool>{false, true, false} << QList<qint16>{1, 2, 1};
    QTest::newRow("none") << QList<bool>{false, false, false} << QList<qint16>{1, 1, 1};
}

void TestSpeechWorkers::piecesEndInThePausesAsked() {
    QFETCH(QList<bool>, endPauses);
    QFETCH(QList<qint16>, samples);
    SpeechWorkers workers(m_helper, 2, 300ms);
    QList<qint16> heard;
    QVERIFY(workers.synthesise(
        {"pause1", "pause1", "pause1"}, Plain, 16000,
        [&](const qint16* block, size_t count) {
            heard.append(QList<qint16>(block, block + count));
            return true;
        },
        [](qsizetype) { return true; }, {}, endPauses));
    QCOMPARE(heard, samples);
}

QTEST_GUILESS_MAIN(TestSpeechWorkers)
#include "tst_speech_workers.moc"
