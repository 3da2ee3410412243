#include "about/tfabout.h"
#include "app/interface_language.h"
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"
#include "speech/registry_store.h"
#include "speech/voice_tokens.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSystemTrayIcon>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

class TestShell : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void trayIconWithItsMenu();
    void trayMenuHandlers();
    void minimise_data();
    void minimise();
    void restoreKeepsMaximised();
    void restoreOnShownWindowOnlyRaises();
    void exitFromTrayClosesAndSaves();

    void languageName_data();
    void languageName();
    void koreanFromEitherMenu_data();
    void koreanFromEitherMenu();
    void germanOnlyInLanguageFolder();
    void bothFilesAppliedInOrder();
    void untrustedTextsStayPlain();
    void oversizedOrBinaryFiles_data();
    void oversizedOrBinaryFiles();
    void largestLanguageFileApplied();
    void directoryIsNoLanguageFile();

    void registrationOnlyOnVersionFive_data();
    void registrationOnlyOnVersionFive();

private:
    TFmain* start();
    QString programFile(const QString& name) { return m_fakes->bundle().programDirectory + name; }
    void writeFile(const QString& path, const QByteArray& content);

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
};

void TestShell::init() {
    m_fakes = std::make_unique<FakePlatform>();
}

void TestShell::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

TFmain* TestShell::start() {
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    return m_window.get();
}

void TestShell::writeFile(const QString& path, const QByteArray& content) {
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void TestShell::trayIconWithItsMenu() {
    TFmain* w = start();
    QVERIFY(w->TrayIcon1->isVisible());
    QCOMPARE(w->TrayIcon1->toolTip(),
             QStringLiteral("Parlora2008(点击右键弹出菜单，点击左键显示窗口)."));
    QCOMPARE(w->TrayIcon1->contextMenu(), w->PMBar);
    QVERIFY(!w->TrayIcon1->icon().isNull());

    QStringList order;
    for (QAction* item : w->PMBar->actions())
        order << item->objectName() + (item->isVisible() ? QString() : QStringLiteral("(hidden)"));
    QCOMPARE(order, QStringList({"NHideShow",
                                 "N10",
                                 "NNNOpen",
                                 "NNNPaste",
                                 "N12",
                                 "NNNAloud",
                                 "NNNPause",
                                 "NNNStop",
                                 "NNNReadFromCaret",
                                 "NNNPreviousSentence",
                                 "NNNNextSentence",
                                 "NNNPreviousParagraph",
                                 "NNNNextParagraph",
                                 "N13",
                                 "NNNExport",
                                 "NNNExportLineWav",
                                 "NNNExportBook",
                                 "N29",
                                 "NAloudItems",
                                 "NNLanguage(hidden)",
                                 "N14",
                                 "NNHelp",
                                 "NNHomePage",
                                 "NNCheckUpdates(hidden)",
                                 "NNAbout",
                                 "N19",
                                 "NNExit"}));

    // The four key modes are one radio group; the other options are check items of their own.
    w->NNSpeakLetter->setChecked(true);
    w->NNSpeakdigit->setChecked(true);
    QVERIFY(!w->NNSpeakLetter->isChecked());
    QVERIFY(w->NNspeakClipBrd->actionGroup() == nullptr);
}

void TestShell::trayMenuHandlers() {
    const QStringList languages = {"English",
                                   "ChineseSimplified",
                                   "ChineseTraditional",
                                   "Spanish",
                                   "German",
                                   "French",
                                   "Portuguese",
                                   "Japanese",
                                   "Korean",
                                   "Italian",
                                   "Arabic",
                                   "Russian",
                                   "Dutch",
                                   "Greek"};
    for (const QString& language : languages)
        writeFile(programFile(language + QStringLiteral(".ini")),
                  "[Language]\nFmain.Caption=" + language.toUtf8() + '\n');
    TFmain* w = start();
    QCOMPARE(w->languageItems.size(), 28);
    for (int i = 0; i < w->languageItems.size(); ++i) {
        w->languageItems[i]->trigger();
        QCOMPARE(w->windowTitle(), languages[i % 14]);
    }
    w->NNHelp->trigger();
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    w->NNHomePage->trigger();
    QCOMPARE(m_fakes->shell.opened.size(), 1);
}

void TestShell::minimise_data() {
    QTest::addColumn<bool>("trayPresent");
    QTest::newRow("with a notification area") << true;
    QTest::newRow("without one") << false;
}

void TestShell::minimise() {
    QFETCH(bool, trayPresent);
    m_fakes->notificationArea.present = trayPresent;
    TFmain* w = start();
    w->show();
    w->setWindowState(Qt::WindowMinimized);
    if (trayPresent) {
        QTRY_VERIFY(w->isHidden());
        QVERIFY(w->TrayIcon1->isVisible());
        QVERIFY(!w->isMinimized()); // left the screen, not minimised
    } else {
        QTest::qWait(20);
        QVERIFY(w->isVisible());
        QVERIFY(w->isMinimized());
    }
}

void TestShell::restoreKeepsMaximised() {
    TFmain* w = start();
    w->showMaximized();
    w->setWindowState(w->windowState() | Qt::WindowMinimized);
    QTRY_VERIFY(w->isHidden());
    // Only a click restores; a right click opens the menu, a double click follows a click.
    emit w->TrayIcon1->activated(QSystemTrayIcon::Context);
    emit w->TrayIcon1->activated(QSystemTrayIcon::DoubleClick);
    QVERIFY(w->isHidden());
    emit w->TrayIcon1->activated(QSystemTrayIcon::Trigger);
    QVERIFY(w->isVisible());
    QVERIFY(w->isMaximized());
    QVERIFY(!w->isMinimized());

    w->setWindowState(w->windowState() | Qt::WindowMinimized);
    QTRY_VERIFY(w->isHidden());
    w->NHideShow->trigger();
    QVERIFY(w->isVisible() && w->isMaximized());
}

void TestShell::restoreOnShownWindowOnlyRaises() {
    TFmain* w = start();
    w->show();
    const QRect before = w->geometry();
    w->NHideShow->trigger();
    QVERIFY(w->isVisible());
    QCOMPARE(w->windowState(), Qt::WindowNoState);
    QCOMPARE(w->geometry(), before);
}

void TestShell::exitFromTrayClosesAndSaves() {
    TFmain* w = start();
    w->show();
    w->setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(w->isHidden());
    m_fakes->voice.clearCalls();
    w->NNExit->trigger();
    QVERIFY(m_fakes->voice.calls().contains(QStringLiteral("ReleaseVoice")));
    const QString settings = m_fakes->dataDirectory.filePath(QStringLiteral("set.ini"));
    QVERIFY(!QFile::exists(settings));
    m_window.reset();
    QVERIFY(QFile::exists(settings));
}

void TestShell::languageName_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "English(English)"
                           << "English";
    QTest::newRow("question marks") << "??\?(Korean)"
                                    << "Korean";
    QTest::newRow("first brackets") << "a(Greek)(x)"
                                    << "Greek";
    QTest::newRow("close before open") << "a)b(c)"
                                       << "";
    QTest::newRow("no brackets") << "English"
                                 << "";
    QTest::newRow("a path") << "x(../../etc/passwd)"
                            << "";
    QTest::newRow("a hidden name") << "x(.profile)"
                                   << "";
}

