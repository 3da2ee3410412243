#include "app/app_error.h"
#include "app/tfmain.h"
#include "documents/document_file.h"
#include "platform/document_converter.h"
#include "platform/fakes/fake_platform.h"
#include "sample_documents.h"
#include "scanned_page.h"
#include "speech/reading_positions.h"

#include <QAbstractItemView>
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QStringEncoder>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

#include <atomic>
#include <sys/stat.h>

namespace {

// Recognises slowly: tells the second of three pages, then waits for the cancel.
class SlowRecognizer : public ProcessConverter {
public:
    QString pictureText(const QString&, const ConversionCancelled& cancelled,
                        const Recognition& recognition) override {
        voiceLanguage = recognition.voiceLanguage;
        recognition.pageStarted(2, 3);
        QElapsedTimer clock;
        clock.start();
        while (!cancelled() && !clock.hasExpired(20000))
            QThread::msleep(10);
        cancelSeen = cancelled();
        throw AppError(QStringLiteral("转换已取消"));
    }
    QString voiceLanguage;
    std::atomic<bool> cancelSeen{false};
};

} // namespace

// The window's document roads, with the dialogs and the web page faked.
class TestDocumentsWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void openDialogKeepsThePathsCase();
    void openFailureKeepsTheTextAndList_data();
    void openFailureKeepsTheTextAndList();
    void openingIsOneUndoStep();
    void otherKindsChangeNothing();
    void droppedFilesOpenInOrder();
    void nonFileDropIsRefused();
    void webLinkDropOpensTheAddress_data();
    void webLinkDropOpensTheAddress();
    void droppedTextIsInsertedWhereDropped();
    void formattedDocumentsOpenFromTheAddressBox_data();
    void formattedDocumentsOpenFromTheAddressBox();
    void refusedDocumentLeavesTheText();
    void documentWithoutTextLeavesTextAndAddress();
    void markdownPicturesAreNotLoaded();
    void convertedDocumentKeepsItsOwnPlace();
    void audiobookProposesTheDocumentsAuthor();
    void saveChoosesTheFormAndHowLaterOpensRead();
    void wordDocumentConvertedAndRemembered();
    void damagedPdfIsReportedAndNotRemembered();
    void droppedPictureIsRecognisedAndRemembered();
    void recognitionShowsItsPagesAndCancels();
    void addressBarOpensLocalFilesAsTyped();
    void addressBarSendsWebAddressesToThePage();
    void pageStopsOnceTheUserEditsItsText();
    void pageTooLargeIsStoppedAndReportedOnce();
    void enterAndChoosingAnEntryOpen();
    void listDropsDownWhileTyping();
    void recentListSurvivesRestart();
    void handEditedRecentList();

private:
    TFmain* start();
    QString write(const QString& name, const QByteArray& bytes);
    QStringList items() const;
    QString recentListPath() {
        return m_fakes->dataDirectory.filePath(QStringLiteral("files.ini"));
    }

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;
    QTemporaryDir m_samples; // documents of the data tables, which run before init()
};

void TestDocumentsWindow::init() {
    m_fakes = std::make_unique<FakePlatform>();
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestDocumentsWindow::cleanup() {
    m_window.reset();
    m_fakes.reset();
    m_dir.reset();
}

TFmain* TestDocumentsWindow::start() {
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    return m_window.get();
}

QString TestDocumentsWindow::write(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir->filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QStringList TestDocumentsWindow::items() const {
    QStringList entries;
    for (int i = 0; i < m_window->CUrl->count(); ++i)
        entries << m_window->CUrl->itemText(i);
    return entries;
}

void TestDocumentsWindow::openDialogKeepsThePathsCase() {
    TFmain* w = start();
    const QString path = write(QStringLiteral("Docs/Note.TXT"), "hello");
    m_fakes->dialogs.openAnswers << path;
    w->BtnOpen->click();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("hello"));
    QCOMPARE(w->CUrl->currentText(), path);
    QCOMPARE(items(), QStringList{path});
    QVERIFY(m_fakes->dialogs.fileQuestions.first().startsWith(QStringLiteral(
        "open:所有文件(*.txt,*.ini,*.rtf,*.doc,*.pdf,*.htm,*.html,*.mht,*.xml,*.docx,"
        "*.docm,*.odt,*.epub,*.md,*.markdown,*.fb2,*.png,*.jpg,*.jpeg,*.tif,*.tiff,*.bmp,*.webp "
        "(")));
    QVERIFY(m_fakes->dialogs.fileQuestions.first().contains(
        QStringLiteral(";;Word 2007文档 (*.docx *.docm);;OpenDocument文本 (*.odt);;EPUB电子书 "
                       "(*.epub);;Markdown文件 (*.md *.markdown);;FictionBook电子书 (*.fb2);;"
                       "图片 (*.png *.jpg *.jpeg *.tif *.tiff *.bmp *.webp);;任何文件 (*.*)")));
    // The tray's item opens through the same dialog; a cancel changes nothing.
    w->NNNOpen->trigger();
    QCOMPARE(m_fakes->dialogs.fileQuestions.size(), 2);
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("hello"));
}

