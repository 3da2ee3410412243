#include "word_text.h"

#include "text_codec.h"

#include <QStringDecoder>

QString wordConverterText(const QByteArray& output) {
    // Never guessed: one badly encoded character must not turn the whole text into another
    // encoding.
    QStringList lines = splitLines(QString::fromUtf8(output));
    for (QString& line : lines) {
        if (line.size() < 2 || !line.startsWith(u'|') || !line.endsWith(u'|'))
            continue;
        QStringList cells = line.sliced(1, line.size() - 2).split(u'|');
        for (QString& cell : cells)
            cell = cell.trimmed();
        line = cells.join(u'\t');
    }
    return lines.join(u'\n');
}

bool isUsableWordConverterOutput(const QByteArray& output, const QByteArray& errors) {
    if (!errors.trimmed().isEmpty())
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(output);
    return !utf8.hasError() && !text.contains(QChar::ReplacementCharacter);
}
