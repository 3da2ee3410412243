// The pronunciation dictionary on the window: every road that speaks the editor's or another
// program's text says it as the dictionary says, the highlight still marks the written words,
// and 发音词典 edits the file.
#include "app/tfmain.h"
#include "echo/keystroke.h"
#include "platform/fakes/fake_platform.h"
#include "speech/pronunciation_dialog.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

class TestPronunciationWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void roads_data();
    void roads();
    void exports_data();
    void exports();
    void highlightMarksTheWrittenWords_data();
    void highlightMarksTheWrittenWords();
    void dialogEditsAndSavesTheRules();
    void listenSpeaksTheSpokenSideWithTheChosenVoice();
    void failedSaveKeepsTheEdits();

private:
    TFmain* start(const QByteArray& settings = {});
    PronunciationDialog* openDialog();
    QStringList speakCalls() const;
    QString dictionaryFile() const;
    void waitForJob() const;

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
};

namespace {

const QByteArray Rules = "# how the voice says them\nXYZ=hello world\nA=apple\n行长=航掌\n";

void setClipboard(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    if (QGuiApplication::clipboard()->supportsSelection())
        QGuiApplication::clipboard()->setText(QString(), QClipboard::Selection);
    QCoreApplication::processEvents();
}

} // namespace

void TestPronunciationWindow::init() {
    m_fakes = std::make_unique<FakePlatform>();
    m_fakes->voice.voices = {{QStringLiteral("sit/cmn"), QStringLiteral("Chinese")},
                             {QStringLiteral("gmw/en"), QStringLiteral("English")}};
    m_fakes->dataDirectory.writeFile(QStringLiteral("pronunciation.txt"), Rules);
}

void TestPronunciationWindow::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

TFmain* TestPronunciationWindow::start(const QByteArray& settings) {
    if (!settings.isEmpty())
        m_fakes->dataDirectory.writeFile(QStringLiteral("set.ini"), settings);
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    m_fakes->voice.clearCalls();
    return m_window.get();
}

PronunciationDialog* TestPronunciationWindow::openDialog() {
    m_window->NPronunciation->trigger();
    return m_window->findChild<PronunciationDialog*>(QStringLiteral("PronunciationDialog"));
}

QStringList TestPronunciationWindow::speakCalls() const {
    return m_fakes->voice.calls().filter(QStringLiteral("Speak:"));
}

QString TestPronunciationWindow::dictionaryFile() const {
    return m_fakes->dataDirectory.path() + QStringLiteral("pronunciation.txt");
}

void TestPronunciationWindow::waitForJob() const {
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->findChild<QDialog*>(QStringLiteral("JobProgress")), 20000);
}

void TestPronunciationWindow::roads_data() {
    QTest::addColumn<QString>("road");
    QTest::addColumn<QString>("spoken"); // what the voice is given
    QTest::newRow("read aloud") << "aloud"
                                << "Call hello world now.\r\n银行航掌说。";
    QTest::newRow("read from the caret") << "caret"
                                         << "Call hello world now.\r\n银行航掌说。";
    QTest::newRow("a selection") << "selection"
                                 << "hello world";
    QTest::newRow("the clipboard reader") << "clipboard"
                                          << "copied hello world";
    QTest::newRow("another program's selection") << "anywhere"
                                                 << "copied hello world";
    QTest::newRow("key echo says the key's name") << "key"
                                                  << "A";
}