void TestDocumentsWindow::openFailureKeepsTheTextAndList_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << QStringLiteral("missing.txt");
    QTest::newRow("directory") << QStringLiteral("folder.txt");
    QTest::newRow("named pipe") << QStringLiteral("pipe.txt");
    QTest::newRow("link to a device") << QStringLiteral("zero.txt");
    // Every kind, whatever reads it: the program's readers, the converters, the page.
    for (const char* name : {"pipe.docx", "pipe.docm", "pipe.odt", "pipe.epub", "pipe.fb2",
                             "pipe.md", "pipe.doc", "pipe.pdf", "pipe.htm", "pipe.png"})
        QTest::newRow(name) << QString::fromLatin1(name);
    QTest::newRow("device as a picture") << QStringLiteral("zero.png");
}

// Nothing is read from a pipe or a device (the window would hang or fill the memory), and a
// failed open leaves the user's text as it was.
void TestDocumentsWindow::openFailureKeepsTheTextAndList() {
    QFETCH(QString, name);
    QDir(m_dir->path()).mkpath(QStringLiteral("folder.txt"));
    if (name.startsWith(u"pipe"))
        QVERIFY(::mkfifo(QFile::encodeName(m_dir->filePath(name)), 0600) == 0);
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), m_dir->filePath(QStringLiteral("zero.txt"))));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), m_dir->filePath(QStringLiteral("zero.png"))));
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("typed"));
    const QString path = m_dir->filePath(name);
    m_fakes->dialogs.openAnswers << path;
    w->NOpen->trigger();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("typed"));
    QCOMPARE(items(), QStringList());
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QVERIFY2(m_fakes->dialogs.messages[0].text.startsWith(
                 QStringLiteral("Cannot open file \"%1\". ").arg(path)),
             qPrintable(m_fakes->dialogs.messages[0].text));
    QVERIFY(m_fakes->browser.navigated.isEmpty());
    QVERIFY(!w->findChild<QDialog*>(QStringLiteral("JobProgress")));
}

// The opened text replaces the typed one as one step: undo brings the typed text back, for
// files, converted documents and web pages alike.
void TestDocumentsWindow::openingIsOneUndoStep() {
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("typed"));
    m_fakes->dialogs.openAnswers << write(QStringLiteral("a.txt"), "first line\nsecond line");
    w->BtnOpen->click();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("first line\nsecond line"));

    const QString doc = m_dir->filePath(QStringLiteral("s.doc"));
    QVERIFY(QFile::copy(QStringLiteral(FIXTURES "/converter_sample.doc"), doc));
    m_fakes->dialogs.openAnswers << doc;
    w->BtnOpen->click();
    QTRY_VERIFY_WITH_TIMEOUT(w->RichEdit1->toPlainText().contains(QStringLiteral("中文文字")),
                             20000);

    w->CUrl->setEditText(QStringLiteral("http://example.com/"));
    w->BtnGo->click();
    m_fakes->browser.complete(QStringLiteral("page text"));
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("page text"));

    w->RichEdit1->undo();
    QVERIFY(w->RichEdit1->toPlainText().contains(QStringLiteral("中文文字")));
    w->RichEdit1->undo();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("first line\nsecond line"));
    w->RichEdit1->undo();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("typed"));
}

