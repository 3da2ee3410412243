#include "app/error_report.h"
#include "app/tfmain.h"
#include "editor/find_replace_dialog.h"
#include "platform/fakes/fake_platform.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

class TestEditorCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void findRunsForwardOnly();
    void findNothingKeepsDialogOpen();
    void replaceOneAtATime();
    void replaceAllIsOneUndoStep();
    void editCommandsNeedASelection_data();
    void editCommandsNeedASelection();
    void mouseUpEnablesBySelection();
    void undoRedoEnabling();
    void dateTimeAppended_data();
    void dateTimeAppended();
    void fontOnSelectionOnly();
    void fontWithoutSelectionIsStored();
    void backgroundColourStored();
    void alignmentKeepsFormats();
    void pasteKeepsFormatsAndWorksHidden();
    void longPasteLetsTheWindowPaint_data();
    void longPasteLetsTheWindowPaint();
    void printsEveryPage();
    void printCancelledOrFailing();

private:
    TFmain* start();
    void setText(const QString& text, int selectionStart, int selectionEnd);
    QString pdfTool(const QString& tool, const QString& pdf);

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
    QTemporaryDir m_dir;
};

void TestEditorCommands::init() {
    m_fakes = std::make_unique<FakePlatform>();
}

void TestEditorCommands::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

TFmain* TestEditorCommands::start() {
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    return m_window.get();
}

void TestEditorCommands::setText(const QString& text, int selectionStart, int selectionEnd) {
    QTextEdit* editor = m_window->RichEdit1;
    editor->setPlainText(text);
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(selectionStart);
    cursor.setPosition(selectionEnd, QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);
}

QString TestEditorCommands::pdfTool(const QString& tool, const QString& pdf) {
    QProcess process;
    const bool toText = tool == QStringLiteral("pdftotext");
    process.start(tool, toText ? QStringList{pdf, QStringLiteral("-")} : QStringList{pdf});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

void TestEditorCommands::findRunsForwardOnly() {
    TFmain* w = start();
    setText(QStringLiteral("abc abc"), 0, 0);
    w->NfindClick();
    QVERIFY(w->FindDialog1 && w->FindDialog1->isVisible() && !w->FindDialog1->isModal());
    QCOMPARE(w->FindDialog1->windowTitle(), QStringLiteral("查找"));
    w->FindDialog1->findEdit->setText(QStringLiteral("abc"));
    w->FindDialog1->upButton->setChecked(true); // shown, not used
    const std::pair<int, int> expected[] = {{0, 3}, {4, 7}, {7, 7}};
    for (const auto& [start, end] : expected) {
        w->FindDialog1->findNextButton->click();
        QCOMPARE(w->RichEdit1->textCursor().selectionStart(), start);
        QCOMPARE(w->RichEdit1->textCursor().selectionEnd(), end);
    }
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QCOMPARE(m_fakes->dialogs.messages[0].caption, QStringLiteral("错误"));
    QCOMPARE(m_fakes->dialogs.messages[0].text, QStringLiteral("没有找到:abc"));
}

void TestEditorCommands::findNothingKeepsDialogOpen() {
    TFmain* w = start();
    setText(QStringLiteral("读书 abc 读书"), 1, 5); // a selection ending inside the middle word
    w->NfindClick();
    w->FindDialog1->findEdit->setText(QStringLiteral("abc"));
    w->FindDialog1Find();
    QVERIFY(w->FindDialog1->isVisible());
    QCOMPARE(w->RichEdit1->textCursor().position(), 5);
    QVERIFY(!w->RichEdit1->textCursor().hasSelection());
    w->FindDialog1->findEdit->setText(QStringLiteral("读书"));
    w->FindDialog1Find();
    QCOMPARE(w->RichEdit1->textCursor().selectedText(), QStringLiteral("读书"));
    QCOMPARE(w->RichEdit1->textCursor().selectionStart(), 7);
}

void TestEditorCommands::replaceOneAtATime() {
    TFmain* w = start();
    setText(QStringLiteral("ab x ab ab"), 2, 4);
    w->NReplaceClick();
    QCOMPARE(w->ReplaceDialog1->windowTitle(), QStringLiteral("替换"));
    w->ReplaceDialog1->findEdit->setText(QStringLiteral("ab"));
    w->ReplaceDialog1->replaceEdit->setText(QStringLiteral("读"));
    w->ReplaceDialog1->replaceButton->click();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("ab x 读 ab"));
    QCOMPARE(w->RichEdit1->textCursor().selectedText(), QStringLiteral("读"));
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    w->ReplaceDialog1->replaceButton->click();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("ab x 读 读"));
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QCOMPARE(m_fakes->dialogs.messages[0].caption, AppTitle);
    QCOMPARE(m_fakes->dialogs.messages[0].text, QStringLiteral("替换完毕!"));
    w->RichEdit1->undo();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("ab x 读 ab"));
}

