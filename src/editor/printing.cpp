// Printing the editor's content, with its formats, on the printer the dialogs set up.
#include "app/tfmain.h"

#include "app/error_report.h"
#include "editor/job_title.h"
#include "platform/dialogs.h"

#include <QAbstractTextDocumentLayout>
#include <QPrinter>
#include <QTextDocument>
#include <QTextEdit>

namespace {

// Laid out for the printer's printable area, the copy carries its own pages, so nothing but the
// content appears on them (no page numbers added).
void printDocument(const QTextDocument& document, QPrinter& printer) {
    const std::unique_ptr<QTextDocument> copy(document.clone());
    copy->documentLayout()->setPaintDevice(&printer);
    copy->setPageSize(printer.pageRect(QPrinter::DevicePixel).size());
    copy->print(&printer);
}

} // namespace

QPrinter& TFmain::printer() {
    if (!m_printer)
        m_printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void TFmain::NPrintSetupClick() {
    try {
        m_platform.dialogs->setUpPrinter(this, printer());
    } catch (const std::exception&) {
        m_platform.dialogs->showMessage(this, AppTitle, QStringLiteral("打印设置错误!"),
                                        Dialogs::Icon::Information);
    }
}

void TFmain::NPrintClick() {
    try {
        QPrinter& target = printer();
        if (!m_platform.dialogs->choosePrinter(this, target))
            return;
        target.setDocName(printJobTitle(RichEdit1->toPlainText()));
        printDocument(*RichEdit1->document(), target);
        if (target.printerState() == QPrinter::Error)
            throw std::runtime_error("printing failed");
    } catch (const std::exception&) {
        m_platform.dialogs->showMessage(this, AppTitle, QStringLiteral("打印错误!"),
                                        Dialogs::Icon::Information);
    }
}
