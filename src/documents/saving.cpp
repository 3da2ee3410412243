// Saving the editor's content as Unicode text or RTF.
#include "app/tfmain.h"

#include "documents/document_file.h"
#include "documents/document_kind.h"
#include "documents/rtf_codec.h"
#include "platform/dialogs.h"

#include <QTextEdit>

namespace {
const QString SaveFilters = QStringLiteral("文本文件(*.txt);;Rtf文件(*.rtf);;任何文件(*.*)");
}

// Only the final name decides the form, whatever filter was picked: RTF for ".rtf", else text.
void TFmain::NSaveClick() {
    const Dialogs::SaveChoice choice =
        m_platform.dialogs->saveFileName(this, SaveFilters, QStringLiteral("txt"));
    if (choice.path.isEmpty())
        return;
    const QString path = savedFilePath(choice.path);
    m_plainText = lowerAscii(pathExtension(path)) != QStringLiteral(".rtf");
    const QTextDocument& document = *RichEdit1->document();
    writeDocumentFile(path, m_plainText ? plainTextFileBytes(document) : writeRtf(document));
}
