// System-wide keys: the commands they give and the dialog that chooses them.
#include "app/profile_file.h"
#include "app/tfmain.h"
#include "platform/data_directory.h"
#include "platform/global_keys.h"
#include "speech/global_keys_dialog.h"
#include "speech/listening.h"
#include "speech/pronunciation.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

void TFmain::applyGlobalKeys() {
    if (!m_platform.globalKeys)
        return;
    if (!m_globalKeysConnected) {
        connect(m_platform.globalKeys, &GlobalKeys::activated, this,
                [this](GlobalCommand command) { guarded([&] { GlobalKeyPressed(command); }); });
        m_globalKeysConnected = true;
    }
    m_platform.globalKeys->setKeys(m_settings.globalKeys);
}

void TFmain::releaseGlobalKeys() {
    if (m_platform.globalKeys)
        m_platform.globalKeys->release();
}

// The keys of the combination are never echoed: their releases come after the command began.
void TFmain::GlobalKeyPressed(GlobalCommand command) {
    noteCommandStarted();
    switch (command) {
    case GlobalCommand::ReadSelection:
        readSelectionAnywhere();
        break;
    case GlobalCommand::PauseResume:
        BtnPauseClick();
        break;
    case GlobalCommand::Stop:
        BtnStopClick();
        break;
    case GlobalCommand::NextSentence:
        NNextSentenceClick();
        break;
    case GlobalCommand::PreviousSentence:
        NPreviousSentenceClick();
        break;
    }
}

// The text selected in any program (the primary selection where the desktop has one, else the
// clipboard), spoken as the dictionary says; the editor's text stays as it was.
void TFmain::readSelectionAnywhere() {
    if (voiceIsExporting())
        return;
    const QClipboard* clipboard = QGuiApplication::clipboard();
    QString text =
        clipboard->supportsSelection() ? clipboard->text(QClipboard::Selection) : QString();
    if (text.isEmpty())
        text = clipboard->text();
    speakAside(spokenText(*pronunciation(), text));
}

// The keys chosen are asked for at once and written to the settings file. While the dialog is
// open the keys are let go, so that pressing one records it instead of giving its command.
void TFmain::NGlobalKeysClick() {
    const QList<GlobalCommand> unavailable =
        m_platform.globalKeys ? m_platform.globalKeys->unavailable() : QList<GlobalCommand>{};
    auto* dialog = new GlobalKeysDialog(m_settings.globalKeys, unavailable, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    releaseGlobalKeys();
    connect(dialog, &QDialog::rejected, this, [this] { guarded([&] { applyGlobalKeys(); }); });
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        guarded([&] {
            m_settings.globalKeys = dialog->keys();
            applyGlobalKeys();
            const QString path = m_platform.dataDirectory->filePath(QStringLiteral("set.ini"));
            ProfileFile profile = ProfileFile::load(path);
            SettingsToSave keys;
            keys.globalKeys = m_settings.globalKeys;
            writeSettings(profile, keys);
            profile.save(path);
        });
    });
    dialog->open();
}
