#pragma once

#include "platform/speech/speech_voice.h"

#include <QString>
#include <QStringList>

// The item to select in a voice list of the given texts for a saved index: the saved one when
// it names an item with text, otherwise the first; -1 for an empty list.
int voiceIndexToSelect(int savedIndex, const QStringList& itemTexts);
// The same for a voice saved with its id beside its index: the voice of that id wherever it
// now stands, as installing a natural voice moves the voices after it; by the index when the
// id is not saved or the voice is gone.
int voiceIndexToSelect(int savedIndex, const QString& savedId, const QList<VoiceToken>& voices,
                       const QStringList& itemTexts);

// Text as the voice is given it: every line break a carriage return and line feed.
QString withCrLfBreaks(QString text);
