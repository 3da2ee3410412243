// The export commands on the window, with a recording voice and file stream.
#include "app/tfmain.h"
#include "echo/keystroke.h"
#include "platform/fakes/fake_platform.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QSlider>
#include <QTextEdit>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

class TestExportCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void exportsSelectionOrWholeText_data();
    void exportsSelectionOrWholeText();
    void writesTheLowerCasedNameAndReplaces();
    void cancelledDialogTouchesNothing();
    void emptyEditorWritesNothing();
    void voiceFailureStopsSilently();
    void unwritableFolderReportsAndLeavesNothing();
    void failedCloseLeavesNoPartialFile();
    void cancelRemovesTheFile();
    void eachLineToItsFile();
    void emptyEditorStillOpensTheFolder();
    void itemsRunTheCommands();
    void fileTypeDecidesTheFormat_data();
    void fileTypeDecidesTheFormat();
    void closingDuringAnExportEndsItCleanly();
    void commandsWaitWhileAnExportRuns();
    void keysAndCopiesAreSilentDuringAnExport();
    void windowLeavesTheExportsVoiceAlone_data();
    void windowLeavesTheExportsVoiceAlone();

private:
    void start(const QString& text);
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList speakCalls() const;
    // The export runs in the background; its progress dialog lives as long as it does.
    void waitForJob() const;

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
    QTemporaryDir m_dir;
};

void TestExportCommands::init() {
    QVERIFY(m_dir.isValid());
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
    m_fakes = std::make_unique<FakePlatform>();
    m_fakes->voice.voices = {{QStringLiteral("gmw/en"), QStringLiteral("English")}};
}

void TestExportCommands::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

void TestExportCommands::start(const QString& text) {
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    m_window->RichEdit1->setPlainText(text);
    m_window->TBRate->setValue(3);
    m_window->TBVolume->setValue(40);
    m_fakes->voice.clearCalls();
}

void TestExportCommands::waitForJob() const {
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->findChild<QDialog*>(QStringLiteral("JobProgress")), 20000);
}

QStringList TestExportCommands::speakCalls() const {
    return m_fakes->voice.calls().filter(QStringLiteral("Speak:"));
}

void TestExportCommands::exportsSelectionOrWholeText_data() {
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionEnd");
    QTest::addColumn<QStringList>("spoken");
    QTest::newRow("whole text") << 0 << 0 << QStringList{"Speak:1:first\r\nsecond"};
    QTest::newRow("selection only") << 6 << 12 << QStringList{"Speak:1:second"};
}

void TestExportCommands::exportsSelectionOrWholeText() {
    QFETCH(int, selectionStart);
    QFETCH(int, selectionEnd);
    QFETCH(QStringList, spoken);
    start(QStringLiteral("first\nsecond"));
    QTextCursor cursor = m_window->RichEdit1->textCursor();
    cursor.setPosition(selectionStart);
    cursor.setPosition(selectionEnd, QTextCursor::KeepAnchor);
    m_window->RichEdit1->setTextCursor(cursor);
    m_fakes->dialogs.saveAnswers = {{path(QStringLiteral("out.wav")), QStringLiteral("")}};

    m_window->NExportClick();
    waitForJob();

    QCOMPARE(m_fakes->dialogs.fileQuestions, QStringList{"save:wav:" + exportFilters()});
    QCOMPARE(speakCalls(), spoken);
    const QStringList expected{"ReleaseVoice", "Voice:gmw/en",         "Rate:3",
                               "Volume:40",    "AllowFormatChanges:0", "OutputStream",
                               spoken.first(), "WaitUntilDone",        "OutputDevice"};
    QCOMPARE(m_fakes->voice.calls(), expected);
    QCOMPARE(m_fakes->fileStream.calls(), (QStringList{"Format:18", "Open:3", "Close"}));
    QVERIFY(QFile::exists(path(QStringLiteral("out.wav"))));
}

