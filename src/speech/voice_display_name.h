#pragma once

#include "platform/speech/speech_voice.h"

#include <QStringList>

// The names the voice list shows, in the order of the voices: Chinese names for the Chinese
// voices from the program's own table, the language and region in Chinese for the others, the
// engine's name where the language is unknown, and the engine's name added in brackets to
// names that would otherwise be the same.
QStringList voiceDisplayNames(const QList<VoiceToken>& voices);

// What a Chinese voice does with a text, in a sentence for the voice list's tip and
// --list-voices; empty for the other voices.
QString voiceDescription(const VoiceToken& voice);
