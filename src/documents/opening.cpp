// Opening files: the open dialog, drops, the kind dispatch, the editor load and the converters.
#include "app/tfmain.h"

#include "app/app_error.h"
#include "app/error_report.h"
#include "documents/document_file.h"
#include "documents/document_kind.h"
#include "documents/file_drop_target.h"
#include "documents/formatted_document.h"
#include "platform/dialogs.h"
#include "platform/document_converter.h"
#include "platform/hidden_browser.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

namespace {

// The open dialog's filters: every known kind first, then each kind, then any file.
const QString OpenFilters = QStringLiteral(
    "所有文件(*.txt,*.ini,*.rtf,*.doc,*.pdf,*.htm,*.html,*.mht,*.xml,*.docx,*.docm,*.odt,*.epub,"
    "*.md,*.markdown,*.fb2 (*.txt *.ini *.rtf *.doc *.pdf *.htm *.html *.mht *.xml *.docx *.docm "
    "*.odt *.epub *.md *.markdown *.fb2);;"
    "文本文件(*.txt);;Ini文件(*.ini);;Rtf文件 (*.rtf);;Word文档(*.doc);;Pdf文件(*.pdf);;"
    "Htm 文件(*.htm);;Html文件 (*.html);;Mht文件 (*.mht);;XML文件 (*.xml);;"
    "Word 2007文档 (*.docx *.docm);;OpenDocument文本 (*.odt);;EPUB电子书 (*.epub);;"
    "Markdown文件 (*.md *.markdown);;FictionBook电子书 (*.fb2);;任何文件 (*.*)");

// The busy cursor for as long as a converter runs.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

void TFmain::connectDocumentsHandlers() {
    connectButton(BtnOpen, &TFmain::BtnOpenClick);
    connectItem(NOpen, &TFmain::BtnOpenClick);
    connectItem(NNNOpen, &TFmain::NNNOpenClick);
    connectItem(NSave, &TFmain::NSaveClick);
    connectAddressBar();
}

void TFmain::BtnOpenClick() {
    const QString path = m_platform.dialogs->openFileName(this, OpenFilters);
    if (path.isEmpty())
        return;
    openPath(path);
}

// The tray's open leaves the window as it is, hidden or shown.
void TFmain::NNNOpenClick() {
    BtnOpenClick();
}

// A failing file ends the drop; the files after it are not opened.
void TFmain::FilesDropped(const QStringList& paths) {
    for (const QString& path : paths)
        openPath(path);
}

void TFmain::acceptFileDrops() {
    auto* target = new FileDropTarget(
        [this](const QStringList& paths) { guarded([&] { FilesDropped(paths); }); },
        [this](const QUrl& link) { guarded([&] { LinkDropped(link); }); }, this);
    installEventFilter(target);
    RichEdit1->viewport()->installEventFilter(target);
    setAcceptDrops(true);
}

// The action of the path's kind, then the path goes into the address box and the list.
void TFmain::openPath(const QString& path) {
    switch (documentKind(path)) {
    case DocumentKind::Text:
        RichEdit1->clear();
        loadIntoEditor(path);
        break;
    case DocumentKind::WebPage:
        WebBrowser1->navigate(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
        break;
    case DocumentKind::Word:
        ConvertWordDocument(path);
        break;
    case DocumentKind::Pdf:
        ConvertPdfDocument(path);
        break;
    case DocumentKind::WordXml:
    case DocumentKind::OpenDocument:
    case DocumentKind::Epub:
    case DocumentKind::Markdown:
    case DocumentKind::FictionBook: {
        QTextDocument read;
        loadFormattedDocument(path, read);
        replaceDocument(*RichEdit1->document(), read);
        break;
    }
    case DocumentKind::Other:
        return;
    }
    RememberAddress(path);
}

void TFmain::loadIntoEditor(const QString& path) {
    loadDocumentBytes(readDocumentFile(path), m_plainText, *RichEdit1->document());
}

// A document the converters cannot read is reported here; the path is still remembered.
void TFmain::ConvertWordDocument(const QString& path) {
    QString text;
    try {
        BusyCursor busy;
        text = m_platform.converter->wordText(path);
    } catch (const AppError& error) {
        reportError(*m_platform.dialogs, this, error.message());
        return;
    }
    setDocumentText(*RichEdit1->document(), text);
}

// A PDF without text is a failure of the open: the path is not remembered.
void TFmain::ConvertPdfDocument(const QString& path) {
    QString text;
    {
        BusyCursor busy;
        text = m_platform.converter->pdfText(path);
    }
    setDocumentText(*RichEdit1->document(), text);
}