void TestShell::languageName() {
    QFETCH(QString, caption);
    QFETCH(QString, name);
    QCOMPARE(::languageName(caption), name);
}

void TestShell::koreanFromEitherMenu_data() {
    QTest::addColumn<QString>("item");
    QTest::newRow("main menu") << "NKorean";
    QTest::newRow("tray menu") << "NNKorean";
}

void TestShell::koreanFromEitherMenu() {
    QFETCH(QString, item);
    writeFile(programFile(QStringLiteral("Korean.ini")),
              QStringLiteral("[Language]\r\nFmain.NFile.Caption=파일(&F)\r\n").toUtf8());
    TFmain* w = start();
    auto* action = w->findChild<QAction*>(item);
    QVERIFY(action);
    action->trigger();
    QCOMPARE(w->NFile->title(), QStringLiteral("파일(&F)"));
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestShell::germanOnlyInLanguageFolder() {
    TFmain* w = start();
    const QFont editorFont = w->RichEdit1->font();
    w->findChild<QAction*>(QStringLiteral("NGerman"))->trigger(); // no file yet: nothing changes
    QCOMPARE(w->font().family(), QApplication::font().family());

    writeFile(programFile(QStringLiteral("Language/German.ini")),
              "[language]\nFMAIN.NFILE.CAPTION=Datei(&F)\nFmain.NEdit.Caption=\n");
    w->findChild<QAction*>(QStringLiteral("NNGerman"))->trigger();
    QCOMPARE(w->NFile->title(), QStringLiteral("Datei(&F)"));
    QCOMPARE(w->NEdit->title(), QStringLiteral("编辑(&E)")); // empty value: unchanged
    QCOMPARE(w->NOpen->text(), QStringLiteral("打开(&O)"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Parlora2008"));
    QCOMPARE(w->font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(w->font().pointSize(), 9);
    QCOMPARE(w->BtnAloud->font().pointSize(), 9);
    QCOMPARE(w->RichEdit1->font(), editorFont);
    QCOMPARE(w->FAbout->font().pointSize(), 9);
}

void TestShell::bothFilesAppliedInOrder() {
    writeFile(programFile(QStringLiteral("English.ini")),
              "[Language]\nFmain.Caption=First\nFmain.NEdit.Caption=Edit\n"
              "FAbout.BtnClose.Caption=Close\nFmain.TrayIcon1.Hint=Tray\n");
    writeFile(programFile(QStringLiteral("Language/English.ini")),
              "[Language]\nFmain.Caption=Second\nFAbout.Caption=About\n");
    TFmain* w = start();
    w->findChild<QAction*>(QStringLiteral("NEnglish"))->trigger();
    QCOMPARE(w->windowTitle(), QStringLiteral("Second"));
    QCOMPARE(w->NEdit->title(), QStringLiteral("Edit"));
    QCOMPARE(w->FAbout->windowTitle(), QStringLiteral("About"));
    QCOMPARE(w->FAbout->BtnClose->text(), QStringLiteral("Close"));
    QCOMPARE(w->TrayIcon1->toolTip(), QStringLiteral("Tray"));
}

void TestShell::untrustedTextsStayPlain() {
    writeFile(
        programFile(QStringLiteral("Dutch.ini")),
        "[Language]\nFmain.NoSuchThing.Caption=x\nFmain.TntLabel1.Caption=<img src=\"/etc/x\">\n"
        "Fmain.BtnAloud.Hint=<b>Lees</b>\nFmain.NAloud.Hint=Lees\nFmain.RichEdit1.Text=gone\n"
        "Fmain.CUrl.Text=adres\n");
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("document"));
    w->findChild<QAction*>(QStringLiteral("NDutch"))->trigger();
    QCOMPARE(w->TntLabel1->textFormat(), Qt::PlainText);
    QCOMPARE(w->TntLabel1->text(), QStringLiteral("<img src=\"/etc/x\">"));
    QVERIFY(w->BtnAloud->toolTip().contains(QStringLiteral("&lt;b&gt;Lees&lt;/b&gt;")));
    QCOMPARE(w->NAloud->toolTip(), QStringLiteral("Lees"));
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("document"));
    QCOMPARE(w->CUrl->currentText(), QStringLiteral("adres"));
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestShell::oversizedOrBinaryFiles_data() {
    QTest::addColumn<QByteArray>("content");
    QByteArray huge = "[Language]\n";
    while (huge.size() < 8 * 1024 * 1024)
        huge += "Fmain.NFile.Caption=Huge\n";
    QTest::newRow("huge") << huge;
    QByteArray binary(100 * 1024, '\0');
    for (char& byte : binary)
        byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
    QTest::newRow("binary") << binary;
    QTest::newRow("utf-16 without a section") << QByteArray("\xff\xfe\x00\xd8", 4);
}

void TestShell::oversizedOrBinaryFiles() {
    QFETCH(QByteArray, content);
    writeFile(programFile(QStringLiteral("Arabic.ini")), content);
    TFmain* w = start();
    w->findChild<QAction*>(QStringLiteral("NArabic"))->trigger();
    QCOMPARE(w->NFile->title(), QStringLiteral("文件(&F)"));
    QCOMPARE(w->font().family(), QStringLiteral("Tahoma"));
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

// A file at the size limit, all of it lines no component asks for, is still read through.
void TestShell::largestLanguageFileApplied() {
    QByteArray content = "[Language]\n";
    while (content.size() < 127 * 1024)
        content += "Fmain.Nothing.Caption=x\n";
    content += "Fmain.NFile.Caption=Last\n";
    writeFile(programFile(QStringLiteral("Italian.ini")), content);
    TFmain* w = start();
    w->findChild<QAction*>(QStringLiteral("NItalian"))->trigger();
    QCOMPARE(w->NFile->title(), QStringLiteral("Last"));
}

void TestShell::directoryIsNoLanguageFile() {
    QVERIFY(QDir().mkpath(programFile(QStringLiteral("Dutch.ini"))));
    QVERIFY(languageFiles(m_fakes->bundle().programDirectory, QStringLiteral("Dutch")).isEmpty());
}

void TestShell::registrationOnlyOnVersionFive_data() {
    QTest::addColumn<int>("version");
    QTest::newRow("5") << 5;
    QTest::newRow("4") << 4;
    QTest::newRow("6") << 6;
    QTest::newRow("this desktop") << 0;
}

void TestShell::registrationOnlyOnVersionFive() {
    QFETCH(int, version);
    m_fakes->systemInfo.major = version;
    const QString file = m_fakes->dataDirectory.filePath(QStringLiteral("voice-tokens.json"));
    start();
    if (version != 5) {
        m_window.reset();
        QVERIFY(!QFile::exists(file));
        return;
    }
    const QString tokens = VoiceTokensKey + u'\\';
    RegistryStore registered = RegistryStore::load(file);
    QVERIFY(registered.exists(tokens + QStringLiteral("MSMary\\LTS\\PhoneConverter")));
    QVERIFY(registered.exists(tokens + QStringLiteral("MSMike\\Attributes")));
    const QString program = m_fakes->bundle().programDirectory;
    bool voiceData = false;
    for (const auto& key : registered.keys()) {
        for (const auto& value : key.values)
            voiceData |= value.name == QStringLiteral("VoiceData") &&
                         value.data == program + QStringLiteral("TTS/mary.spd");
    }
    QVERIFY(voiceData);

    m_window.reset();
    RegistryStore removed = RegistryStore::load(file);
    QVERIFY(removed.exists(VoiceTokensKey));
    QVERIFY(!removed.exists(tokens + QStringLiteral("MSMary")));
    QVERIFY(!removed.exists(tokens + QStringLiteral("MSMike")));
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
