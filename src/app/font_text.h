#pragma once

#include "color_value.h"

#include <QString>

// The editor's font as the settings file keeps it: face, size in points, styles and colour.
struct FontSpec {
    QString name = QStringLiteral("Tahoma");
    int size = 8;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    qint32 color = ColorValue::clWindowText;

    bool operator==(const FontSpec&) const = default;
};

// "Tahoma", 8, [Bold|Italic], [clRed]
QString fontToText(const FontSpec& font);

// Sets name, size, colour and styles of font from text, in that order. A malformed text ends
// the conversion silently, keeping what the earlier steps set.
void textToFont(const QString& text, FontSpec& font);