void TestDocumentsWindow::otherKindsChangeNothing() {
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("typed"));
    m_fakes->dialogs.openAnswers << write(QStringLiteral("a.log"), "log");
    w->BtnOpen->click();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("typed"));
    QCOMPARE(items(), QStringList());
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestDocumentsWindow::droppedFilesOpenInOrder() {
    TFmain* w = start();
    const QString a = write(QStringLiteral("A.TXT"), "first");
    const QString b = write(QStringLiteral("b.rtf"), "{\\rtf1 second}");
    const QString page = write(QStringLiteral("p.html"), "<p>page</p>");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(page), QUrl::fromLocalFile(b)});
    // Over the editor, as a file manager drops: enter first, then drop.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(w->RichEdit1->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setAccepted(false);
    QApplication::sendEvent(w->RichEdit1->viewport(), &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("second"));
    QCOMPARE(items(), (QStringList{a, page, b}));
    QCOMPARE(m_fakes->browser.navigated, QList<QUrl>{QUrl::fromLocalFile(page)});
    // The file opened after the page replaced the page's text: the page is stopped, and what it
    // completes later no longer replaces the file's text.
    QCOMPARE(m_fakes->browser.stops, 1);
    m_fakes->browser.complete(QStringLiteral("page"));
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("second"));
}

void TestDocumentsWindow::nonFileDropIsRefused() {
    TFmain* w = start();
    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("ftp://example.com/a.txt"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(w, &enter);
    QVERIFY(!enter.isAccepted());
    QCOMPARE(items(), QStringList());
}

namespace {

// Drag enter, then drop, at the point of the widget; whether the drop was taken.
bool dropOn(QWidget* widget, QMimeData& data, QPoint at = QPoint(5, 5)) {
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(widget, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setAccepted(false);
    QApplication::sendEvent(widget, &drop);
    return drop.isAccepted();
}

} // namespace

void TestDocumentsWindow::webLinkDropOpensTheAddress_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("onEditor");
    const QString link = QStringLiteral("https://example.com/news?id=1\nNews");
    QTest::newRow("uri-list on the editor")
        << QStringLiteral("text/uri-list") << QByteArray("https://example.com/news?id=1\r\n")
        << true;
    QTest::newRow("moz-url on the window")
        << QStringLiteral("text/x-moz-url")
        << QByteArray(reinterpret_cast<const char*>(link.utf16()), link.size() * 2) << false;
}

// As if typed into the address box: the page is asked for and the address remembered.
void TestDocumentsWindow::webLinkDropOpensTheAddress() {
    QFETCH(QString, format);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, onEditor);
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("typed"));
    QMimeData data;
    data.setData(format, bytes);
    data.setText(QStringLiteral("https://example.com/news?id=1"));
    QVERIFY(dropOn(onEditor ? w->RichEdit1->viewport() : static_cast<QWidget*>(w), data));
    const QUrl url(QStringLiteral("https://example.com/news?id=1"));
    QCOMPARE(m_fakes->browser.navigated, QList<QUrl>{url});
    QCOMPARE(items(), QStringList{url.toString()});
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("typed"));
}

// Like a paste at the point of the drop.
void TestDocumentsWindow::droppedTextIsInsertedWhereDropped() {
    TFmain* w = start();
    w->resize(600, 400);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->RichEdit1->setPlainText(QStringLiteral("ab"));
    QTextCursor between(w->RichEdit1->document());
    between.setPosition(1);
    const QRect at = w->RichEdit1->cursorRect(between);
    QMimeData data;
    data.setText(QStringLiteral("中文"));
    QVERIFY(dropOn(w->RichEdit1->viewport(), data, at.center()));
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("a中文b"));
    QCOMPARE(items(), QStringList());
}

