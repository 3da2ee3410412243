#pragma once

#include "speech/voice_catalogue.h"

#include <QDialog>
#include <optional>

class QPushButton;
class QTableWidget;

// 下载语音: the catalogue's voices with what they speak, their licence and size; the one chosen
// is what the window downloads once the dialog is accepted.
class VoiceDownloadDialog : public QDialog {
    Q_OBJECT
public:
    VoiceDownloadDialog(QWidget* parent, const QList<CatalogueVoice>& voices);

    // The voice chosen in the list; nothing when none is.
    std::optional<CatalogueVoice> chosenVoice() const;

private:
    QList<CatalogueVoice> m_voices;
    QTableWidget* m_table;
    QPushButton* m_download;
};
