#include "export/export_names.h"

#include "app/code_points.h"
#include "speech/text_units.h"

#include <algorithm>

namespace {

// A sentence that ends with its own mark (closing quotes and brackets after it aside): a line
// break inside a hard-wrapped sentence ends a listening sentence, but calls for no pause.
bool endsWithMark(const QString& text, const TextSpan& sentence) {
    static const QString closing = QStringLiteral("”’」』）】》〉〕］｝)]}\"'");
    static const QString marks = QStringLiteral("。！？；.!?;…");
    qsizetype at = sentence.end;
    while (at > sentence.start && closing.contains(text[at - 1]))
        --at;
    return at > sentence.start && marks.contains(text[at - 1]);
}

// Where a piece from start that holds too long a sentence ends: after its last clause mark or
// blank that fits, else at limit (never between the halves of a surrogate pair).
qsizetype cutInSentence(const QString& text, qsizetype start, qsizetype limit) {
    static const QString clauseMarks = QStringLiteral("，、：；,:;—");
    const qsizetype most = std::min(text.size(), start + limit);
    if (most == text.size())
        return most;
    for (qsizetype at = most; at > start + 1; --at) {
        if (clauseMarks.contains(text[at - 1]) || text[at - 1].isSpace())
            return at;
    }
    return text[most - 1].isHighSurrogate() ? most + 1 : most;
}

bool isBlankOrControl(QChar c) {
    return c.unicode() <= u' ';
}

// The longest start of text whose UTF-8 form fits in bytes, never splitting a surrogate pair.
QString fitted(const QString& text, int bytes) {
    int used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const qsizetype length = unitsOfCharacterAt(text, end);
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
    for (QChar& c : form) {
        if (c.unicode() < u' ' || c.unicode() == 0x7f || QStringView(u"\\/:*?\"<>|").contains(c))
            c = u' ';
    }
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

SpeechPieces speechPieces(const QString& text, qsizetype limit) {
    // Where a piece may end with a pause: after a sentence and the blanks that follow it.
    QList<qsizetype> ends;
    const QList<TextSpan> sentences = sentenceSpans(text);
    for (qsizetype k = 0; k < sentences.size(); ++k) {
        const qsizetype next = k + 1 < sentences.size() ? sentences[k + 1].start : text.size();
        if (next == text.size() || endsWithMark(text, sentences[k]) ||
            text.mid(sentences[k].end, next - sentences[k].end).count(u'\n') > 1)
            ends << next;
    }
    SpeechPieces pieces;
    qsizetype start = 0;
    auto end = ends.cbegin();
    while (start < text.size()) {
        while (end != ends.cend() && *end <= start)
            ++end;
        // The furthest sentence end that fits, else a cut inside the sentence.
        qsizetype cut = -1;
        for (auto e = end; e != ends.cend() && *e - start <= limit; ++e)
            cut = *e;
        const bool pause = cut > start;
        if (!pause)
            cut = cutInSentence(text, start, limit);
        pieces.texts << text.mid(start, cut - start);
        pieces.endPauses << (pause && cut < text.size());
        start = cut;
    }
    return pieces;
}