void TestDocumentsWindow::formattedDocumentsOpenFromTheAddressBox_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("second");
    const QString styled = QStringLiteral("Plain bold italic 中文 \U0001F600 \U00020000");
    const QString docx = m_samples.filePath(QStringLiteral("a.docx"));
    const QString odt = m_samples.filePath(QStringLiteral("a.odt"));
    const QString epub = m_samples.filePath(QStringLiteral("a.epub"));
    const auto sample = [this](const QString& name, const QByteArray& bytes) {
        QFile file(m_samples.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
        return file.fileName();
    };
    QVERIFY(writeZip(docx, docxEntries(SampleDocxBody)));
    QVERIFY(writeZip(odt, odtEntries(SampleOdtText)));
    QVERIFY(writeZip(epub, epubEntries(true, SampleEpubChapter)));
    QTest::newRow("docx") << docx << styled;
    QTest::newRow("odt") << odt << styled;
    QTest::newRow("epub") << epub << styled + QStringLiteral("\u00A0—");
    QTest::newRow("md") << sample(QStringLiteral("a.md"), SampleMarkdown) << styled;
    QTest::newRow("fb2") << sample(QStringLiteral("a.fb2"), SampleFictionBook) << styled;
}

void TestDocumentsWindow::formattedDocumentsOpenFromTheAddressBox() {
    QFETCH(QString, path);
    QFETCH(QString, second);
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("typed"));
    w->CUrl->setEditText(path);
    w->BtnGo->click();
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    const QTextDocument* document = w->RichEdit1->document();
    QCOMPARE(document->begin().text(), QStringLiteral("第一章 开始"));
    QCOMPARE(document->begin().blockFormat().headingLevel(), 1);
    QCOMPARE(document->begin().next().text(), second);
    QVERIFY(document->find(QStringLiteral("bold")).charFormat().fontWeight() >= QFont::Bold);
    QCOMPARE(items(), QStringList{path});
    // One step undoes the open.
    w->RichEdit1->undo();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("typed"));
}

// A document that cannot be read is reported and the editor keeps its text.
void TestDocumentsWindow::refusedDocumentLeavesTheText() {
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("typed"));
    const QString path =
        write(QStringLiteral("locked.docx"),
              QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) +
                  QByteArray("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32));
    m_fakes->dialogs.openAnswers << path;
    w->BtnOpen->click();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("typed"));
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QVERIFY2(m_fakes->dialogs.messages[0].text.contains(QStringLiteral("文档已加密")) &&
                 m_fakes->dialogs.messages[0].text.contains(path),
             qPrintable(m_fakes->dialogs.messages[0].text));
    QCOMPARE(items(), QStringList());
}

// An .odt of a formula alone has nothing to read: said so, and the editor and the address box
// keep the document that was open.
void TestDocumentsWindow::documentWithoutTextLeavesTextAndAddress() {
    TFmain* w = start();
    const QString before = write(QStringLiteral("before.txt"), "earlier text");
    w->FilesDropped({before});
    const QString formula = m_dir->filePath(QStringLiteral("formula.odt"));
    QVERIFY(QFile::copy(QStringLiteral(FIXTURES "/formula_only.odt"), formula));
    m_fakes->dialogs.openAnswers << formula;
    w->BtnOpen->click();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("earlier text"));
    QCOMPARE(w->CUrl->currentText(), before);
    QCOMPARE(items(), QStringList{before});
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QVERIFY2(m_fakes->dialogs.messages[0].text.contains(formula) &&
                 m_fakes->dialogs.messages[0].text.contains(QStringLiteral("没有可以朗读的文字")),
             qPrintable(m_fakes->dialogs.messages[0].text));
}

// Shown and laid out, a Markdown document's pictures load nothing: a device named as a picture
// would fill the memory, a pipe hold the window for good. Their descriptions are read.
void TestDocumentsWindow::markdownPicturesAreNotLoaded() {
    const QString fifo = m_dir->filePath(QStringLiteral("picture.png"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo), 0600) == 0);
    const QString path = write(QStringLiteral("pictures.md"),
                               "前 ![一只猫](/dev/zero) 后\n\n![](picture.png)\n\n![管道](file://" +
                                   QFile::encodeName(fifo) + ")\n");
    TFmain* w = start();
    w->resize(600, 400);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    m_fakes->dialogs.openAnswers << path;
    w->BtnOpen->click();
    QCoreApplication::processEvents();
    QVERIFY(w->RichEdit1->document()->documentLayout()->documentSize().height() > 0);
    const QString shown = w->RichEdit1->toPlainText();
    QVERIFY2(shown.startsWith(QStringLiteral("前 图片：一只猫 后\n")) &&
                 shown.endsWith(QStringLiteral("\n图片：管道")),
             qPrintable(shown));
    QVERIFY(!shown.contains(QChar::ObjectReplacementCharacter));
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

