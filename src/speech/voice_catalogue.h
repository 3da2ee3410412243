#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// Natural voices the voice manager offers to download, from the speech runtime's model releases.
struct CatalogueVoice {
    enum class Commercial { Unknown, Allowed, NotAllowed };

    QString name;         // the release's archive name and the voice folder's
    QString description;  // in Chinese: what it speaks
    QString language;     // a language tag
    QString licence = {}; // as the release states it; empty: not known here
    Commercial commercial = Commercial::Unknown;
    qint64 bytes = 0;    // the download's approximate size; 0: not known here
    QString sha256 = {}; // lower-case hex of the archive; empty: not checked
};

QList<CatalogueVoice> voiceCatalogue();

// Where the voice's archive is downloaded from: "<name>.tar.bz2" under the releases' address,
// or under PARLORA_VOICE_CATALOGUE_URL when that is set.
QUrl catalogueVoiceAddress(const CatalogueVoice& voice);
