// 语音管理 driven as a user would: the installed natural voices listed, removed after the
// question, and installed from an archive as the window's long operation.
#include "../neural/tiny_voices.h"
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"
#include "platform/speech/neural_voice_folder.h"
#include "speech/voice_manager_dialog.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

class TestVoiceManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void listsTheInstalledVoices();
    void removesOnlyWhenConfirmed_data();
    void removesOnlyWhenConfirmed();
    void installsAnArchive_data();
    void installsAnArchive();

private:
    VoiceManagerDialog* openDialog();
    void click(const QString& text);
    QString voices() const { return m_data.path() + QStringLiteral("/parlora/voices"); }
    void makeFolderVoice(const QString& folder, const QByteArray& model) const;
    QString archive(const QString& folder) const;

    QTemporaryDir m_data;
    QTemporaryDir m_downloads;
    bool m_runtime = false;
    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
};

void TestVoiceManager::initTestCase() {
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    m_runtime = naturalRuntimeFetched();
    if (!m_runtime)
        return;
    const QString failure = makeTinyVoices(m_downloads.path());
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestVoiceManager::init() {
    QDir(voices()).removeRecursively();
    m_fakes = std::make_unique<FakePlatform>();
    m_fakes->voice.voices = {{QStringLiteral("sit/cmn"), QStringLiteral("Chinese")}};
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
}

void TestVoiceManager::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

VoiceManagerDialog* TestVoiceManager::openDialog() {
    m_window->NVoiceManager->trigger();
    return m_window->findChild<VoiceManagerDialog*>();
}

void TestVoiceManager::click(const QString& text) {
    for (QPushButton* button :
         m_window->findChild<VoiceManagerDialog*>()->findChildren<QPushButton*>()) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no button ") + text));
}

void TestVoiceManager::makeFolderVoice(const QString& folder, const QByteArray& model) const {
    QVERIFY(QDir().mkpath(folder));
    const QList<std::pair<QString, QByteArray>> files{
        {QStringLiteral("model.onnx"), model},
        {QStringLiteral("tokens.txt"), "a 1\n"},
        {QStringLiteral("lexicon.txt"), "a a\n"},
        {QStringLiteral("LICENSE"), "\nApache License 2.0\nmore\n"}};
    for (const auto& [name, bytes] : files) {
        QFile file(folder + u'/' + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
}

QString TestVoiceManager::archive(const QString& folder) const {
    const QFileInfo info(folder);
    const QString path = m_downloads.filePath(info.fileName() + QStringLiteral(".tar.bz2"));
    QFile::remove(path);
    QProcess tar;
    tar.start(QStringLiteral("tar"), {QStringLiteral("-cjf"), path, QStringLiteral("-C"),
                                      info.absolutePath(), info.fileName()});
    return tar.waitForFinished() && tar.exitCode() == 0 ? path : QString();
}

void TestVoiceManager::listsTheInstalledVoices() {
    makeFolderVoice(voices() + QStringLiteral("/vits-b"), QByteArray(3000, 'x'));
    makeFolderVoice(voices() + QStringLiteral("/vits-a"), "m");
    VoiceManagerDialog* dialog = openDialog();
    QVERIFY(dialog);
    auto* table = dialog->findChild<QTableWidget*>();
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("vits-a"));
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("vits-b"));
    QCOMPARE(table->item(1, 2)->text(), QStringLiteral("3 KB")); // 3,037 bytes, rounded up
    QCOMPARE(table->item(0, 3)->text(), QStringLiteral("Apache License 2.0"));
    QCOMPARE(dialog->chosenVoice(), QStringLiteral("vits-a"));
}

void TestVoiceManager::removesOnlyWhenConfirmed_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("no keeps it") << false;
    QTest::newRow("yes removes it") << true;
}

void TestVoiceManager::removesOnlyWhenConfirmed() {
    QFETCH(bool, yes);
    makeFolderVoice(voices() + QStringLiteral("/vits-a"), "m");
    VoiceManagerDialog* dialog = openDialog();
    m_fakes->dialogs.confirmAnswers = {yes};
    click(QStringLiteral("删除(&D)"));
    QCOMPARE(
        m_fakes->dialogs.fileQuestions.filter(QStringLiteral("confirm:删除语音“vits-a”")).size(),
        1);
    QCOMPARE(QFileInfo::exists(voices() + QStringLiteral("/vits-a")), !yes);
    QCOMPARE(dialog->findChild<QTableWidget*>()->rowCount(), yes ? 0 : 1);
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestVoiceManager::installsAnArchive_data() {
    QTest::addColumn<bool>("sound");
    QTest::newRow("a voice the helper opens") << true;
    QTest::newRow("a model the helper cannot open") << false;
}

// The model is opened in the helper before the voice is listed; a voice it cannot open leaves
// nothing behind.
void TestVoiceManager::installsAnArchive() {
    QFETCH(bool, sound);
    if (!m_runtime)
        QSKIP("The natural voices' runtime was not fetched (scripts/install-deps)");
    QString folder = m_downloads.filePath(QStringLiteral("tiny-zh"));
    if (!sound) {
        folder = m_downloads.filePath(QStringLiteral("not-a-model"));
        makeFolderVoice(folder, "not a model");
    }
    const QString path = archive(folder);
    QVERIFY(!path.isEmpty());
    VoiceManagerDialog* dialog = openDialog();
    m_fakes->dialogs.openAnswers = {path};
    click(QStringLiteral("导入压缩包(&I)..."));
    QTRY_VERIFY_WITH_TIMEOUT(!m_fakes->dialogs.messages.isEmpty(), 20000);
    const QString name = QFileInfo(folder).fileName();
    const FakeDialogs::Message message = m_fakes->dialogs.messages.first();
    QCOMPARE(message.icon, sound ? Dialogs::Icon::Information : Dialogs::Icon::Error);
    QVERIFY2(message.text.contains(name), qPrintable(message.text));
    QCOMPARE(QFileInfo::exists(voices() + u'/' + name), sound);
    QCOMPARE(QDir(voices()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             sound ? QStringList{name} : QStringList{});
    QCOMPARE(dialog->findChild<QTableWidget*>()->rowCount(), sound ? 1 : 0);
    if (sound) { // the line it said was timed
        const QString speed = dialog->findChild<QTableWidget*>()->item(0, 5)->text();
        QVERIFY2(speed.startsWith(QStringLiteral("实时的 ")), qPrintable(speed));
    }
}

QTEST_MAIN(TestVoiceManager)
#include "tst_voice_manager.moc"