// The place of a converted document is kept under its own address, not under the address of
// the document open before it, and the document comes back to it.
void TestDocumentsWindow::convertedDocumentKeepsItsOwnPlace() {
    m_fakes->voice.voices = {{QStringLiteral("sit/cmn"), QStringLiteral("Chinese")}};
    TFmain* w = start();
    const QString text = write(QStringLiteral("a.txt"), "甲乙丙丁。第二句。");
    const QString pdf = m_dir->filePath(QStringLiteral("s.pdf"));
    QVERIFY(QFile::copy(QStringLiteral(FIXTURES "/converter_sample.pdf"), pdf));
    const QString sentence = QStringLiteral("第二段：中文文字也要完整。");
    w->FilesDropped({text});
    w->FilesDropped({pdf});
    QTRY_VERIFY_WITH_TIMEOUT(w->RichEdit1->toPlainText().contains(sentence), 20000);
    QCOMPARE(items(), (QStringList{text, pdf}));
    w->RichEdit1->moveCursor(QTextCursor::Start);
    w->NReadFromCaret->trigger();
    const QString spoken = m_fakes->voice.calls().filter(QStringLiteral("Speak:")).last().mid(8);
    const int at = int(spoken.indexOf(sentence));
    QVERIFY2(at >= 0, qPrintable(spoken));
    m_fakes->voice.hear(SpeechBoundary::Sentence, at);
    m_fakes->voice.hear(SpeechBoundary::Word, at, 1);
    m_window.reset(); // the places are saved as the window closes

    const ReadingPositions kept =
        ReadingPositions::load(m_fakes->dataDirectory.filePath(QStringLiteral("positions.json")));
    QStringList addresses;
    for (const ReadingPosition& entry : kept.entries())
        addresses << entry.address;
    QCOMPARE(addresses, QStringList{pdf});
    w = start();
    w->FilesDropped({pdf});
    QTRY_VERIFY_WITH_TIMEOUT(w->RichEdit1->toPlainText().contains(sentence), 20000);
    QCOMPARE(w->RichEdit1->textCursor().position(),
             int(w->RichEdit1->toPlainText().indexOf(sentence)));
}

// The author an .epub names is proposed for the audiobook; a text file opened after it names
// none, and the box is left for the voice's name.
void TestDocumentsWindow::audiobookProposesTheDocumentsAuthor() {
    ZipEntries entries = epubEntries(true, SampleEpubChapter);
    for (auto& [name, bytes] : entries) {
        if (name == "OEBPS/content.opf")
            bytes.replace("<manifest>",
                          "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:creator>"
                          "曹雪芹</dc:creator></metadata><manifest>");
    }
    const QString epub = m_dir->filePath(QStringLiteral("book.epub"));
    QVERIFY(writeZip(epub, entries));
    TFmain* w = start();
    const auto proposedAuthor = [w] {
        w->NExportBook->trigger();
        auto* dialog = w->findChild<QDialog*>(QStringLiteral("AudiobookDialog"));
        if (!dialog)
            return QStringLiteral("no dialog");
        const QString author = dialog->findChild<QLineEdit*>(QStringLiteral("EBookAuthor"))->text();
        dialog->reject();
        delete dialog;
        return author;
    };
    w->FilesDropped({epub});
    QCOMPARE(proposedAuthor(), QStringLiteral("曹雪芹"));
    w->FilesDropped({write(QStringLiteral("plain.txt"), "第一章\n文字。\n第二章\n文字。")});
    QCOMPARE(proposedAuthor(), QString());
}

