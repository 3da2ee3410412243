#pragma once

#include <QString>

class RegistryStore;

// Two extra voices entered in the speech runtime's voice registry while the program runs.
enum class ExtraVoice { Mary, Mike };

struct VoiceTokenPlace {
    QString programFolder; // the program's folder, ending in its separator
    QString windowsDrive;  // letter and colon, or empty where there is none
};

inline const QString VoiceTokensKey =
    QStringLiteral("\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens");

void registerVoice(RegistryStore& store, ExtraVoice voice, const VoiceTokenPlace& place);
void removeVoice(RegistryStore& store, ExtraVoice voice);

// The drive part ("D:") of a path, or empty when the path has none.
QString drivePart(const QString& path);
