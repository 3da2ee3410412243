#include "export/chapters.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <map>

namespace {

// Titles are short; a long line that happens to start like one is a sentence of the text.
constexpr qsizetype TitleLineLimit = 40;
constexpr qsizetype ShortLineLimit = 30;
// Short lines between blank lines are taken for titles only when there are this many.
constexpr qsizetype ShortTitlesNeeded = 3;

bool isBlank(const QString& line) {
    return line.trimmed().isEmpty();
}

// A title ends no sentence; a short line that does is a line of dialogue or verse.
bool endsLikeSentence(const QString& line) {
    static const QString ends = QStringLiteral("。！？；，.!?;,…”\"");
    return !line.isEmpty() && ends.contains(line.back());
}

QStringList linesOf(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(u'\r', u'\n')
        .replace(QChar(QChar::ParagraphSeparator), u'\n')
        .replace(QChar(QChar::LineSeparator), u'\n');
    return text.split(u'\n');
}

QList<qsizetype> patternTitles(const QStringList& lines) {
    QList<qsizetype> titles;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isChapterTitleLine(lines[i]))
            titles << i;
    }
    return titles;
}

// The ends of the text count as blank lines.
QList<qsizetype> shortLineTitles(const QStringList& lines) {
    QList<qsizetype> titles;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.size() > ShortLineLimit || endsLikeSentence(line))
            continue;
        if ((i == 0 || isBlank(lines[i - 1])) && (i + 1 == lines.size() || isBlank(lines[i + 1])))
            titles << i;
    }
    return titles.size() >= ShortTitlesNeeded ? titles : QList<qsizetype>{};
}

QString joined(const QStringList& lines, qsizetype from, qsizetype to) {
    return lines.mid(from, to - from).join(u'\n');
}

// The text cut before each title line; what comes before the first is the book's own.
QList<Chapter> cutAt(const QStringList& lines, const QList<qsizetype>& titles,
                     const QString& bookTitle) {
    QList<Chapter> chapters;
    if (titles.isEmpty()) {
        const QString text = lines.join(u'\n');
        if (!isBlank(text))
            chapters << Chapter{bookTitle, text};
        return chapters;
    }
    if (const QString before = joined(lines, 0, titles.first()); !isBlank(before))
        chapters << Chapter{bookTitle, before};
    for (qsizetype k = 0; k < titles.size(); ++k) {
        const qsizetype end = k + 1 < titles.size() ? titles[k + 1] : lines.size();
        chapters << Chapter{lines[titles[k]].simplified(), joined(lines, titles[k], end)};
    }
    return chapters;
}

} // namespace

bool isChapterTitleLine(const QString& line) {
    static const QRegularExpression chinese(
        QStringLiteral("^第[0-9０-９零〇一二两三四五六七八九十百千万]+[章节回卷]"));
    static const QRegularExpression english(QStringLiteral("^chapter\\s+(\\d+|[ivxlcdm]+)\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString title = line.trimmed();
    if (title.size() > TitleLineLimit)
        return false;
    return chinese.match(title).hasMatch() || english.match(title).hasMatch();
}

QList<Chapter> findChapters(const QString& text, const QString& bookTitle) {
    const QStringList lines = linesOf(text);
    QList<qsizetype> titles = patternTitles(lines);
    if (titles.isEmpty())
        titles = shortLineTitles(lines);
    return cutAt(lines, titles, bookTitle);
}

QList<Chapter> documentChapters(const QTextDocument& document, const QString& bookTitle) {
    QStringList lines;
    std::map<int, QList<qsizetype>> headings; // by level, the lines of the headings
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level > 0 && !isBlank(block.text()))
            headings[level] << lines.size();
        lines << block.text();
    }
    if (headings.empty())
        return findChapters(document.toPlainText(), bookTitle);
    // A single top heading is the book's title above chapters of the next level.
    const auto level = std::find_if(headings.begin(), headings.end(),
                                    [](const auto& entry) { return entry.second.size() > 1; });
    return cutAt(lines, level == headings.end() ? headings.begin()->second : level->second,
                 bookTitle);
}

QString bookTitle(const QTextDocument& document, const QString& address) {
    if (const QString own = document.metaInformation(QTextDocument::DocumentTitle).simplified();
        !own.isEmpty())
        return own;
    if (const QFileInfo file(address); !address.isEmpty() && file.isFile())
        return file.completeBaseName();
    for (const QString& line : linesOf(document.toPlainText())) {
        const QString title = line.trimmed();
        if (title.isEmpty())
            continue;
        const bool fits = title.size() <= ShortLineLimit && !endsLikeSentence(title) &&
                          !isChapterTitleLine(title);
        return fits ? title.simplified() : QString();
    }
    return {};
}

QList<Chapter> joinedWithPrevious(QList<Chapter> chapters, qsizetype k) {
    if (k <= 0 || k >= chapters.size())
        return chapters;
    chapters[k - 1].text += u'\n' + chapters[k].text;
    chapters.removeAt(k);
    return chapters;
}
