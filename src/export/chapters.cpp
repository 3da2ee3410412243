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

// 章节 is the word "chapters", not the unit: "第三章节" opens a sentence.
const QRegularExpression& chineseTitle() {
    static const QRegularExpression pattern(
        QStringLiteral("^第[\\s\\x{3000}]*[0-9０-９零〇一二两三四五六七八九十百千万]+"
                       "[\\s\\x{3000}]*(?:章(?!节)|[节回卷])"));
    return pattern;
}

const QRegularExpression& englishTitle() {
    static const QRegularExpression pattern(QStringLiteral("^chapter\\s+(\\d+|[ivxlcdm]+)\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// "第 3 章" of "第 3 章 尾声 ...... 12": what a contents entry and its chapter share.
QString chapterLabel(const QString& line) {
    const QString title = line.trimmed();
    QRegularExpressionMatch match = chineseTitle().match(title);
    if (!match.hasMatch())
        match = englishTitle().match(title);
    return match.captured().remove(QRegularExpression(QStringLiteral("[\\s\\x{3000}]"))).toLower();
}

bool isContentsHeading(const QString& line) {
    static const QRegularExpression heading(
        QStringLiteral("^(目[\\s\\x{3000}]*录|contents|table of contents)[:：]?$"),
        QRegularExpression::CaseInsensitiveOption);
    return heading.match(line.trimmed()).hasMatch();
}

// A run of title lines with only blank lines between them is a table of contents when it is
// long (a volume title over its first chapter makes a pair) or follows a contents heading.
// Its last line is the first real chapter when the contents listed it ("第一章" again).
QList<qsizetype> withoutContents(const QStringList& lines, const QList<qsizetype>& titles) {
    QList<qsizetype> kept;
    for (qsizetype k = 0; k < titles.size();) {
        qsizetype last = k;
        while (last + 1 < titles.size() && std::all_of(lines.begin() + titles[last] + 1,
                                                       lines.begin() + titles[last + 1], isBlank))
            ++last;
        qsizetype before = titles[k] - 1;
        while (before >= 0 && isBlank(lines[before]))
            --before;
        const bool contents =
            last - k + 1 >= ShortTitlesNeeded || (before >= 0 && isContentsHeading(lines[before]));
        const auto listedBefore = [&] {
            const QString label = chapterLabel(lines[titles[last]]);
            for (qsizetype j = k; j < last; ++j) {
                if (chapterLabel(lines[titles[j]]) == label)
                    return true;
            }
            return false;
        };
        if (!contents)
            kept << titles.mid(k, last - k + 1);
        else if (listedBefore())
            kept << titles[last];
        k = last + 1;
    }
    return kept;
}

QList<qsizetype> patternTitles(const QStringList& lines) {
    QList<qsizetype> titles;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isChapterTitleLine(lines[i]))
            titles << i;
    }
    return withoutContents(lines, titles);
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
    // A title stands alone: a sentence that merely starts like one ("第二节课是数学。") is text.
    static const QString sentenceEnds = QStringLiteral("。！？!?");
    const QString title = line.trimmed();
    if (title.size() > TitleLineLimit || endsLikeSentence(title))
        return false;
    if (std::any_of(title.begin(), title.end(), [](QChar c) { return sentenceEnds.contains(c); }))
        return false;
    return chineseTitle().match(title).hasMatch() || englishTitle().match(title).hasMatch();
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
