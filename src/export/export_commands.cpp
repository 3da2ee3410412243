// Export of the editor's text to one audio file, and of each line to a file of its own. Both
// run as the window's long operation: the window stays live and can be closed meanwhile.
#include "app/progress_job.h"
#include "app/tfmain.h"
#include "export/audio_export.h"
#include "export/export_names.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "speech/listening.h"
#include "speech/pronunciation.h"

#include <QComboBox>
#include <QSlider>
#include <QTextEdit>
#include <QToolButton>
#include <QUrl>

namespace {
const QString WavSuffix = QStringLiteral("wav");
const QString FolderCaption = QStringLiteral("请选择WAV文件保存目录:");

ProgressJob::Texts exportTexts(const QString& labelFormat) {
    return {QStringLiteral("导出"), labelFormat, QStringLiteral("正在导出，请稍候"), true};
}

// The exporter's progress: the job's report, and on with the export until it is cancelled.
AudioExport::Progress reportTo(BackgroundJob::Control& control) {
    return [&control](qint64 done, qint64 total) {
        control.report(done, total);
        return !control.cancelled();
    };
}
} // namespace

void TFmain::connectExportHandlers() {
    connectButton(BtnExport, &TFmain::NExportClick);
    for (QAction* item : {NExport, NNNExport})
        connectItem(item, &TFmain::NExportClick);
    for (QAction* item : {NExportLineWav, NNNExportLineWav})
        connectItem(item, &TFmain::NExportLineWavClick);
    for (QAction* item : {NExportBook, NNNExportBook})
        connectItem(item, &TFmain::NExportBookClick);
    // The export speaks through the window's voice on a thread of its own: nothing of the
    // window may change that voice meanwhile.
    connect(&longOperation(), &ProgressJob::voiceHeld, this, [this](bool held) {
        for (QWidget* control : std::initializer_list<QWidget*>{cbVoices, TBRate, TBVolume})
            control->setEnabled(!held);
        for (QAction* item : {NDefaultRate, NDefaultvolume})
            item->setEnabled(!held);
    });
}

void TFmain::NExportClick() {
    if (longOperation().refuseWhileRunning())
        return;
    const Dialogs::SaveChoice choice =
        m_platform.dialogs->saveFileName(this, exportFilters(), WavSuffix);
    if (choice.path.isEmpty())
        return;
    const ExportTarget target = exportTarget(choice.path, choice.filter);
    noteCommandStarted();
    if (!prepareExportVoice())
        return;
    const QString selection = RichEdit1->textCursor().selectedText();
    const QString text = selection.isEmpty() ? RichEdit1->toPlainText() : selection;
    if (text.isEmpty())
        return;
    AudioExport* exporter = &audioExport();
    const SharedPronunciation dictionary = pronunciation();
    longOperation().start(exportTexts(QStringLiteral("正在导出：已完成 %1 / %2 个字符")),
                          [=](BackgroundJob::Control& control) {
                              exporter->exportText(target.path, spokenText(*dictionary, text),
                                                   target.format, reportTo(control));
                              return BackgroundJob::Completion{};
                          });
}

void TFmain::NExportLineWavClick() {
    if (longOperation().refuseWhileRunning())
        return;
    const QString folder = m_platform.dialogs->existingDirectory(this, FolderCaption);
    if (folder.isEmpty())
        return;
    noteCommandStarted();
    const QStringList lines = exportLines(RichEdit1->toPlainText());
    if (!lines.isEmpty() && !prepareExportVoice())
        return;
    AudioExport* exporter = &audioExport();
    Shell* shell = m_platform.shell;
    const SharedPronunciation dictionary = pronunciation();
    const auto spokenLine = [dictionary](const QString& line) {
        return spokenText(*dictionary, line);
    };
    longOperation().start(
        exportTexts(QStringLiteral("正在导出：已完成 %1 / %2 行")),
        [=](BackgroundJob::Control& control) -> BackgroundJob::Completion {
            if (!exporter->exportLines(folder, lines, reportTo(control), spokenLine))
                return {};
            return [=] { shell->openUrl(QUrl::fromLocalFile(folder).toString()); };
        });
}

// Every export starts from a fresh engine with the chosen voice, rate and volume; false (and
// nothing written) when the engine refuses.
bool TFmain::prepareExportVoice() {
    try {
        SpVoice1->ReleaseVoice();
        m_listening->end(); // a double-click on a word would go on reading with the voice
        m_paused = false;
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