void TestEditorCommands::replaceAllIsOneUndoStep() {
    TFmain* w = start();
    const QString text = QStringLiteral("a ").repeated(3000);
    setText(text, 0, 0);
    w->NReplaceClick();
    w->ReplaceDialog1->findEdit->setText(QStringLiteral("a"));
    w->ReplaceDialog1->replaceEdit->setText(QStringLiteral("aa"));
    w->ReplaceDialog1->replaceAllButton->click();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("aa ").repeated(3000));
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QCOMPARE(w->RichEdit1->textCursor().selectionStart(), 3 * 2999);
    QCOMPARE(w->RichEdit1->textCursor().selectionEnd(), 3 * 2999 + 2);
    w->RichEdit1->undo();
    QCOMPARE(w->RichEdit1->toPlainText(), text);
}

void TestEditorCommands::editCommandsNeedASelection_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("selectionEnd");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("clipboard");
    QTest::newRow("copy none") << "copy" << 0 << "hello"
                               << "old";
    QTest::newRow("copy") << "copy" << 2 << "hello"
                          << "he";
    QTest::newRow("cut none") << "cut" << 0 << "hello"
                              << "old";
    QTest::newRow("cut") << "cut" << 2 << "llo"
                         << "he";
    QTest::newRow("delete none") << "delete" << 0 << "hello"
                                 << "old";
    QTest::newRow("delete") << "delete" << 2 << "llo"
                            << "old";
}

void TestEditorCommands::editCommandsNeedASelection() {
    QFETCH(QString, command);
    QFETCH(int, selectionEnd);
    QFETCH(QString, text);
    QFETCH(QString, clipboard);
    TFmain* w = start();
    QApplication::clipboard()->setText(QStringLiteral("old"));
    setText(QStringLiteral("hello"), 0, selectionEnd);
    QAction* item = command == QStringLiteral("copy")  ? w->NNcopy
                    : command == QStringLiteral("cut") ? w->NNCut
                                                       : w->NDelete;
    item->trigger();
    QCOMPARE(w->RichEdit1->toPlainText(), text);
    QCOMPARE(QApplication::clipboard()->text(), clipboard);
}

void TestEditorCommands::mouseUpEnablesBySelection() {
    TFmain* w = start();
    setText(QStringLiteral("hello"), 0, 0);
    QTest::mouseRelease(w, Qt::LeftButton);
    for (QAction* item : {w->Ncut, w->NCopy, w->NDelete})
        QVERIFY(!item->isEnabled());
    QVERIFY(w->NNCut->isEnabled());
    setText(QStringLiteral("hello"), 1, 3);
    for (QAction* item : {w->Ncut, w->NCopy, w->NDelete})
        QVERIFY(!item->isEnabled()); // only a mouse-up over the window updates them
    QTest::mouseRelease(w, Qt::LeftButton);
    for (QAction* item : {w->Ncut, w->NCopy, w->NDelete})
        QVERIFY(item->isEnabled());
}

void TestEditorCommands::undoRedoEnabling() {
    TFmain* w = start();
    QVERIFY(w->NUndo->isEnabled() && w->NRedo->isEnabled());
    w->RichEdit1->setFocus();
    QTest::keyClicks(w->RichEdit1, QStringLiteral("abc"));
    QVERIFY(w->NUndo->isEnabled());
    QVERIFY(!w->NRedo->isEnabled());
    w->NUndo->trigger();
    QVERIFY(w->RichEdit1->toPlainText().isEmpty());
    QVERIFY(w->NRedo->isEnabled());
    QVERIFY(!w->NUndo->isEnabled());
    w->NRedo->trigger();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("abc"));
}

void TestEditorCommands::dateTimeAppended_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("time");
    QTest::newRow("empty") << "" << QTime(14, 3, 9);
    QTest::newRow("after text, caret at start") << "abc\ndef" << QTime(14, 3, 9);
    QTest::newRow("midnight") << "abc" << QTime(0, 0);
}

void TestEditorCommands::dateTimeAppended() {
    QFETCH(QString, text);
    QFETCH(QTime, time);
    TFmain* w = start();
    setText(text, 0, 0);
    m_fakes->clock.time = QDateTime(QDate(2008, 5, 17), time);
    w->NDateTime->trigger();
    const QString result = w->RichEdit1->toPlainText();
    QVERIFY2(result.startsWith(text + QStringLiteral("2008-05-17")), qPrintable(result));
    if (time == QTime(0, 0))
        QCOMPARE(result, text + QStringLiteral("2008-05-17"));
    else
        QVERIFY2(result.contains(QStringLiteral("2008-05-17 ")) &&
                     result.contains(QStringLiteral(":03:09")),
                 qPrintable(result));
    w->RichEdit1->undo();
    QCOMPARE(w->RichEdit1->toPlainText(), text);
}

