// Files written whole or not at all, by either road: the unnamed file, and the hidden named part
// of file systems without unnamed files.
#include "app/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

Q_DECLARE_METATYPE(AtomicFile::Naming)

class TestAtomicFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void namings_data();
    void replacesWholeAndKeepsPermissions_data() { namings_data(); }
    void replacesWholeAndKeepsPermissions();
    void abandonedWriteLeavesNothing_data() { namings_data(); }
    void abandonedWriteLeavesNothing();
    void partBeingWrittenSurvivesAnotherClean_data() { namings_data(); }
    void partBeingWrittenSurvivesAnotherClean();
    void cleanRemovesOnlyAbandonedParts();
    void wholeFileWriteRemovesAPartLeftBefore();
    void cleanNeitherFollowsNorWaitsOnAPipe();

private:
    QString file(const QString& name) const { return m_dir->filePath(name); }
    QStringList entries() const {
        return QDir(m_dir->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAtomicFile::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestAtomicFile::namings_data() {
    QTest::addColumn<AtomicFile::Naming>("naming");
    QTest::newRow("unnamed file") << AtomicFile::Naming::UnnamedFirst;
    QTest::newRow("named part") << AtomicFile::Naming::NamedOnly;
}

void TestAtomicFile::replacesWholeAndKeepsPermissions() {
    QFETCH(AtomicFile::Naming, naming);
    const QString target = file(QStringLiteral("out.wav"));
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("the old content, longer than the new");
    old.close();
    QVERIFY(::chmod(QFile::encodeName(target).constData(), 0640) == 0);

    AtomicFile written(target, naming);
    QVERIFY(written.open());
    QVERIFY(written.write("new "));
    // A library writing by name reaches the same file.
    QFile byName(written.writingPath());
    QVERIFY(byName.open(QIODevice::WriteOnly | QIODevice::Append));
    byName.write("content");
    byName.close();
    QCOMPARE(entries().size(), naming == AtomicFile::Naming::NamedOnly ? 2 : 1);
    QVERIFY(written.commit());

    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("new content"));
    struct stat status {};
    QVERIFY(::stat(QFile::encodeName(target).constData(), &status) == 0);
    QCOMPARE(status.st_mode & 07777, mode_t(0640));
    QCOMPARE(entries(), QStringList{QStringLiteral("out.wav")});
}

void TestAtomicFile::abandonedWriteLeavesNothing() {
    QFETCH(AtomicFile::Naming, naming);
    {
        AtomicFile written(file(QStringLiteral("out.wav")), naming);
        QVERIFY(written.open());
        QVERIFY(written.write("never finished"));
    }
    QCOMPARE(entries(), QStringList());
}

// Another export starting in the same folder cleans it: what this one writes is not abandoned.
// The unnamed file is locked too: it has a name for the instant between its link and its
// rename.
void TestAtomicFile::partBeingWrittenSurvivesAnotherClean() {
    QFETCH(AtomicFile::Naming, naming);
    AtomicFile written(file(QStringLiteral("out.wav")), naming);
    QVERIFY(written.open());
    QVERIFY(written.write("half"));
    const int other =
        ::open(QFile::encodeName(written.writingPath()).constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(other >= 0);
    const bool locked = ::flock(other, LOCK_EX | LOCK_NB) != 0;
    ::close(other);
    QVERIFY(locked);
    removeAbandonedParts(m_dir->path());
    QVERIFY(written.write(" and the rest"));
    QVERIFY2(written.commit(), qPrintable(written.errorString()));
    QFile result(file(QStringLiteral("out.wav")));
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(result.readAll(), QByteArray("half and the rest"));
}

void TestAtomicFile::cleanRemovesOnlyAbandonedParts() {
    // A part left by a killed program, locked by nobody, and the user's own files that look
    // alike.
    for (const QString& name :
         {QStringLiteral(".parlora-0123456789abcdef.part"), QStringLiteral(".part-x"),
          QStringLiteral(".part-1a2b"), QStringLiteral(".parlora-notes.part")}) {
        QFile own(file(name));
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.write("mine");
    }
    removeAbandonedParts(m_dir->path());
    QCOMPARE(entries(), (QStringList{QStringLiteral(".parlora-notes.part"),
                                     QStringLiteral(".part-1a2b"), QStringLiteral(".part-x")}));
}

// The settings and the saved documents are written whole at once; a program killed between
// the link and the rename of such a file left its part.
void TestAtomicFile::wholeFileWriteRemovesAPartLeftBefore() {
    QFile left(file(QStringLiteral(".parlora-00000000000000ff.part")));
    QVERIFY(left.open(QIODevice::WriteOnly));
    left.write("[set]\r\n");
    left.close();
    QVERIFY(writeFileAtomically(file(QStringLiteral("set.ini")), "[set]\r\nRate=3\r\n"));
    QCOMPARE(entries(), QStringList{QStringLiteral("set.ini")});
}

// A part's name on a link or a pipe: a clean that opened it would wait for a writer forever.
void TestAtomicFile::cleanNeitherFollowsNorWaitsOnAPipe() {
    const QString pipe = file(QStringLiteral(".parlora-fedcba9876543210.part"));
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    const QStringList links{QStringLiteral(".parlora-0123456789abcdef.part"),
                            QStringLiteral(".part-x")};
    for (const QString& name : links)
        QVERIFY(QFile::link(pipe, file(name)));
    std::atomic<bool> finished{false};
    std::thread cleaner([&] {
        removeAbandonedParts(m_dir->path());
        finished = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!finished && !clock.hasExpired(2000))
        QThread::msleep(10);
    const bool waited = !finished;
    // Frees a clean that waits, so that the failure does not hang the test.
    while (!finished) {
        const int writer = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        QThread::msleep(10);
    }
    cleaner.join();
    QVERIFY2(!waited, "the clean waited on the pipe");
    for (const QString& name : links)
        QVERIFY(QFileInfo(file(name)).isSymLink());
    QCOMPARE(QFileInfo(pipe).exists(), true);
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomic_file.moc"
