#include "voice_choice.h"

int voiceIndexToSelect(int savedIndex, const QStringList& itemTexts) {
    if (itemTexts.isEmpty())
        return -1;
    if (savedIndex >= 0 && !itemTexts.value(savedIndex).isEmpty())
        return savedIndex;
    return 0;
}

QString withCrLfBreaks(QString text) {
    // The editor marks paragraphs and line breaks in a selection with Unicode separators.
    text.replace(QChar(QChar::ParagraphSeparator), u'\n')
        .replace(QChar(QChar::LineSeparator), u'\n');
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.replace(u'\n', QStringLiteral("\r\n"));
}
