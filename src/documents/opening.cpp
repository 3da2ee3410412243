// Opening files: the open dialog, drops, the kind dispatch, the editor load and the converters.
#include "app/tfmain.h"

#include "app/app_error.h"
#include "app/error_report.h"
#include "app/progress_job.h"
#include "documents/document_file.h"
#include "documents/document_kind.h"
#include "documents/document_reading.h"
#include "documents/file_drop_target.h"
#include "platform/dialogs.h"
#include "platform/document_converter.h"
#include "platform/hidden_browser.h"

#include <QComboBox>
#include <QFileInfo>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

namespace {

// The open dialog's filters: every known kind first, then each kind, then any file.
const QString OpenFilters = QStringLiteral(
    "所有文件(*.txt,*.ini,*.rtf,*.doc,*.pdf,*.htm,*.html,*.mht,*.xml,*.docx,*.docm,*.odt,*.epub,"
    "*.md,*.markdown,*.fb2,*.png,*.jpg,*.jpeg,*.tif,*.tiff,*.bmp,*.webp (*.txt *.ini *.rtf *.doc "
    "*.pdf *.htm *.html *.mht *.xml *.docx *.docm *.odt *.epub *.md *.markdown *.fb2 *.png *.jpg "
    "*.jpeg *.tif *.tiff *.bmp *.webp);;"
    "文本文件(*.txt);;Ini文件(*.ini);;Rtf文件 (*.rtf);;Word文档(*.doc);;Pdf文件(*.pdf);;"
    "Htm 文件(*.htm);;Html文件 (*.html);;Mht文件 (*.mht);;XML文件 (*.xml);;"
    "Word 2007文档 (*.docx *.docm);;OpenDocument文本 (*.odt);;EPUB电子书 (*.epub);;"
    "Markdown文件 (*.md *.markdown);;FictionBook电子书 (*.fb2);;"
    "图片 (*.png *.jpg *.jpeg *.tif *.tiff *.bmp *.webp);;任何文件 (*.*)");

// Scanned pages are counted once the recognition begins; until then the conversion has no
// count to show.
ProgressJob::Texts conversionTexts() {
    return {QStringLiteral("转换"), QStringLiteral("正在识别文字：第 %1 页，共 %2 页"),
            QStringLiteral("正在转换，请稍候"), false, QStringLiteral("正在转换文档，请稍候")};
}

} // namespace

void TFmain::connectDocumentsHandlers() {
    connectButton(BtnOpen, &TFmain::BtnOpenClick);
    connectItem(NOpen, &TFmain::BtnOpenClick);
    connectItem(NNNOpen, &TFmain::NNNOpenClick);
    connectItem(NSave, &TFmain::NSaveClick);
    connectAddressBar();
}

void TFmain::BtnOpenClick() {
    if (longOperation().refuseWhileRunning())
        return;
    const QString path = m_platform.dialogs->openFileName(this, OpenFilters);
    if (path.isEmpty())
        return;
    openPath(path);
}

// The tray's open leaves the window as it is, hidden or shown.
void TFmain::NNNOpenClick() {
    BtnOpenClick();
}

// A failing file ends the drop; the files after it are not opened. A file that is converted
// in the background holds the rest back until its text has come. A drop while a long
// operation runs is refused like any other open.
void TFmain::FilesDropped(const QStringList& paths) {
    if (longOperation().refuseWhileRunning())
        return;
    m_droppedPaths = paths;
    openDroppedPaths();
}

void TFmain::openDroppedPaths() {
    while (!m_droppedPaths.isEmpty() && !longOperation().isRunning()) {
        const QString path = m_droppedPaths.takeFirst();
        try {
            openPath(path);
        } catch (...) {
            m_droppedPaths.clear();
            throw;
        }
    }
}

void TFmain::acceptFileDrops() {
    auto* target = new FileDropTarget(
        [this](const QStringList& paths) { guarded([&] { FilesDropped(paths); }); },
        [this](const QUrl& link) { guarded([&] { LinkDropped(link); }); }, this);
    installEventFilter(target);
    RichEdit1->viewport()->installEventFilter(target);
    setAcceptDrops(true);
}

