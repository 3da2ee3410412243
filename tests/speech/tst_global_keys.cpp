// System-wide keys on the window with a fake desktop: the keys asked for, the commands they
// give, and the key dialog.
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"
#include "speech/global_keys_dialog.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

class TestGlobalKeys : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void keysAskedAtStart_data();
    void keysAskedAtStart();
    void commands_data();
    void commands();
    void readsTheSelectionOfAnyProgram();
    void dialogChangesAndKeepsKeys();
    void releasedAtExit();
    void keysLetGoWhileTheDialogIsOpen_data();
    void keysLetGoWhileTheDialogIsOpen();
    void aKeyGivesOneCommand();
    void dialogClosesWhileAKeyIsRecorded();

private:
    TFmain* start(const QByteArray& settings = {});
    QStringList calls() const;

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
};

void TestGlobalKeys::init() {
    m_fakes = std::make_unique<FakePlatform>();
    m_fakes->voice.voices = {{QStringLiteral("sit/cmn"), QStringLiteral("Chinese")}};
}

void TestGlobalKeys::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

TFmain* TestGlobalKeys::start(const QByteArray& settings) {
    if (!settings.isEmpty())
        m_fakes->dataDirectory.writeFile(QStringLiteral("set.ini"), settings);
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    m_fakes->voice.clearCalls();
    return m_window.get();
}

QStringList TestGlobalKeys::calls() const {
    QStringList names;
    for (const QString& call : m_fakes->voice.calls()) {
        if (!call.startsWith(QStringLiteral("Voice:")))
            names << call.section(u':', 0, 0);
    }
    return names;
}

void TestGlobalKeys::keysAskedAtStart_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QStringList>("keys"); // in the order of the commands
    QTest::newRow("defaults") << QByteArray()
                              << QStringList{"Ctrl+Alt+R", "Ctrl+Alt+P", "Ctrl+Alt+O",
                                             "Ctrl+Alt+PgDown", "Ctrl+Alt+PgUp"};
    QTest::newRow("chosen and none")
        << QByteArray("[set]\r\nKeyPauseResume=Ctrl+Shift+F9\r\nKeyStop=\r\n")
        << QStringList{"Ctrl+Alt+R", "Ctrl+Shift+F9", "", "Ctrl+Alt+PgDown", "Ctrl+Alt+PgUp"};
}

void TestGlobalKeys::keysAskedAtStart() {
    QFETCH(QByteArray, settings);
    QFETCH(QStringList, keys);
    start(settings);
    QStringList asked;
    for (const GlobalKey& key : m_fakes->globalKeys.keys)
        asked << key.key.toString(QKeySequence::PortableText);
    QCOMPARE(asked, keys);
}

void TestGlobalKeys::commands_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("pause") << int(GlobalCommand::PauseResume) << QStringList{"Pause"};
    QTest::newRow("stop") << int(GlobalCommand::Stop) << QStringList{"ReleaseVoice"};
    QTest::newRow("next sentence")
        << int(GlobalCommand::NextSentence) << QStringList{"ReleaseVoice", "Speak"};
    QTest::newRow("previous sentence")
        << int(GlobalCommand::PreviousSentence) << QStringList{"ReleaseVoice", "Speak"};
}

void TestGlobalKeys::commands() {
    QFETCH(int, command);
    QFETCH(QStringList, calls);
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("一。二。三。"));
    w->BtnAloud->click();
    m_fakes->voice.hear(SpeechBoundary::Sentence, 2);
    m_fakes->voice.clearCalls();
    m_fakes->globalKeys.press(GlobalCommand(command));
    QCOMPARE(this->calls(), calls);
    if (command == int(GlobalCommand::PauseResume)) {
        m_fakes->globalKeys.press(GlobalCommand::PauseResume);
        QCOMPARE(this->calls().last(), QStringLiteral("Resume"));
    }
    if (command == int(GlobalCommand::Stop))
        QCOMPARE(w->RichEdit1->textCursor().position(), 2); // the sentence heard
}

void TestGlobalKeys::readsTheSelectionOfAnyProgram() {
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("编辑器的文字。"));
    QGuiApplication::clipboard()->setText(QStringLiteral("别的程序\n里的文字"));
    if (QGuiApplication::clipboard()->supportsSelection())
        QGuiApplication::clipboard()->setText(QString(), QClipboard::Selection);
    QCoreApplication::processEvents();
    m_fakes->voice.clearCalls(); // what the clipboard reader made of it
    m_fakes->globalKeys.press(GlobalCommand::ReadSelection);
    QCOMPARE(m_fakes->voice.calls().filter(QStringLiteral("Speak:")),
             QStringList{QStringLiteral("Speak:1:别的程序\r\n里的文字")});
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("编辑器的文字。"));
    m_fakes->voice.clearCalls();
    w->NNextSentence->trigger(); // not a reading of the editor: nothing to step in
    QCOMPARE(m_fakes->voice.calls(), QStringList{});
}

