// 语音管理: the natural voices installed under the data folder, installed, removed and tried
// out here.
#include "app/app_error.h"
#include "app/progress_job.h"
#include "app/tfmain.h"
#include "platform/dialogs.h"
#include "platform/speech/neural_voice.h"
#include "platform/speech/neural_voice_folder.h"
#include "platform/speech/neural_worker.h"
#include "platform/voice_download.h"
#include "speech/voice_manager_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPointer>
#include <QSlider>
#include <algorithm>

namespace {

const QString TrialLine = QStringLiteral("你好，这是自然语音的试听。Hello, this is a sample.");

ProgressJob::Texts installTexts() {
    return {QStringLiteral("导入语音"), QStringLiteral("正在导入语音，请稍候……"),
            QStringLiteral("正在导入语音，请稍候")};
}

// Once all is downloaded, the archive is unpacked and opened in the helper.
ProgressJob::Texts downloadTexts(const QString& name) {
    ProgressJob::Texts texts{
        QStringLiteral("下载语音"), {}, QStringLiteral("正在下载语音，请稍候")};
    texts.describe = [name](qint64 done, qint64 total) {
        if (total > 0 && done >= total)
            return QStringLiteral("正在安装语音“%1”，请稍候……").arg(name);
        if (total > 0)
            return QStringLiteral("正在下载语音“%1”：%2 / %3")
                .arg(name, voiceSizeText(done), voiceSizeText(total));
        if (done > 0)
            return QStringLiteral("正在下载语音“%1”：%2").arg(name, voiceSizeText(done));
        return QStringLiteral("正在连接下载服务器……");
    };
    return texts;
}

// The voice is opened once in its helper, as speech would open it, and says a line, timed: how
// fast it speaks on this computer is kept with it.
void openInHelper(const QString& folder) {
    NeuralWorker worker;
    const int rate = worker.open(folder).sampleRate;
    const QString line = neuralVoiceLanguage(folder).startsWith(QStringLiteral("en"))
                             ? QStringLiteral("The weather is fine today, let us take a walk.")
                             : QStringLiteral("今天天气很好，我们一起去公园散步吧。");
    QElapsedTimer clock;
    clock.start();
    qint64 samples = 0;
    worker.synthesise({folder}, line, [&](const qint16*, size_t count) {
        samples += qint64(count);
        return true;
    });
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (samples > 0 && rate > 0 && seconds > 0)
        NaturalVoiceStore::recordSpeed(folder, double(samples) / rate / seconds);
}

} // namespace

void TFmain::connectVoiceManagerHandlers() {
    connectItem(NVoiceManager, &TFmain::NVoiceManagerClick);
}

void TFmain::NVoiceManagerClick() {
    auto* dialog = new VoiceManagerDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setVoices(NaturalVoiceStore::installed());
    const QPointer<VoiceManagerDialog> guardedDialog(dialog);
    connect(dialog, &VoiceManagerDialog::importArchiveRequested, this, [this, guardedDialog] {
        importVoice(guardedDialog,
                    m_platform.dialogs->openFileName(
                        guardedDialog,
                        QStringLiteral("语音压缩包 (*.tar.bz2 *.tbz2 *.tar.gz *.tgz *.tar.xz)")));
    });
    connect(dialog, &VoiceManagerDialog::importFolderRequested, this, [this, guardedDialog] {
        importVoice(guardedDialog, m_platform.dialogs->existingDirectory(
                                       guardedDialog, QStringLiteral("选择语音文件夹")));
    });
    // The network is used only here, when the user asks for a voice.
    connect(dialog, &VoiceManagerDialog::downloadRequested, this,
            [this, guardedDialog](const CatalogueVoice& voice) {
                installVoice(guardedDialog, downloadTexts(voice.name),
                             QStringLiteral("已下载并安装语音“%1”，可在语音列表中选用。"),
                             [voice](BackgroundJob::Control& control) {
                                 return downloadVoice(voice, control, openInHelper);
                             });
            });
    connect(dialog, &VoiceManagerDialog::removeRequested, this,
            [this, guardedDialog](const QString& name) {
                guarded([&] { removeNaturalVoice(guardedDialog, name); });
            });
    connect(dialog, &VoiceManagerDialog::listenRequested, this,
            [this](const QString& name) { guarded([&] { tryNaturalVoice(name); }); });
    connect(dialog, &QDialog::finished, this, [this] { m_voiceTrial.reset(); });
    dialog->open();
}

