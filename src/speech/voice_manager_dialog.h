#pragma once

#include "speech/natural_voice_store.h"
#include "speech/voice_catalogue.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

// 语音管理: the natural voices installed, with their language, size, licence and sample rate.
// The window does what its buttons ask: installing runs as the window's long operation, and
// the list is given again when it changes.
class VoiceManagerDialog : public QDialog {
    Q_OBJECT
public:
    explicit VoiceManagerDialog(QWidget* parent);

    void setVoices(const QList<NaturalVoiceStore::VoiceDetails>& voices);
    // The name of the voice chosen in the list; empty when none is.
    QString chosenVoice() const;

Q_SIGNALS:
    void importArchiveRequested();
    void importFolderRequested();
    // The user chose a voice of the catalogue to download.
    void downloadRequested(const CatalogueVoice& voice);
    void removeRequested(const QString& name);
    void listenRequested(const QString& name);

private:
    void updateButtons();
    void chooseDownload();

    QTableWidget* m_table;
    QLabel* m_empty;
    QPushButton* m_remove;
    QPushButton* m_listen;
};

// A size as the list shows it: "12.3 MB", "850 KB".
QString voiceSizeText(qint64 bytes);
// How fast a voice speaks ("实时的 3.2 倍": 3.2 seconds of speech a second); "未测量" for 0.
QString voiceSpeedText(double speed);
// A language tag's name in Chinese, or the tag where it has none.
QString voiceLanguageText(const QString& tag);
