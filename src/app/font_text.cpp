#include "font_text.h"

#include "profile_number.h"

#include <QStringList>

namespace {

struct Malformed {};

// Removes and returns the text before the first comma; the comma goes too.
QString takeField(QString& text) {
    const qsizetype comma = text.indexOf(u',');
    if (comma < 0)
        throw Malformed{};
    QString field = text.left(comma);
    text.remove(0, comma + 1);
    return field;
}

// The middle of a field: skip characters in front and drop characters at the end.
QString inner(const QString& field, qsizetype front, qsizetype back) {
    return field.mid(front, std::max<qsizetype>(0, field.size() - front - back));
}

void convert(QString text, FontSpec& font) {
    font.name = inner(takeField(text), 1, 1); // "Name"
    const auto size = parseProfileInteger(inner(takeField(text), 1, 0));
    if (!size)
        throw Malformed{};
    font.size = *size;
    const QString styles = inner(takeField(text), 2, 1);        // " [Bold|Italic]"
    const auto color = ColorValue::fromText(inner(text, 2, 1)); // " [clRed]"
    if (!color)
        throw Malformed{};
    font.color = *color;
    const QString marked = u'|' + styles;
    font.bold = marked.contains(QStringLiteral("|Bold"));
    font.italic = marked.contains(QStringLiteral("|Italic"));
    font.underline = marked.contains(QStringLiteral("|Underline"));
    font.strikeout = marked.contains(QStringLiteral("|Strikeout"));
}

} // namespace

QString fontToText(const FontSpec& font) {
    QStringList styles;
    if (font.bold)
        styles << QStringLiteral("Bold");
    if (font.italic)
        styles << QStringLiteral("Italic");
    if (font.underline)
        styles << QStringLiteral("Underline");
    if (font.strikeout)
        styles << QStringLiteral("Strikeout");
    return QStringLiteral("\"%1\", %2, [%3]").arg(font.name).arg(font.size).arg(styles.join(u'|')) +
           QStringLiteral(", [%1]").arg(ColorValue::toText(font.color));
}

void textToFont(const QString& text, FontSpec& font) {
    try {
        convert(text, font);
    } catch (const Malformed&) {
        // What the earlier steps set stays.
    }
}
