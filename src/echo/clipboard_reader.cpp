// Clipboard reader: text that any program copies is spoken and shown as the options say.
#include "app/progress_job.h"
#include "app/tfmain.h"
#include "speech/pronunciation.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextEdit>

void TFmain::joinClipboard() {
    m_clipboardWatch = connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
                               [this] { guarded([&] { ClipboardChange(); }); });
}

void TFmain::leaveClipboard() {
    disconnect(m_clipboardWatch);
}

// Each change is read anew: the text may be replaced again while the voice is cut off. Nothing
// is spoken or shown while an export has the voice.
void TFmain::ClipboardChange() {
    if (longOperation().holdsVoice())
        return;
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard->mimeData();
    if (!data || !data->hasText())
        return;
    if (CBSpeakClipBrd->isChecked() &&
        !skipThenSpeak(spokenText(*pronunciation(), clipboard->text())))
        return;
    if (CBShowClipBrdText->isChecked())
        RichEdit1->setPlainText(clipboard->text());
}