void TestPronunciationWindow::roads() {
    QFETCH(QString, road);
    QFETCH(QString, spoken);
    setClipboard(QString());
    TFmain* w = start(road == u"clipboard" ? "[set]\nSpeakClipBrd=Yes\n"
                      : road == u"key"     ? "[set]\nSpeakkey=All\n"
                                           : "");
    w->RichEdit1->setPlainText(QStringLiteral("Call XYZ now.\n银行行长说。"));
    if (road == u"aloud") {
        w->NAloud->trigger();
    } else if (road == u"caret") {
        w->NReadFromCaret->trigger();
    } else if (road == u"selection") {
        QTextCursor cursor(w->RichEdit1->document());
        cursor.setPosition(5);
        cursor.setPosition(8, QTextCursor::KeepAnchor);
        w->RichEdit1->setTextCursor(cursor);
        w->BtnAloud->click();
    } else if (road == u"clipboard") {
        setClipboard(QStringLiteral("copied XYZ"));
    } else if (road == u"anywhere") {
        setClipboard(QStringLiteral("copied XYZ"));
        m_fakes->voice.clearCalls(); // what the clipboard reader made of it
        m_fakes->globalKeys.press(GlobalCommand::ReadSelection);
    } else {
        m_fakes->keyHook.send(keystroke::make(0x1e, false, false, false));
        m_fakes->keyHook.send(keystroke::make(0x1e, false, true, true));
    }
    QTRY_COMPARE(speakCalls(), QStringList{QStringLiteral("Speak:1:") + spoken});
}

void TestPronunciationWindow::exports_data() {
    QTest::addColumn<bool>("eachLine");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("one file") << false << QStringList{"out.wav"};
    // Each file is named after its line as written.
    QTest::newRow("each line") << true << QStringList{"0.Call XYZ now..wav", "1.银行行长说。.wav"};
}

void TestPronunciationWindow::exports() {
    QFETCH(bool, eachLine);
    QFETCH(QStringList, files);
    QTemporaryDir folder;
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("Call XYZ now.\n银行行长说。"));
    if (eachLine) {
        m_fakes->dialogs.directoryAnswers = {folder.path()};
        w->NExportLineWav->trigger();
    } else {
        m_fakes->dialogs.saveAnswers = {{folder.filePath(QStringLiteral("out.wav")), QString()}};
        w->NExport->trigger();
    }
    waitForJob();
    const QStringList spoken =
        eachLine ? QStringList{"Speak:1:Call hello world now.", "Speak:1:银行航掌说。"}
                 : QStringList{"Speak:1:Call hello world now.\r\n银行航掌说。"};
    QCOMPARE(speakCalls(), spoken);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files, QDir::Name), files);
}

void TestPronunciationWindow::highlightMarksTheWrittenWords_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("heard"); // a word of the spoken text
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<QString>("word");
    QTest::newRow("first word of a substitution") << "Call XYZ now. Next one."
                                                  << "hello"
                                                  << "Call XYZ now."
                                                  << "XYZ";
    QTest::newRow("second word of a substitution") << "Call XYZ now. Next one."
                                                   << "world"
                                                   << "Call XYZ now."
                                                   << "XYZ";
    QTest::newRow("after a substitution") << "Call XYZ now. Next one."
                                          << "now"
                                          << "Call XYZ now."
                                          << "now";
    QTest::newRow("next sentence") << "Call XYZ now. Next one."
                                   << "Next"
                                   << "Next one."
                                   << "Next";
    QTest::newRow("Chinese") << "银行行长说。好的。"
                             << "掌"
                             << "银行行长说。"
                             << "行长";
    QTest::newRow("after a line break") << "XYZ\nA is here."
                                        << "is"
                                        << "A is here."
                                        << "is";
}

void TestPronunciationWindow::highlightMarksTheWrittenWords() {
    QFETCH(QString, text);
    QFETCH(QString, heard);
    QFETCH(QString, sentence);
    QFETCH(QString, word);
    TFmain* w = start();
    w->RichEdit1->setPlainText(text);
    w->BtnAloud->click();
    const QString spoken = speakCalls().value(0).section(u':', 2);
    const int at = int(spoken.indexOf(heard));
    QVERIFY2(at >= 0, qPrintable(spoken));
    m_fakes->voice.hear(SpeechBoundary::Word, at, int(heard.size()));
    QStringList marked;
    for (const QTextEdit::ExtraSelection& selection : w->RichEdit1->extraSelections())
        marked << selection.cursor.selectedText();
    QCOMPARE(marked, (QStringList{sentence, word}));
    // A stop leaves the caret at the written sentence heard.
    w->BtnStop->click();
    QCOMPARE(w->RichEdit1->textCursor().position(), int(text.indexOf(sentence)));
}

