#pragma once

#include <QList>
#include <QString>

// The tones as they are spoken, from the dictionary's: 一 and 不 change before the tones that
// change them and fall neutral between a reduplicated verb (看一看, 好不好), and the second
// syllable of a reduplicated verb is neutral (看看). The third-tone change is the voice's own.
// syllables has one entry for each UTF-16 unit of text, as MandarinPinyin::readings gives them.
QList<QString> spokenTones(const QString& text, QList<QString> syllables);
