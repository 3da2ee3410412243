#include "rich_text.h"

#include "app/app_error.h"
#include "document_file.h"
#include "document_reading.h"

#include <QTextCursor>
#include <QTextDocument>

void RichParagraph::append(const QString& text, const TextStyle& style) {
    if (text.isEmpty())
        return;
    if (!runs.isEmpty() && runs.last().style == style)
        runs.last().text += text;
    else
        runs.append({text, style});
}

bool RichParagraph::isEmpty() const {
    return std::all_of(runs.begin(), runs.end(), [](const TextRun& r) { return r.text.isEmpty(); });
}

QString RichParagraph::text() const {
    QString all;
    for (const TextRun& run : runs)
        all += run.text;
    return all;
}

qint64 utf8Size(QStringView text) {
    qint64 size = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        size += u < 0x80 ? 1 : u < 0x800 ? 2 : QChar::isSurrogate(u) ? 2 : 3;
    }
    return size;
}

namespace {

AppError memoryFailure() {
    return AppError(QStringLiteral("文档的段落和格式变化过多，打开它需要的内存超过 %1 MB")
                        .arg(RichText::MaxMemory / (1024 * 1024)));
}

} // namespace

void RichText::count(QStringView text) {
    if (text.isEmpty())
        return;
    m_utf8Size += utf8Size(text);
    if (m_utf8Size > MaxDocumentFileSize)
        throw AppError(QStringLiteral("文档的文字超过 %1 MB，无法打开")
                           .arg(MaxDocumentFileSize / (1024 * 1024)));
    m_memory += text.size() * CharacterCost + (text == u"\n" ? ParagraphCost : PieceCost);
    if (m_memory > MaxMemory)
        throw memoryFailure();
}

void RichText::add(RichParagraph paragraph) {
    m_paragraphs.push_back(std::move(paragraph));
}

void RichText::add(std::vector<RichParagraph> paragraphs) {
    m_paragraphs.reserve(m_paragraphs.size() + paragraphs.size());
    for (RichParagraph& paragraph : paragraphs)
        m_paragraphs.push_back(std::move(paragraph));
}

void checkMarkdownSize(QStringView text) {
    qint64 memory = text.size() * RichText::CharacterCost;
    bool lineHasText = false;
    for (const QChar c : text) {
        if (c == u'|' || (c == u'\n' && lineHasText))
            memory += RichText::MarkdownBlockCost;
        if (c == u'\n')
            lineHasText = false;
        else if (!c.isSpace())
            lineHasText = true;
    }
    if (memory > RichText::MaxMemory)
        throw memoryFailure();
}

void FlowText::breakParagraph(int nextHeadingLevel) {
    if (!m_paragraph.isEmpty()) {
        m_budget.count(u"\n");
        m_out.push_back(std::move(m_paragraph));
        m_paragraph = {};
    }
    m_paragraph.headingLevel = nextHeadingLevel;
    m_blankPending = false;
}

void FlowText::blank() {
    if (m_paragraph.runs.isEmpty())
        return;
    const QString& last = m_paragraph.runs.last().text;
    if (!last.isEmpty() && last.back() != u'\t' && last.back() != u' ')
        m_blankPending = true;
}

void FlowText::setMarker(const QString& marker) {
    m_marker += marker;
}

void FlowText::put(QStringView text) {
    QString collapsed;
    collapsed.reserve(text.size() + 1);
    for (const QChar c : text) {
        if (c == u' ' || c == u'\n' || c == u'\t' || c == u'\r') {
            m_blankPending = true;
            continue;
        }
        if (!m_marker.isEmpty() && collapsed.isEmpty()) {
            // The item's first text: its number first (after a blank inside a line).
            QString marker = std::exchange(m_marker, QString());
            const QString& last =
                m_paragraph.runs.isEmpty() ? marker : m_paragraph.runs.last().text;
            if (!m_paragraph.isEmpty() && last.back() != u'\t' && last.back() != u' ')
                marker.prepend(u' ');
            m_budget.count(marker);
            m_paragraph.append(marker, {});
            m_blankPending = false;
        }
        if (m_blankPending && (!m_paragraph.isEmpty() || !collapsed.isEmpty()))
            collapsed += u' ';
        m_blankPending = false;
        collapsed += c;
    }
    m_budget.count(collapsed);
    m_paragraph.append(collapsed, style());
}

void FlowText::putExact(const QString& text) {
    m_blankPending = false;
    m_budget.count(text);
    m_paragraph.append(text, style());
}

std::vector<RichParagraph> FlowText::take() {
    breakParagraph();
    return std::move(m_out);
}

namespace {

QTextCharFormat charFormat(const TextStyle& style, int headingLevel) {
    QTextCharFormat format;
    if (style.bold || headingLevel > 0)
        format.setFontWeight(QFont::Bold);
    if (style.italic)
        format.setFontItalic(true);
    if (style.underline)
        format.setFontUnderline(true);
    if (style.pointSize > 0)
        format.setFontPointSize(style.pointSize);
    else if (headingLevel > 0 && headingLevel < 4)
        format.setProperty(QTextFormat::FontSizeAdjustment, 4 - headingLevel);
    return format;
}

} // namespace

void RichText::write(QTextDocument& document) {
    setDocumentAuthor(document, author);
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    bool first = true;
    for (RichParagraph& paragraph : m_paragraphs) {
        QTextBlockFormat block;
        block.setHeadingLevel(std::min(paragraph.headingLevel, 6));
        const QTextCharFormat mark = charFormat({}, paragraph.headingLevel);
        if (first) {
            cursor.setBlockFormat(block);
            cursor.setBlockCharFormat(mark);
        } else {
            cursor.insertBlock(block, mark);
        }
        first = false;
        for (const TextRun& run : paragraph.runs)
            cursor.insertText(run.text, charFormat(run.style, paragraph.headingLevel));
        paragraph.runs = {};
    }
    cursor.endEditBlock();
}

namespace {

QString letters(int number, char16_t a) {
    QString text;
    for (; number > 0; number = (number - 1) / 26)
        text.prepend(QChar(a + (number - 1) % 26));
    return text;
}

QString roman(int number) {
    static const std::pair<int, const char*> digits[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    QString text;
    for (const auto& [value, digit] : digits) {
        for (; number >= value; number -= value)
            text += QLatin1StringView(digit);
    }
    return text;
}

QString chinese(int number) {
    static const QString digits = QStringLiteral("〇一二三四五六七八九");
    if (number < 10)
        return digits[number];
    if (number < 100) {
        const int tens = number / 10, ones = number % 10;
        return (tens > 1 ? QString(digits[tens]) : QString()) + u'十' +
               (ones ? QString(digits[ones]) : QString());
    }
    return QString::number(number);
}

} // namespace

QString listNumber(int number, NumberStyle style) {
    if (number <= 0 || number > 3999)
        return QString::number(number);
    switch (style) {
    case NumberStyle::Decimal:
        break;
    case NumberStyle::LowerLetter:
        return letters(number, u'a');
    case NumberStyle::UpperLetter:
        return letters(number, u'A');
    case NumberStyle::LowerRoman:
        return roman(number);
    case NumberStyle::UpperRoman:
        return roman(number).toUpper();
    case NumberStyle::Chinese:
        return chinese(number);
    }
    return QString::number(number);
}