void TFmain::importVoice(const QPointer<VoiceManagerDialog>& dialog, const QString& path) {
    if (path.isEmpty())
        return;
    installVoice(
        dialog, installTexts(), QStringLiteral("已导入语音“%1”，可在语音列表中选用。"),
        [path](BackgroundJob::Control&) { return NaturalVoiceStore::install(path, openInHelper); });
}

// Downloading, unpacking and opening a large voice takes a while: it runs as the window's long
// operation.
void TFmain::installVoice(const QPointer<VoiceManagerDialog>& dialog,
                          const ProgressJob::Texts& texts, const QString& doneFormat,
                          const std::function<QString(BackgroundJob::Control&)>& install) {
    if (longOperation().refuseWhileRunning())
        return;
    longOperation().start(
        texts, [this, dialog, doneFormat, install](BackgroundJob::Control& control) {
            const QString name = install(control);
            return BackgroundJob::Completion([this, dialog, doneFormat, name] {
                naturalVoicesChanged(dialog);
                m_platform.dialogs->showMessage(dialog ? static_cast<QWidget*>(dialog) : this,
                                                QStringLiteral("语音管理"), doneFormat.arg(name),
                                                Dialogs::Icon::Information);
            });
        });
}

void TFmain::removeNaturalVoice(const QPointer<VoiceManagerDialog>& dialog, const QString& name) {
    if (name.isEmpty() || longOperation().refuseWhileRunning())
        return;
    if (!m_platform.dialogs->confirm(
            dialog, QStringLiteral("语音管理"),
            QStringLiteral("删除语音“%1”？它的文件将从磁盘上删除。").arg(name)))
        return;
    const auto chosen = selectedVoice();
    if (chosen && neuralVoiceFolder(chosen->id).endsWith(u'/' + name))
        BtnStopClick(); // its helper lets go of the files
    m_voiceTrial.reset();
    NaturalVoiceStore::remove(name);
    naturalVoicesChanged(dialog);
}

// Heard through a voice of the dialog's own, so that the window's chosen voice stays as it is.
void TFmain::tryNaturalVoice(const QString& name) {
    if (name.isEmpty())
        return;
    if (!m_voiceTrial) {
        m_voiceTrial = std::make_unique<NeuralVoice>();
        connect(m_voiceTrial.get(), &SpeechVoice::SpeakFailed, this,
                [this](const QString& message) { guarded([&] { throw AppError(message); }); });
    }
    const QList<VoiceToken> voices = installedNeuralVoices();
    const QString folder = neuralVoicesFolder() + u'/' + name;
    const auto voice = std::find_if(voices.begin(), voices.end(), [&](const VoiceToken& v) {
        return neuralVoiceFolder(v.id) == folder;
    }); // its first speaker
    if (voice == voices.end())
        return;
    m_voiceTrial->ReleaseVoice();
    m_voiceTrial->setRate(TBRate->value());
    m_voiceTrial->setVolume(TBVolume->value());
    m_voiceTrial->setVoice(*voice);
    m_voiceTrial->Speak(TrialLine, SpeechVoice::SpeakAsync);
}

void TFmain::naturalVoicesChanged(const QPointer<VoiceManagerDialog>& dialog) {
    if (dialog)
        dialog->setVoices(NaturalVoiceStore::installed());
    relistVoices();
}