// The action of the path's kind, then the path goes into the address box and the list; a
// converted document's path goes there when its conversion ends. Nothing is opened while a
// long operation runs. The kinds are read by the road of document_reading.h, which refuses
// anything but a regular file before a reader, a converter or the page opens it.
void TFmain::openPath(const QString& path) {
    if (longOperation().refuseWhileRunning())
        return;
    const DocumentKind kind = documentKind(path);
    if (kind == DocumentKind::Other)
        return;
    switch (checkedReadingRoad(path, kind)) {
    case ReadingRoad::Loaded:
        loadDocument(path, kind, m_plainText, *RichEdit1->document());
        break;
    case ReadingRoad::WebPage:
        openWebPage(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
        break;
    case ReadingRoad::Converted:
        if (kind == DocumentKind::Word)
            ConvertWordDocument(path);
        else if (kind == DocumentKind::Pdf)
            ConvertPdfDocument(path);
        else
            RecognisePicture(path);
        return;
    }
    documentOpened(path);
    RememberAddress(path);
}

// The editor keeps its text until the new one has been read; undo brings it back.
void TFmain::loadIntoEditor(const QString& path) {
    loadDocument(path, documentKind(path), m_plainText, *RichEdit1->document());
}

// A document the converters cannot read is reported; the path is still remembered.
void TFmain::ConvertWordDocument(const QString& path) {
    convertInBackground(path,
                        [converter = m_platform.converter,
                         path](const ConversionCancelled& cancelled,
                               const Recognition& recognition) -> ConversionResult {
                            try {
                                return {convertDocument(*converter, path, DocumentKind::Word,
                                                        cancelled, recognition),
                                        {}};
                            } catch (const AppError& error) {
                                return {{}, error.message()};
                            }
                        });
}

// A PDF without text is a failure of the open: the path is not remembered.
void TFmain::ConvertPdfDocument(const QString& path) {
    convertInBackground(
        path,
        [converter = m_platform.converter,
         path](const ConversionCancelled& cancelled,
               const Recognition& recognition) -> ConversionResult {
            return {convertDocument(*converter, path, DocumentKind::Pdf, cancelled, recognition),
                    {}};
        });
}

// So is a picture without text.
void TFmain::RecognisePicture(const QString& path) {
    convertInBackground(path,
                        [converter = m_platform.converter,
                         path](const ConversionCancelled& cancelled,
                               const Recognition& recognition) -> ConversionResult {
                            return {convertDocument(*converter, path, DocumentKind::Picture,
                                                    cancelled, recognition),
                                    {}};
                        });
}

// The conversion runs as the window's long operation; its text replaces the editor's when it
// comes, and the path is remembered unless the conversion failed outright. The rest of a drop
// goes with it: a cancelled or failed conversion ends the drop.
void TFmain::convertInBackground(const QString& path, const Conversion& convert) {
    const std::optional<VoiceToken> voice = selectedVoice();
    const Recognition recognition{voice ? voice->language : QString()};
    const QStringList rest = std::exchange(m_droppedPaths, {});
    longOperation().start(conversionTexts(), [=, this](BackgroundJob::Control& control) {
        Recognition reported = recognition;
        reported.pageStarted = [&control](int page, int pages) { control.report(page, pages); };
        const ConversionResult result =
            convert([&control] { return control.cancelled(); }, reported);
        return [this, path, result, rest] {
            if (result.failure.isEmpty()) {
                replaceDocumentText(*RichEdit1->document(), result.text);
                setDocumentAuthor(*RichEdit1->document(), {});
                // The text now in the editor is the document's: its place is kept under its
                // own address, not under the previous document's, and it comes back to it.
                documentOpened(path);
            } else {
                reportError(*m_platform.dialogs, this, result.failure);
            }
            RememberAddress(path);
            m_droppedPaths = rest;
            openDroppedPaths();
        };
    });
}
