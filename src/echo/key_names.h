#pragma once

#include "echo/keystroke.h"

#include <QString>

// True for values the key module sends: one event, a scan code, no unused bits set, and a
// release only of a key that was down.
bool isKeystroke(std::uint32_t lParam);

// The key's name, the same on every keyboard layout ("A", "5", "Num 5", "Right Shift",
// "Num Enter"); empty for a key without a name.
QString keyNameText(std::uint32_t lParam);

// Drops the "Num ", "Right " and "Left " parts, so a number-pad digit is the digit alone and a
// right-hand modifier is named as the key.
QString cleanKeyName(QString name);

enum class KeyKind { Other, Letter, Digit };

// A one-character name that is an ASCII letter or digit; everything else is Other.
KeyKind keyKind(const QString& cleanedName);