void TestEditorCommands::fontOnSelectionOnly() {
    TFmain* w = start();
    setText(QStringLiteral("hello world"), 0, 5);
    QFont chosen(QStringLiteral("Courier"), 20);
    chosen.setBold(true);
    m_fakes->dialogs.fontAnswers << chosen;
    w->NFont->trigger();
    QCOMPARE(m_fakes->dialogs.editorQuestions, QStringList{QStringLiteral("font:Tahoma")});
    QTextCursor cursor(w->RichEdit1->document());
    cursor.setPosition(2);
    QVERIFY(cursor.charFormat().font().bold());
    QCOMPARE(cursor.charFormat().font().pointSize(), 20);
    cursor.setPosition(8);
    QVERIFY(!cursor.charFormat().font().bold());
    QCOMPARE(w->RichEdit1->font().family(), QStringLiteral("Tahoma"));
    m_window.reset();
    QFile settings(m_fakes->dataDirectory.filePath(QStringLiteral("set.ini")));
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QVERIFY(!settings.readAll().contains("Courier"));
}

void TestEditorCommands::fontWithoutSelectionIsStored() {
    TFmain* w = start();
    setText(QStringLiteral("hello"), 2, 2);
    QFont chosen(QStringLiteral("Courier"), 14);
    chosen.setItalic(true);
    m_fakes->dialogs.fontAnswers << chosen;
    w->NFont->trigger();
    QCOMPARE(w->RichEdit1->font().family(), QStringLiteral("Courier"));
    w->NFont->trigger(); // cancelled: nothing changes
    QCOMPARE(w->RichEdit1->font().pointSize(), 14);
    m_window.reset();
    w = start();
    QCOMPARE(w->RichEdit1->font().family(), QStringLiteral("Courier"));
    QCOMPARE(w->RichEdit1->font().pointSize(), 14);
    QVERIFY(w->RichEdit1->font().italic());
}

void TestEditorCommands::backgroundColourStored() {
    TFmain* w = start();
    m_fakes->dialogs.colorAnswers << QColor(10, 20, 30);
    w->NBackcolor->trigger();
    QCOMPARE(w->RichEdit1->palette().color(QPalette::Base), QColor(10, 20, 30));
    w->NBackcolor->trigger();
    QCOMPARE(m_fakes->dialogs.editorQuestions.last(), QStringLiteral("color:#0a141e"));
    m_window.reset();
    w = start();
    QCOMPARE(w->RichEdit1->palette().color(QPalette::Base), QColor(10, 20, 30));
}

void TestEditorCommands::alignmentKeepsFormats() {
    TFmain* w = start();
    w->RichEdit1->setHtml(
        QStringLiteral("<p><b>bold</b> <span style='color:#ff0000'>red</span></p><p>two</p>"));
    const std::pair<QAction*, Qt::Alignment> commands[] = {
        {w->NCenter, Qt::AlignHCenter}, {w->NRight, Qt::AlignRight}, {w->NLeft, Qt::AlignLeft}};
    for (const auto& [item, alignment] : commands) {
        item->trigger();
        for (QTextBlock block = w->RichEdit1->document()->begin(); block.isValid();
             block = block.next())
            QCOMPARE(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, alignment);
        QTextCursor cursor(w->RichEdit1->document());
        cursor.setPosition(2);
        QVERIFY(cursor.charFormat().font().bold());
        cursor.setPosition(7);
        QCOMPARE(cursor.charFormat().foreground().color(), QColor(255, 0, 0));
    }
    w->RichEdit1->undo();
    QCOMPARE(w->RichEdit1->document()->lastBlock().blockFormat().alignment() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
}

void TestEditorCommands::pasteKeepsFormatsAndWorksHidden() {
    TFmain* w = start();
    auto* data = new QMimeData;
    data->setHtml(QStringLiteral("<html><body><b>bold</b> text</body></html>"));
    data->setText(QStringLiteral("bold text"));
    QApplication::clipboard()->setMimeData(data);
    w->BtnPaste->click();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("bold text"));
    QTextCursor cursor(w->RichEdit1->document());
    cursor.setPosition(2);
    QVERIFY(cursor.charFormat().font().bold());
    w->hide();
    QApplication::clipboard()->setText(QStringLiteral("!"));
    w->NNNPaste->trigger();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("bold text!"));
}