void TestDocumentsWindow::saveChoosesTheFormAndHowLaterOpensRead() {
    TFmain* w = start();
    w->RichEdit1->setHtml(QStringLiteral("<p><b>Bold</b> 中文</p><p>two</p>"));
    const QString rtfSource = write(QStringLiteral("in.rtf"), "{\\rtf1 {\\b x}}");

    m_fakes->dialogs.saveAnswers << Dialogs::SaveChoice{m_dir->filePath(QStringLiteral("Out.TXT")),
                                                        {}};
    w->NSave->trigger();
    QFile text(m_dir->filePath(QStringLiteral("out.txt")));
    QVERIFY(text.open(QIODevice::ReadOnly));
    QCOMPARE(text.readAll(),
             QByteArray("\xFF\xFE", 2) +
                 QStringEncoder(QStringEncoder::Utf16LE)(QStringLiteral("Bold 中文\r\ntwo\r\n")));
    // After a text save an RTF file shows its source.
    m_fakes->dialogs.openAnswers << rtfSource;
    w->BtnOpen->click();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("{\\rtf1 {\\b x}}"));

    w->RichEdit1->setHtml(QStringLiteral("<p><b>Bold</b> 中文</p><p>two</p>"));
    const QString rtf = m_dir->filePath(QStringLiteral("out.rtf"));
    m_fakes->dialogs.saveAnswers << Dialogs::SaveChoice{rtf, {}};
    w->NSave->trigger();
    w->RichEdit1->clear();
    m_fakes->dialogs.openAnswers << rtf;
    w->BtnOpen->click();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("Bold 中文\ntwo"));
    QTextCursor cursor(w->RichEdit1->document());
    cursor.movePosition(QTextCursor::NextCharacter);
    QVERIFY(cursor.charFormat().fontWeight() >= QFont::Bold);
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestDocumentsWindow::wordDocumentConvertedAndRemembered() {
    TFmain* w = start();
    const QString doc = m_dir->filePath(QStringLiteral("s.doc"));
    QVERIFY(QFile::copy(QStringLiteral(FIXTURES "/converter_sample.doc"), doc));
    m_fakes->dialogs.openAnswers << doc;
    w->BtnOpen->click();
    QTRY_VERIFY_WITH_TIMEOUT(
        w->RichEdit1->toPlainText().contains(QStringLiteral("第二段：中文文字也要完整。")), 20000);
    QCOMPARE(items(), QStringList{doc});
}

void TestDocumentsWindow::damagedPdfIsReportedAndNotRemembered() {
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("kept"));
    m_fakes->dialogs.openAnswers << write(QStringLiteral("bad.pdf"), "%PDF-1.4 broken");
    w->BtnOpen->click();
    QTRY_COMPARE_WITH_TIMEOUT(m_fakes->dialogs.messages.size(), 1, 20000);
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("kept"));
    QCOMPARE(items(), QStringList());
}

