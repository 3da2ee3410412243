// 发音词典: the rules of how words are said, kept in the data folder and edited in a dialog.
#include "app/app_error.h"
#include "app/tfmain.h"
#include "platform/data_directory.h"
#include "speech/pronunciation_dialog.h"
#include "speech/pronunciation_file.h"

#include <QAction>

void TFmain::connectPronunciationHandlers() {
    connectItem(NPronunciation, &TFmain::NPronunciationClick);
}

PronunciationFile& TFmain::pronunciationFile() {
    if (!m_pronunciationFile)
        m_pronunciationFile = std::make_unique<PronunciationFile>(
            m_platform.dataDirectory->filePath(PronunciationFile::FileName));
    return *m_pronunciationFile;
}

SharedPronunciation TFmain::pronunciation() {
    try {
        return pronunciationFile().dictionary();
    } catch (const AppError&) {
        return std::make_shared<const PronunciationDictionary>(); // read as written
    }
}

// The dialog stays open when its rules cannot be saved, so that no edit is lost; a save is
// heard from the next reading on.
void TFmain::NPronunciationClick() {
    PronunciationFile& file = pronunciationFile();
    auto* dialog = new PronunciationDialog(
        file.read(),
        [this, &file](const PronunciationList& list) {
            bool saved = false;
            guarded([&] {
                file.save(list);
                saved = true;
            });
            return saved;
        },
        this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &PronunciationDialog::listenRequested, this, [this](const QString& spoken) {
        if (!voiceIsExporting())
            speakAside(spoken);
    });
    dialog->open();
}