void TestPronunciationWindow::dialogEditsAndSavesTheRules() {
    m_fakes->dataDirectory.writeFile(QStringLiteral("pronunciation.txt"),
                                     "# names\nXYZ=hello world\nre:(bad=x\n# end\n");
    TFmain* w = start();
    const QList<QAction*> items = w->NSpeakI->actions();
    QCOMPARE(items.indexOf(w->NPronunciation), items.indexOf(w->NGlobalKeys) + 1);
    QCOMPARE(w->NPronunciation->text(), QStringLiteral("发音词典(&D)..."));

    PronunciationDialog* dialog = openDialog();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("Rules"));
    auto* problems = dialog->findChild<QLabel*>(QStringLiteral("Problems"));
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("XYZ"));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("hello world"));
    // The broken pattern is red, with its reason.
    QVERIFY(table->item(1, 0)->foreground().color() != table->item(0, 0)->foreground().color());
    QVERIFY(table->item(1, 0)->toolTip().contains(QStringLiteral("正则表达式有误")));
    QVERIFY(problems->isVisibleTo(dialog));
    QVERIFY(problems->text().contains(QStringLiteral("re:(bad")));

    table->item(1, 0)->setText(QStringLiteral("re:colou?r"));
    QVERIFY(!problems->isVisibleTo(dialog));
    QCOMPARE(table->item(1, 0)->toolTip(), QString());
    table->setCurrentCell(0, 0);
    dialog->findChild<QPushButton*>(QStringLiteral("Remove"))->click();
    dialog->findChild<QPushButton*>(QStringLiteral("Add"))->click();
    QCOMPARE(table->rowCount(), 2);
    table->item(1, 0)->setText(QStringLiteral("重庆"));
    table->item(1, 1)->setText(QStringLiteral("虫庆"));
    dialog->findChild<QPushButton*>(QStringLiteral("Add"))->click(); // left empty: dropped
    dialog->accept();

    QFile file(dictionaryFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()),
             QStringLiteral("# names\nre:colou?r=x\n重庆=虫庆\n# end\n"));
    QTRY_VERIFY(!w->findChild<PronunciationDialog*>());
    // The next reading says the words as saved.
    w->RichEdit1->setPlainText(QStringLiteral("XYZ 重庆 colour"));
    w->BtnAloud->click();
    QCOMPARE(speakCalls(), QStringList{QStringLiteral("Speak:1:XYZ 虫庆 x")});
}

void TestPronunciationWindow::listenSpeaksTheSpokenSideWithTheChosenVoice() {
    TFmain* w = start();
    w->cbVoices->setCurrentIndex(1);
    PronunciationDialog* dialog = openDialog();
    auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("Rules"));
    table->setCurrentCell(0, 0);
    m_fakes->voice.clearCalls();
    dialog->findChild<QPushButton*>(QStringLiteral("Listen"))->click();
    QCOMPARE(m_fakes->voice.calls().filter(QStringLiteral("Voice:")),
             QStringList{QStringLiteral("Voice:gmw/en")});
    QCOMPARE(speakCalls(), QStringList{QStringLiteral("Speak:1:hello world")});
}

void TestPronunciationWindow::failedSaveKeepsTheEdits() {
    TFmain* w = start();
    PronunciationDialog* dialog = openDialog();
    auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("Rules"));
    table->item(0, 1)->setText(QStringLiteral("changed"));
    // The file's place is taken by a folder: it cannot be replaced.
    QVERIFY(QFile::remove(dictionaryFile()));
    QVERIFY(QDir().mkpath(dictionaryFile()));
    dialog->accept();
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QVERIFY2(m_fakes->dialogs.messages.first().text.contains(QStringLiteral("无法保存发音词典")),
             qPrintable(m_fakes->dialogs.messages.first().text));
    QVERIFY(dialog->isVisible());
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("changed"));
    Q_UNUSED(w);
}

QTEST_MAIN(TestPronunciationWindow)
#include "tst_pronunciation_window.moc"