// The file manager's drop takes the road of the open dialog.
void TestDocumentsWindow::droppedPictureIsRecognisedAndRemembered() {
    TFmain* w = start();
    const QImage picture = linePicture(QStringLiteral("图片里的文字 words"));
    const QString path = m_dir->filePath(QStringLiteral("Scan 1.PNG"));
    QVERIFY(picture.save(path, "PNG"));
    w->FilesDropped({path});
    QTRY_VERIFY_WITH_TIMEOUT(!w->RichEdit1->toPlainText().isEmpty(), 20000);
    QCOMPARE(w->RichEdit1->toPlainText().remove(u' '), QStringLiteral("图片里的文字words"));
    QCOMPARE(items(), QStringList{path});
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

// In the chosen voice's language, page by page; cancelled, nothing of it arrives.
void TestDocumentsWindow::recognitionShowsItsPagesAndCancels() {
    SlowRecognizer recognizer;
    m_fakes->voice.voices = {
        {QStringLiteral("yue"), QStringLiteral("Cantonese"), QStringLiteral("yue")}};
    Platform platform = m_fakes->bundle();
    platform.converter = &recognizer;
    m_window = std::make_unique<TFmain>(platform);
    TFmain* w = m_window.get();
    w->RichEdit1->setPlainText(QStringLiteral("kept"));
    m_fakes->dialogs.openAnswers << write(QStringLiteral("scan.tiff"), "II*\0");
    w->BtnOpen->click();
    QDialog* progress = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((progress = w->findChild<QDialog*>(QStringLiteral("JobProgress"))) &&
                                 progress->isVisible(),
                             5000);
    QCOMPARE(progress->findChild<QLabel*>()->text(),
             QStringLiteral("正在识别文字：第 2 页，共 3 页"));
    QCOMPARE(recognizer.voiceLanguage, QStringLiteral("yue"));
    progress->findChild<QPushButton*>(QStringLiteral("Cancel"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w->findChild<QDialog*>(QStringLiteral("JobProgress")), 5000);
    QVERIFY(recognizer.cancelSeen);
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("kept"));
    QCOMPARE(items(), QStringList());
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestDocumentsWindow::addressBarOpensLocalFilesAsTyped() {
    TFmain* w = start();
    const QString path =
        write(QStringLiteral("Gb.TXT"),
              QStringEncoder("GB18030")(QStringLiteral("简体中文的旧式编码文件，内容是朗读。")));
    w->CUrl->setEditText(QStringLiteral("  ") + path + u' ');
    w->BtnGo->click();
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("简体中文的旧式编码文件，内容是朗读。"));
    QCOMPARE(w->CUrl->currentText(), path);
    QCOMPARE(items(), QStringList{path});
    // An existing file of another kind is not a web address.
    w->CUrl->setEditText(write(QStringLiteral("x.log"), "x"));
    w->BtnGo->click();
    QVERIFY(m_fakes->browser.navigated.isEmpty());
}

void TestDocumentsWindow::addressBarSendsWebAddressesToThePage() {
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("typed"));
    w->CUrl->setEditText(QStringLiteral(" HTTP://Example.COM/Path "));
    w->BtnGo->click();
    QCOMPARE(m_fakes->browser.navigated,
             QList<QUrl>{QUrl(QStringLiteral("http://example.com/Path"))});
    QCOMPARE(w->CUrl->currentText(), QStringLiteral(" HTTP://Example.COM/Path "));
    QCOMPARE(items(), QStringList{QStringLiteral("http://example.com/Path")});
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("typed")); // until the page completes
    w->CUrl->setEditText(QStringLiteral("   "));
    w->BtnGo->click();
    QCOMPARE(m_fakes->browser.navigated.size(), 1);
}

// A page that refreshes itself can no longer replace what the user typed: the first edit of
// its text stops it, and what it still completes is dropped.
void TestDocumentsWindow::pageStopsOnceTheUserEditsItsText() {
    TFmain* w = start();
    w->CUrl->setEditText(QStringLiteral("http://example.com/"));
    w->BtnGo->click();
    m_fakes->browser.complete(QStringLiteral("first load"));
    m_fakes->browser.complete(QStringLiteral("its own refresh"));
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("its own refresh"));
    QCOMPARE(m_fakes->browser.stops, 0);

    QTextCursor cursor(w->RichEdit1->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral(" and my note"));
    QCOMPARE(m_fakes->browser.stops, 1);
    m_fakes->browser.complete(QStringLiteral("another refresh"));
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("its own refresh and my note"));

    // A new address makes a page live again.
    w->BtnGo->click();
    m_fakes->browser.complete(QStringLiteral("again"));
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("again"));
}

// A page that refreshes itself beyond the size limit would report at every refresh.
void TestDocumentsWindow::pageTooLargeIsStoppedAndReportedOnce() {
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("typed"));
    w->CUrl->setEditText(QStringLiteral("http://example.com/"));
    w->BtnGo->click();
    const QString huge(MaxDocumentFileSize / 3 + 1, u'字');
    m_fakes->browser.complete(huge);
    QCOMPARE(m_fakes->browser.stops, 1);
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QVERIFY(m_fakes->dialogs.messages.first().text.contains(QStringLiteral("无法打开")));
    m_fakes->browser.complete(huge);
    m_fakes->browser.complete(QStringLiteral("a refresh"));
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("typed"));
}