void TestGlobalKeys::dialogChangesAndKeepsKeys() {
    m_fakes->globalKeys.takenByOthers = {QKeySequence(QStringLiteral("Ctrl+Alt+O"))};
    TFmain* w = start();
    QCOMPARE(w->NGlobalKeys->text(), QStringLiteral("快捷键设置..."));
    w->NGlobalKeys->trigger();
    auto* dialog = w->findChild<GlobalKeysDialog*>();
    QVERIFY(dialog && dialog->isVisible());
    const auto* taken = dialog->findChild<QLabel*>(QStringLiteral("KeyStopTaken"));
    QVERIFY(taken);
    QCOMPARE(taken->text(), QStringLiteral("已被其他程序占用"));
    QVERIFY(!dialog->findChild<QLabel*>(QStringLiteral("KeyPauseResumeTaken")));

    dialog->editor(GlobalCommand::Stop)->setKeySequence(QKeySequence(QStringLiteral("Meta+F12")));
    dialog->editor(GlobalCommand::ReadSelection)->clear();
    dialog->accept();
    QCOMPARE(m_fakes->globalKeys.keys.at(int(GlobalCommand::Stop)).key,
             QKeySequence(QStringLiteral("Meta+F12")));
    QVERIFY(m_fakes->globalKeys.keys.at(int(GlobalCommand::ReadSelection)).key.isEmpty());
    QFile file(m_fakes->dataDirectory.filePath(QStringLiteral("set.ini")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QVERIFY2(written.contains("KeyStop=Meta+F12") && written.contains("KeyReadSelection=\r\n"),
             written.constData());

    m_window.reset(); // the exit keeps them
    start();
    QCOMPARE(m_fakes->globalKeys.keys.at(int(GlobalCommand::Stop)).key,
             QKeySequence(QStringLiteral("Meta+F12")));
    QVERIFY(m_fakes->globalKeys.keys.at(int(GlobalCommand::ReadSelection)).key.isEmpty());
}

void TestGlobalKeys::releasedAtExit() {
    start();
    QVERIFY(!m_fakes->globalKeys.released);
    m_window.reset();
    QVERIFY(m_fakes->globalKeys.released);
}

void TestGlobalKeys::keysLetGoWhileTheDialogIsOpen_data() {
    QTest::addColumn<bool>("accept");
    QTest::newRow("accepted") << true;
    QTest::newRow("cancelled") << false;
}

// Pressing a key that is in use records it in the dialog instead of giving its command.
void TestGlobalKeys::keysLetGoWhileTheDialogIsOpen() {
    QFETCH(bool, accept);
    TFmain* w = start();
    QVERIFY(!m_fakes->globalKeys.released);
    w->NGlobalKeys->trigger();
    auto* dialog = w->findChild<GlobalKeysDialog*>();
    QVERIFY(dialog);
    QVERIFY(m_fakes->globalKeys.released);
    if (accept)
        dialog->accept();
    else
        dialog->reject();
    QVERIFY(!m_fakes->globalKeys.released);
    QCOMPARE(m_fakes->globalKeys.keys, defaultGlobalKeys());
}

// Giving one command the key of another takes it from the other.
void TestGlobalKeys::aKeyGivesOneCommand() {
    TFmain* w = start();
    w->NGlobalKeys->trigger();
    auto* dialog = w->findChild<GlobalKeysDialog*>();
    QVERIFY(dialog);
    const QKeySequence pause = dialog->editor(GlobalCommand::PauseResume)->keySequence();
    QVERIFY(!pause.isEmpty());
    dialog->editor(GlobalCommand::Stop)->setKeySequence(pause);
    QVERIFY(dialog->editor(GlobalCommand::PauseResume)->keySequence().isEmpty());
    dialog->accept();
    QCOMPARE(m_fakes->globalKeys.keys.at(int(GlobalCommand::Stop)).key, pause);
    QVERIFY(m_fakes->globalKeys.keys.at(int(GlobalCommand::PauseResume)).key.isEmpty());
}

// A dialog destroyed while shown, a key editor recording in it (the window closing), ends the
// recording after the dialog's own parts are gone.
void TestGlobalKeys::dialogClosesWhileAKeyIsRecorded() {
    QWidget parent;
    auto dialog =
        std::make_unique<GlobalKeysDialog>(defaultGlobalKeys(), QList<GlobalCommand>{}, &parent);
    dialog->show();
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    QKeySequenceEdit* stop = dialog->editor(GlobalCommand::Stop);
    stop->setFocus();
    QVERIFY(stop->hasFocus());
    QTest::keyClick(stop, Qt::Key_F9);
    QCOMPARE(stop->keySequence(), QKeySequence(Qt::Key_F9));
    dialog.reset();
    QVERIFY(parent.findChildren<QKeySequenceEdit*>().isEmpty());
}

QTEST_MAIN(TestGlobalKeys)
#include "tst_global_keys.moc"
