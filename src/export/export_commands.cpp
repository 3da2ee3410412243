// Export of the editor's text to one audio file, and of each line to a file of its own.
#include "app/tfmain.h"
#include "export/audio_export.h"
#include "export/export_names.h"
#include "export/export_progress.h"
#include "platform/dialogs.h"
#include "platform/shell.h"

#include <QSlider>
#include <QTextEdit>
#include <QToolButton>
#include <QUrl>

namespace {
const QString WavSuffix = QStringLiteral("wav");
const QString FolderCaption = QStringLiteral("请选择WAV文件保存目录:");
} // namespace

void TFmain::connectExportHandlers() {
    connectButton(BtnExport, &TFmain::NExportClick);
    for (QAction* item : {NExport, NNNExport})
        connectItem(item, &TFmain::NExportClick);
    for (QAction* item : {NExportLineWav, NNNExportLineWav})
        connectItem(item, &TFmain::NExportLineWavClick);
}

void TFmain::NExportClick() {
    if (audioExport().isRunning())
        return;
    const Dialogs::SaveChoice choice =
        m_platform.dialogs->saveFileName(this, exportFilters(), WavSuffix);
    if (choice.path.isEmpty())
        return;
    const ExportTarget target = exportTarget(choice.path, choice.filter);
    if (!prepareExportVoice())
        return;
    const QString selection = RichEdit1->textCursor().selectedText();
    const QString text = selection.isEmpty() ? RichEdit1->toPlainText() : selection;
    if (text.isEmpty())
        return;
    ExportProgressDialog progress(this, QStringLiteral("正在导出：已完成 %1 / %2 个字符"));
    audioExport().exportText(target.path, text, target.format, [&](qint64 done, qint64 total) {
        return progress.update(done, total);
    });
}

void TFmain::NExportLineWavClick() {
    if (audioExport().isRunning())
        return;
    const QString folder = m_platform.dialogs->existingDirectory(this, FolderCaption);
    if (folder.isEmpty())
        return;
    const QStringList lines = exportLines(RichEdit1->toPlainText());
    if (!lines.isEmpty() && !prepareExportVoice())
        return;
    ExportProgressDialog progress(this, QStringLiteral("正在导出：已完成 %1 / %2 行"));
    const bool finished = audioExport().exportLines(
        folder, lines, [&](qint64 done, qint64 total) { return progress.update(done, total); });
    if (finished)
        m_platform.shell->openUrl(QUrl::fromLocalFile(folder).toString());
}

// Every export starts from a fresh engine with the chosen voice, rate and volume; false (and
// nothing written) when the engine refuses.
bool TFmain::prepareExportVoice() {
    try {
        SpVoice1->ReleaseVoice();
        clearReadingHighlight();
        const auto voice = selectedVoice();
        if (!voice)
            return false;
        SpVoice1->setVoice(*voice);
        SpVoice1->setRate(TBRate->value());
        SpVoice1->setVolume(TBVolume->value());
        audioExport().setHelperVoice({voice->id, SpVoice1->Rate(), SpVoice1->Volume()});
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

AudioExport& TFmain::audioExport() {
    if (!m_audioExport)
        m_audioExport = std::make_unique<AudioExport>(
            *SpVoice1, *m_platform.fileStream,
            m_platform.exportHelpers > 0
                ? std::make_unique<SpeechWorkers>(SpeechWorkers::defaultProgram(),
                                                  m_platform.exportHelpers)
                : nullptr);
    return *m_audioExport;
}