void TestEditorCommands::longPasteLetsTheWindowPaint_data() {
    QTest::addColumn<bool>("fromKeyboard");
    QTest::newRow("paste command") << false;
    QTest::newRow("Ctrl+V") << true;
}

// Many megabytes take the editor seconds to lay out: the paste goes in pieces from the event
// loop, nothing can be typed into its middle, and one undo takes all of it back.
void TestEditorCommands::longPasteLetsTheWindowPaint() {
    QFETCH(bool, fromKeyboard);
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("a XX b"));
    QTextCursor selection(w->RichEdit1->document());
    selection.setPosition(2);
    selection.setPosition(4, QTextCursor::KeepAnchor);
    w->RichEdit1->setTextCursor(selection);
    QString text;
    for (int line = 0; text.size() < 1'000'000; ++line)
        text += QStringLiteral("第%1行 line of pasted text\n").arg(line);
    QApplication::clipboard()->setText(text);

    if (fromKeyboard)
        QTest::keyClick(w->RichEdit1, Qt::Key_V, Qt::ControlModifier);
    else
        w->NPaste->trigger();
    QVERIFY(w->RichEdit1->isReadOnly());
    QVERIFY(w->RichEdit1->document()->characterCount() < text.size());
    QTRY_VERIFY_WITH_TIMEOUT(!w->RichEdit1->isReadOnly(), 30000);
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("a ") + text + QStringLiteral(" b"));
    QCOMPARE(w->RichEdit1->textCursor().position(), 2 + text.size());

    w->RichEdit1->undo();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("a XX b"));
}

void TestEditorCommands::printsEveryPage() {
    TFmain* w = start();
    QString text;
    for (int line = 1; line <= 3; ++line)
        text += QStringLiteral("Page %1 line\n").arg(line);
    w->RichEdit1->setPlainText(text.trimmed());
    // A page break before the second and third paragraphs: exactly three pages.
    QTextCursor cursor(w->RichEdit1->document());
    QTextBlockFormat breakBefore;
    breakBefore.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    for (int block = 1; block <= 2; ++block) {
        cursor.setPosition(w->RichEdit1->document()->findBlockByNumber(block).position());
        cursor.mergeBlockFormat(breakBefore);
    }
    const QString pdf = m_dir.filePath(QStringLiteral("three.pdf"));
    m_fakes->dialogs.printAnswers << pdf;
    w->NPrint->trigger();
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    QVERIFY(pdfTool(QStringLiteral("pdfinfo"), pdf).contains(QRegularExpression("Pages:\\s+3\\n")));
    const QStringList pages = pdfTool(QStringLiteral("pdftotext"), pdf).split(u'\f');
    QCOMPARE(pages.value(1).simplified(), QStringLiteral("Page 2 line"));

    // A long text runs over several pages and keeps its words in order.
    QStringList lines;
    for (int line = 1; line <= 150; ++line)
        lines << QStringLiteral("line %1 of the long text").arg(line);
    w->RichEdit1->setPlainText(lines.join(u'\n'));
    const QString longPdf = m_dir.filePath(QStringLiteral("long.pdf"));
    m_fakes->dialogs.printAnswers << longPdf;
    w->NPrint->trigger();
    const QRegularExpressionMatch pagesLine =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
            .match(pdfTool(QStringLiteral("pdfinfo"), longPdf));
    QVERIFY(pagesLine.hasMatch() && pagesLine.captured(1).toInt() > 1);
    QCOMPARE(pdfTool(QStringLiteral("pdftotext"), longPdf).remove(u'\f').simplified(),
             lines.join(u' '));
}

void TestEditorCommands::printCancelledOrFailing() {
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("text"));
    w->NPrint->trigger(); // cancelled
    QCOMPARE(m_fakes->dialogs.editorQuestions, QStringList{QStringLiteral("print")});
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    m_fakes->dialogs.printAnswers << m_dir.filePath(QStringLiteral("missing/folder/x.pdf"));
    w->NPrint->trigger();
    m_fakes->dialogs.printDialogFails = true;
    w->NPrintSetup->trigger();
    w->NPrint->trigger();
    QStringList texts;
    for (const auto& message : m_fakes->dialogs.messages) {
        QCOMPARE(message.caption, AppTitle);
        texts << message.text;
    }
    QCOMPARE(texts, (QStringList{QStringLiteral("打印错误!"), QStringLiteral("打印设置错误!"),
                                 QStringLiteral("打印错误!")}));
}

QTEST_MAIN(TestEditorCommands)
#include "tst_editor_commands.moc"