void TestExportCommands::writesTheLowerCasedNameAndReplaces() {
    QDir(m_dir.path()).mkdir(QStringLiteral("Sub"));
    QFile old(path(QStringLiteral("Sub/talk.mp3")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old content that is longer");
    old.close();
    start(QStringLiteral("hello"));
    m_fakes->fileStream.content = "new";
    m_fakes->dialogs.saveAnswers = {{path(QStringLiteral("Sub/Talk.MP3")), QString()}};

    m_window->NExportClick();
    waitForJob();

    QFile written(path(QStringLiteral("Sub/talk.mp3")));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("new"));
    QCOMPARE(QDir(path(QStringLiteral("Sub"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{"talk.mp3"});
}

void TestExportCommands::cancelledDialogTouchesNothing() {
    start(QStringLiteral("hello"));
    m_window->NExportClick();
    waitForJob();
    m_window->NExportLineWavClick();
    waitForJob();
    QCOMPARE(m_fakes->dialogs.fileQuestions,
             (QStringList{"save:wav:" + exportFilters(), "directory:请选择WAV文件保存目录:"}));
    QVERIFY(m_fakes->voice.calls().isEmpty());
    QVERIFY(m_fakes->shell.opened.isEmpty());
}

void TestExportCommands::emptyEditorWritesNothing() {
    start(QString());
    m_fakes->dialogs.saveAnswers = {{path(QStringLiteral("out.wav")), QString()}};
    m_window->NExportClick();
    waitForJob();
    QVERIFY(m_fakes->voice.calls().contains(QStringLiteral("ReleaseVoice")));
    QVERIFY(speakCalls().isEmpty());
    QVERIFY(m_fakes->fileStream.calls().isEmpty());
    QVERIFY(QDir(m_dir.path()).isEmpty(QDir::Files | QDir::Hidden));
}

void TestExportCommands::voiceFailureStopsSilently() {
    start(QStringLiteral("hello"));
    m_fakes->voice.setFailing({QStringLiteral("Voice")});
    m_fakes->dialogs.saveAnswers = {{path(QStringLiteral("out.wav")), QString()}};
    m_fakes->dialogs.directoryAnswers = {m_dir.path()};
    m_window->NExportClick();
    waitForJob();
    m_window->NExportLineWavClick();
    waitForJob();
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    QVERIFY(m_fakes->fileStream.calls().isEmpty());
    QVERIFY(m_fakes->shell.opened.isEmpty());
    QVERIFY(QDir(m_dir.path()).isEmpty(QDir::Files | QDir::Hidden));
}

void TestExportCommands::unwritableFolderReportsAndLeavesNothing() {
    start(QStringLiteral("hello"));
    const QString missing = path(QStringLiteral("missing/out.wav"));
    m_fakes->dialogs.saveAnswers = {{missing, QString()}};
    m_window->BtnExport->click();
    waitForJob();
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QVERIFY(m_fakes->dialogs.messages.first().text.contains(missing));
    QVERIFY(speakCalls().isEmpty());
    QCOMPARE(m_fakes->voice.calls().last(), QStringLiteral("OutputDevice"));
}

void TestExportCommands::failedCloseLeavesNoPartialFile() {
    start(QStringLiteral("hello"));
    m_fakes->fileStream.setFailing({QStringLiteral("Close")});
    m_fakes->dialogs.saveAnswers = {{path(QStringLiteral("out.wav")), QString()}};
    m_window->BtnExport->click();
    waitForJob();
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QVERIFY(QDir(m_dir.path()).isEmpty(QDir::Files | QDir::Hidden));
    QCOMPARE(m_fakes->voice.calls().last(), QStringLiteral("OutputDevice"));
}

// The engine, without the window: a cancel ends the export and removes the file being written.
void TestExportCommands::cancelRemovesTheFile() {
    FakeVoice voice;
    FakeFileStream stream;
    AudioExport exporter(voice, stream);
    int reports = 0;
    const bool finished =
        exporter.exportText(path(QStringLiteral("out.wav")), QStringLiteral("a\n").repeated(3000),
                            18, [&](qint64, qint64) { return ++reports < 2; });
    QVERIFY(!finished);
    QCOMPARE(reports, 2);
    QCOMPARE(voice.calls().filter(QStringLiteral("Speak:")).size(), 2);
    QVERIFY(voice.calls().contains(QStringLiteral("ReleaseVoice")));
    QCOMPARE(voice.calls().last(), QStringLiteral("OutputDevice"));
    QVERIFY(stream.calls().contains(QStringLiteral("Close")));
    QVERIFY(QDir(m_dir.path()).isEmpty(QDir::Files | QDir::Hidden));

    QStringList lines{"a", "b", "c"};
    reports = 0;
    QVERIFY(
        !exporter.exportLines(m_dir.path(), lines, [&](qint64 done, qint64) { return done < 1; }));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"0.a.wav"});
}

void TestExportCommands::eachLineToItsFile() {
    start(QStringLiteral("a\n\nb\n  \nb\nx:y\n"));
    QFile old(path(QStringLiteral("2.b.wav")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    m_fakes->dialogs.directoryAnswers = {m_dir.path()};

    m_window->NExportLineWavClick();
    waitForJob();

    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{"0.a.wav", "2.b.wav", "3..wav", "4.b.wav", "5.x y.wav"}));
    QFile replaced(path(QStringLiteral("2.b.wav")));
    QVERIFY(replaced.open(QIODevice::ReadOnly));
    QCOMPARE(replaced.readAll(), m_fakes->fileStream.content);
    QCOMPARE(speakCalls(), (QStringList{"Speak:1:a", "Speak:1:b", "Speak:1:b", "Speak:1:x:y"}));
    QCOMPARE(m_fakes->voice.calls().count(QStringLiteral("Rate:3")), 1);
    QCOMPARE(m_fakes->voice.calls().last(), QStringLiteral("OutputDevice"));
    QCOMPARE(m_fakes->shell.opened, QStringList{QUrl::fromLocalFile(m_dir.path()).toString()});
}

void TestExportCommands::emptyEditorStillOpensTheFolder() {
    start(QString());
    m_fakes->dialogs.directoryAnswers = {m_dir.path()};
    m_window->NExportLineWavClick();
    waitForJob();
    QCOMPARE(m_fakes->voice.calls(), QStringList{"OutputDevice"});
    QCOMPARE(m_fakes->shell.opened.size(), 1);
    QVERIFY(QDir(m_dir.path()).isEmpty(QDir::Files | QDir::Hidden));
}

void TestExportCommands::itemsRunTheCommands() {
    start(QStringLiteral("hello"));
    for (QAction* item : {m_window->NExport, m_window->NNNExport})
        item->trigger();
    m_window->BtnExport->click();
    waitForJob();
    for (QAction* item : {m_window->NExportLineWav, m_window->NNNExportLineWav})
        item->trigger();
    QCOMPARE(m_fakes->dialogs.fileQuestions.filter(QStringLiteral("save:")).size(), 3);
    QCOMPARE(m_fakes->dialogs.fileQuestions.filter(QStringLiteral("directory:")).size(), 2);
}

void TestExportCommands::fileTypeDecidesTheFormat_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("format");
    QTest::newRow("wav type, other name") << "/a/B/Talk.MP3" << 0 << "/a/B/talk.mp3" << 18;
    QTest::newRow("mp3 after default suffix") << "/a/talk.wav" << 1 << "/a/talk.mp3" << 1001;
    QTest::newRow("ogg") << "/a/T.ogg" << 2 << "/a/t.ogg" << 1002;
    QTest::newRow("opus, other name kept") << "/a/t.snd" << 3 << "/a/t.snd" << 1003;
    QTest::newRow("flac") << "/a/t.wav" << 4 << "/a/t.flac" << 1004;
    QTest::newRow("unknown filter") << "/a/t" << -1 << "/a/t" << 18;
}

void TestExportCommands::fileTypeDecidesTheFormat() {
    QFETCH(QString, chosen);
    QFETCH(int, type);
    QFETCH(QString, path);
    QFETCH(int, format);
    const QString filter = type < 0 ? QString() : exportFileTypes().at(type).filter;
    const ExportTarget target = exportTarget(chosen, filter);
    QCOMPARE(target.path, path);
    QCOMPARE(target.format, format);

    start(QStringLiteral("hello"));
    m_fakes->dialogs.saveAnswers = {{m_dir.filePath(QStringLiteral("x.wav")), filter}};
    m_window->NExportClick();
    waitForJob();
    QCOMPARE(m_fakes->fileStream.calls().first(), QStringLiteral("Format:%1").arg(format));
}

// Closing the window (the title bar, the tray, a log-out) while an export runs stops it: no
// file, no hidden part, the voice back on the device, and the settings written.
void TestExportCommands::closingDuringAnExportEndsItCleanly() {
    start(QStringLiteral("a long text"));
    m_fakes->voice.busy = true;
    m_fakes->dialogs.saveAnswers = {{path(QStringLiteral("out.wav")), QString()}};
    m_window->NExportClick();
    QTRY_VERIFY(m_fakes->voice.calls().contains(QStringLiteral("Speak:1:a long text")));

    QVERIFY(m_window->close());
    m_window.reset();

    QVERIFY(QDir(m_dir.path()).isEmpty(QDir::Files | QDir::Hidden));
    QVERIFY(m_fakes->fileStream.calls().contains(QStringLiteral("Close")));
    QVERIFY(QFile::exists(m_fakes->dataDirectory.filePath(QStringLiteral("set.ini"))));
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

// A second export, a reading or an open while one export runs only says so in its dialog.
void TestExportCommands::commandsWaitWhileAnExportRuns() {
    start(QStringLiteral("hello"));
    m_fakes->voice.busy = true;
    m_fakes->dialogs.saveAnswers = {{path(QStringLiteral("out.wav")), QString()},
                                    {path(QStringLiteral("second.wav")), QString()}};
    m_window->NExportClick();
    QTRY_VERIFY(m_fakes->voice.calls().contains(QStringLiteral("Speak:1:hello")));
    const qsizetype callsBefore = m_fakes->voice.calls().size();

    m_window->NExportClick();
    m_window->NExportLineWavClick();
    m_window->BtnAloudClick();
    m_window->BtnStopClick();
    m_window->BtnOpenClick();

    auto* dialog = m_window->findChild<QDialog*>(QStringLiteral("JobProgress"));
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->findChild<QLabel*>()->text() == QStringLiteral("正在导出，请稍候"));
    QCOMPARE(m_fakes->dialogs.fileQuestions.size(), 1);
    QCOMPARE(m_fakes->voice.calls().size(), callsBefore);

    m_fakes->voice.busy = false;
    waitForJob();
    QVERIFY(QFile::exists(path(QStringLiteral("out.wav"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("second.wav"))));
}

enum class VoiceRoad { Voice, Rate, Volume, DefaultRate, DefaultVolume, WordDoubleClick };

void TestExportCommands::windowLeavesTheExportsVoiceAlone_data() {
    QTest::addColumn<VoiceRoad>("road");
    QTest::newRow("voice list") << VoiceRoad::Voice;
    QTest::newRow("rate") << VoiceRoad::Rate;
    QTest::newRow("volume") << VoiceRoad::Volume;
    QTest::newRow("default rate") << VoiceRoad::DefaultRate;
    QTest::newRow("default volume") << VoiceRoad::DefaultVolume;
    QTest::newRow("double-click on a word of the reading") << VoiceRoad::WordDoubleClick;
}

// The export speaks through the window's voice on its own thread: a change of voice, rate or
// volume, or going on from a word, would cut its file short or race with it.
void TestExportCommands::windowLeavesTheExportsVoiceAlone() {
    QFETCH(VoiceRoad, road);
    m_fakes->voice.voices << VoiceToken{QStringLiteral("gmw/de"), QStringLiteral("German")};
    start(QStringLiteral("first words and second words"));
    m_fakes->voice.busy = true;
    m_window->BtnAloudClick(); // a reading that the double-click would go on with
    m_fakes->dialogs.saveAnswers = {{path(QStringLiteral("out.wav")), QString()}};
    m_window->NExportClick();
    QTRY_VERIFY(speakCalls().size() == 2);
    const QStringList callsBefore = m_fakes->voice.calls();

    for (QWidget* control :
         std::initializer_list<QWidget*>{m_window->cbVoices, m_window->TBRate, m_window->TBVolume})
        QVERIFY(!control->isEnabled());
    switch (road) {
    case VoiceRoad::Voice:
        m_window->cbVoices->setCurrentIndex(1);
        break;
    case VoiceRoad::Rate:
        m_window->TBRate->setValue(7);
        break;
    case VoiceRoad::Volume:
        m_window->TBVolume->setValue(10);
        break;
    case VoiceRoad::DefaultRate:
        m_window->NDefaultRate->trigger();
        break;
    case VoiceRoad::DefaultVolume:
        m_window->NDefaultvolume->trigger();
        break;
    case VoiceRoad::WordDoubleClick: {
        QTextCursor cursor(m_window->RichEdit1->document());
        cursor.setPosition(22);
        const QPoint at = m_window->RichEdit1->cursorRect(cursor).center();
        QTest::mouseDClick(m_window->RichEdit1->viewport(), Qt::LeftButton, {}, at);
        break;
    }
    }
    QTest::qWait(50); // the double-click is handled from the event loop
    QCOMPARE(m_fakes->voice.calls(), callsBefore);

    m_fakes->voice.busy = false;
    waitForJob();
    QVERIFY(QFile::exists(path(QStringLiteral("out.wav"))));
    QVERIFY(m_window->TBRate->isEnabled());
    QVERIFY(m_window->NDefaultRate->isEnabled());
}

// Key echo and the clipboard reader neither speak nor show while the export has the voice.
void TestExportCommands::keysAndCopiesAreSilentDuringAnExport() {
    start(QStringLiteral("hello"));
    m_window->CBShowKeyWord->setChecked(true);
    m_window->CBShowClipBrdText->setChecked(true);
    m_fakes->voice.busy = true;
    m_fakes->dialogs.saveAnswers = {{path(QStringLiteral("out.wav")), QString()}};
    m_window->NExportClick();
    QTRY_VERIFY(m_fakes->voice.calls().contains(QStringLiteral("Speak:1:hello")));

    m_fakes->keyHook.send(keystroke::make(0x1e, false, true, true)); // A let go
    QGuiApplication::clipboard()->setText(QStringLiteral("copied"));
    QCoreApplication::processEvents();

    m_fakes->voice.busy = false;
    waitForJob();
    QCOMPARE(speakCalls(), QStringList{"Speak:1:hello"});
    QCOMPARE(m_window->RichEdit1->toPlainText(), QStringLiteral("hello"));
}

QTEST_MAIN(TestExportCommands)
#include "tst_export_commands.moc"
