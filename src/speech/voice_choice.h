#pragma once

#include <QString>
#include <QStringList>

// The item to select in a voice list of the given texts for a saved index: the saved one when
// it names an item with text, otherwise the first; -1 for an empty list.
int voiceIndexToSelect(int savedIndex, const QStringList& itemTexts);

// Text as the voice is given it: every line break a carriage return and line feed.
QString withCrLfBreaks(QString text);
