#include "voice_choice.h"

int voiceIndexToSelect(int savedIndex, const QStringList& itemTexts) {
    if (itemTexts.isEmpty())
        return -1;
    if (savedIndex >= 0 && !itemTexts.value(savedIndex).isEmpty())
        return savedIndex;
    return 0;
}

int voiceIndexToSelect(int savedIndex, const QString& savedId, const QList<VoiceToken>& voices,
                       const QStringList& itemTexts) {
    for (qsizetype i = 0; i < voices.size() && !savedId.isEmpty(); ++i) {
        if (voices[i].id == savedId && !itemTexts.value(i).isEmpty())
            return int(i);
    }
    return voiceIndexToSelect(savedIndex, itemTexts);
}

QString withCrLfBreaks(QString text) {
    // The editor marks paragraphs and line breaks in a selection with Unicode separators.
    text.replace(QChar(QChar::ParagraphSeparator), u'\n')
        .replace(QChar(QChar::LineSeparator), u'\n');
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.replace(u'\n', QStringLiteral("\r\n"));
}
