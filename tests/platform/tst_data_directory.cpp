#include "app/app_error.h"
#include "platform/desktop_services.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestDataDirectory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void followsXdgConfigHome();
    void fallsBackToHomeConfig();
    void recreatedWhenRemoved();
    void reportsAFolderThatCannotBeMade();
};

void TestDataDirectory::followsXdgConfigHome() {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    XdgDataDirectory dir(QStringLiteral("parlora"));
    QCOMPARE(dir.path(), config.path() + QStringLiteral("/parlora/"));
    QVERIFY(QDir(config.path() + QStringLiteral("/parlora")).exists());
    QCOMPARE(dir.filePath(QStringLiteral("set.ini")),
             config.path() + QStringLiteral("/parlora/set.ini"));
}

void TestDataDirectory::fallsBackToHomeConfig() {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    XdgDataDirectory dir(QStringLiteral("reader"));
    QCOMPARE(dir.path(), home.path() + QStringLiteral("/.config/reader/"));
}

void TestDataDirectory::recreatedWhenRemoved() {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    XdgDataDirectory dir(QStringLiteral("parlora"));
    QVERIFY(QDir(dir.path()).removeRecursively());
    QVERIFY(QDir(dir.path()).exists());
}

void TestDataDirectory::reportsAFolderThatCannotBeMade() {
    QTemporaryDir config;
    QFile blocker(config.filePath(QStringLiteral("parlora")));
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    XdgDataDirectory dir(QStringLiteral("parlora"));
    QVERIFY_THROWS_EXCEPTION(AppError, dir.path());
}

QTEST_GUILESS_MAIN(TestDataDirectory)
#include "tst_data_directory.moc"