void TestDocumentsWindow::enterAndChoosingAnEntryOpen() {
    TFmain* w = start();
    const QString a = write(QStringLiteral("a.txt"), "A");
    const QString b = write(QStringLiteral("b.txt"), "B");
    w->CUrl->setEditText(a);
    QTest::keyClick(w->CUrl->lineEdit(), Qt::Key_X);
    QCOMPARE(w->RichEdit1->toPlainText(), QString()); // other keys only edit
    w->CUrl->setEditText(a);
    QTest::keyClick(w->CUrl->lineEdit(), Qt::Key_Return);
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("A"));
    w->CUrl->addItem(b);
    w->CUrl->setCurrentIndex(1);
    emit w->CUrl->activated(1);
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("B"));
    QCOMPARE(items(), (QStringList{a, b}));
}

// Typing shows the list; Enter then opens what the box holds, once, and a click on an entry
// opens that entry.
void TestDocumentsWindow::listDropsDownWhileTyping() {
    TFmain* w = start();
    const QString a = write(QStringLiteral("a.txt"), "A");
    const QString b = write(QStringLiteral("b.txt"), "B");
    w->show();
    // How the text changes in one opening, by Enter without the list.
    QSignalSpy once(w->RichEdit1->document(), &QTextDocument::contentsChanged);
    w->CUrl->setEditText(a);
    QTest::keyClick(w->CUrl->lineEdit(), Qt::Key_Return);
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("A"));
    const qsizetype changesOfOneOpening = once.count();
    w->CUrl->addItem(b);
    w->CUrl->setEditText(QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->CUrl->lineEdit()->setFocus();
    QTest::keyClicks(w->CUrl->lineEdit(), b.left(3));
    QCompleter* completer = w->CUrl->completer();
    QTRY_VERIFY(completer->popup()->isVisible());
    QCOMPARE(w->CUrl->lineEdit()->text(), b.left(3)); // the typing goes on
    QTest::keyClicks(completer->popup(), b.mid(3));
    QCOMPARE(w->CUrl->lineEdit()->text(), b);

    QSignalSpy opened(w->RichEdit1->document(), &QTextDocument::contentsChanged);
    QTest::keyClick(completer->popup(), Qt::Key_Return);
    QTRY_COMPARE(w->RichEdit1->toPlainText(), QStringLiteral("B"));
    QTest::qWait(50);
    QCOMPARE(opened.count(), changesOfOneOpening);
    QCOMPARE(items(), (QStringList{a, b}));
}

void TestDocumentsWindow::recentListSurvivesRestart() {
    start();
    for (int i = 0; i < 15; ++i)
        m_window->AddAddress(QStringLiteral("http://e.example/%1").arg(i));
    m_window->AddAddress(QStringLiteral("http://e.example/3"));
    m_window->AddAddress(QStringLiteral("http://e.example/")); // a part of entries only
    m_window.reset();
    QFile file(recentListPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("\xFF\xFE"));
    start();
    QCOMPARE(items().size(), 11);
    QCOMPARE(items().first(), QStringLiteral("http://e.example/5"));
    QCOMPARE(items().last(), QStringLiteral("http://e.example/"));
    QCOMPARE(m_window->CUrl->currentText(), QString());
}

void TestDocumentsWindow::handEditedRecentList() {
    {
        QFile file(recentListPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("/tmp/a.txt\r\n\r\n/tmp/a.txt\nhttp://x.example/\n");
    }
    start();
    QCOMPARE(items(),
             (QStringList{QStringLiteral("/tmp/a.txt"), QString(), QStringLiteral("/tmp/a.txt"),
                          QStringLiteral("http://x.example/")}));
    m_window.reset();
    QFile file(recentListPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\xFF\xFE", 2) +
                                 QStringEncoder(QStringEncoder::Utf16LE)(QStringLiteral(
                                     "/tmp/a.txt\r\n\r\n/tmp/a.txt\r\nhttp://x.example/\r\n")));
}

QTEST_MAIN(TestDocumentsWindow)
#include "tst_documents_window.moc"
