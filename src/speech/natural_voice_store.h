#pragma once

#include <QList>
#include <QString>
#include <functional>

// The natural voices installed under neuralVoicesFolder(), as the voice manager shows them, and
// the installing and removing of them. Nothing is ever left half-installed: a voice is unpacked
// or copied into a hidden folder beside the others, checked, and only then takes its name.
namespace NaturalVoiceStore {

struct VoiceDetails {
    QString name;       // the folder's name
    QString language;   // a language tag, as neuralVoiceLanguage gives it
    qint64 bytes = 0;   // all its files
    QString licence;    // from the model's metadata or the folder's licence file; empty: none
    int sampleRate = 0; // from the model's metadata; 0: not said
    // Seconds of speech one second of a helper's work makes on this computer, measured when
    // the voice was installed; 0: not measured.
    double speed = 0;
};

QList<VoiceDetails> installed();

// Opens the voice folder once as speech would (in the helper); AppError saying why when it
// cannot be used.
using VoiceCheck = std::function<void(const QString& folder)>;

// Installs a voice from a downloaded archive (.tar.bz2, .tar.gz, .tar.xz) or a folder, and
// returns its name. AppError, in Chinese, when the archive or folder is no voice (no single
// model file, no tokens.txt, neither lexicon.txt nor espeak-ng-data), holds anything but plain
// files and folders or a path leading out of it, a voice of that name is installed already, or
// check refuses it.
QString install(const QString& archiveOrFolder, const VoiceCheck& check);

// Removes what an install or a download ended by a kill left in the voices folder: its hidden
// work folders (.installing-*, .download-*) in which nothing has changed for a day.
void removeAbandonedWork();

// Keeps a voice folder's measured speed with it.
void recordSpeed(const QString& folder, double speed);

// Removes an installed voice; AppError when it cannot be removed.
void remove(const QString& name);

} // namespace NaturalVoiceStore
