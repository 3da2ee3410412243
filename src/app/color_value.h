#pragma once

#include <QColor>
#include <QString>
#include <optional>

class QPalette;

// Colours as the settings file stores them: 32-bit values, 00BBGGRR for a colour given by its
// red, green and blue parts and FF0000nn for the desktop's system colour number nn.
namespace ColorValue {

constexpr qint32 clNone = 0x1FFFFFFF;
constexpr qint32 clDefault = 0x20000000;
constexpr qint32 clWindow = qint32(0xFF000005);
constexpr qint32 clWindowText = qint32(0xFF000008);

// The colour's name when it has one of the 52 known names, otherwise "$" + 8 hex digits.
QString toText(qint32 color);
// A known name (any letter case), or a number in one of the profile forms.
std::optional<qint32> fromText(const QString& text);

// The colour to paint with; system colours come from the palette. clNone and clDefault give an
// invalid QColor: the widget keeps its own colour.
QColor toQColor(qint32 color, const QPalette& palette);

} // namespace ColorValue
