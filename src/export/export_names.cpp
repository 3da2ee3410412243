#include "export/export_names.h"

#include <algorithm>

namespace {

// A full stop, question or exclamation mark that ends a sentence: full-width ones always, the
// others when a blank follows.
bool endsSentence(const QString& text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (c == u'。' || c == u'！' || c == u'？')
        return true;
    return (c == u'.' || c == u'!' || c == u'?') && i + 1 < text.size() && text[i + 1].isSpace();
}

bool isBlankOrControl(QChar c) {
    return c.unicode() <= u' ';
}

// The longest start of text whose UTF-8 form fits in bytes, never splitting a surrogate pair.
QString fitted(const QString& text, int bytes) {
    int used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const qsizetype length = text.at(end).isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
        const int size = int(text.mid(end, length).toUtf8().size());
        if (used + size > bytes)
            break;
        used += size;
        end += length;
    }
    return text.left(end);
}

} // namespace

QString lowerCaseFileName(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    QString name = path.mid(slash + 1);
    for (QChar& c : name) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return path.left(slash + 1) + name;
}

QStringList exportLines(const QString& plainText) {
    QString text = plainText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QChar(QChar::ParagraphSeparator), u'\n')
        .replace(QChar(QChar::LineSeparator), u'\n');
    QStringList lines = text.split(u'\n');
    if (lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

QString trimmedLine(const QString& line) {
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && isBlankOrControl(line.at(begin)))
        ++begin;
    while (end > begin && isBlankOrControl(line.at(end - 1)))
        --end;
    return line.mid(begin, end - begin);
}

QString fittedFileBase(const QString& prefix, const QString& text, int suffixBytes) {
    QString form = text;
    for (const QChar c : QStringLiteral("\\/:*?\"<>|"))
        form.replace(c, u' ');
    const int room = FileNameLimit - int(prefix.toUtf8().size()) - suffixBytes;
    return prefix + fitted(form, room);
}

QString lineFileName(int number, const QString& line) {
    const QString suffix = QStringLiteral(".wav");
    return fittedFileBase(QString::number(number) + u'.', trimmedLine(line), int(suffix.size())) +
           suffix;
}

QString chapterFileBase(int number, int count, const QString& title, int suffixBytes) {
    const int digits = std::max(2, int(QString::number(count).size()));
    const QString prefix = QStringLiteral("%1 ").arg(number, digits, 10, QChar(u'0'));
    return trimmedLine(fittedFileBase(prefix, trimmedLine(title), suffixBytes));
}

QStringList speechPieces(const QString& text, qsizetype limit) {
    QStringList pieces;
    qsizetype start = 0;
    qsizetype lineEnd = 0;     // just after the last line break seen
    qsizetype sentenceEnd = 0; // just after the last end of a sentence seen
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            lineEnd = i + 1;
        else if (endsSentence(text, i))
            sentenceEnd = i + 1;
        if (i + 1 - start < limit)
            continue;
        // Full: cut at the last line break, else at the last sentence's end; a longer sentence
        // runs on to its own end.
        const qsizetype end = lineEnd > start ? lineEnd : sentenceEnd;
        if (end > start) {
            pieces << text.mid(start, end - start);
            start = end;
        }
    }
    if (start < text.size())
        pieces << text.mid(start);
    return pieces;
}
