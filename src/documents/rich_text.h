#pragma once

#include <QList>
#include <QString>
#include <vector>

class QTextDocument;

// The paragraphs a document reader collects before they become a QTextDocument: a small model
// the readers share, so that each only walks its own XML.

struct TextStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    double pointSize = 0; // 0: the editor's size
    bool operator==(const TextStyle&) const = default;
};

struct TextRun {
    QString text;
    TextStyle style;
};

struct RichParagraph {
    int headingLevel = 0; // 0: body text
    QList<TextRun> runs;

    // Joins the last run when the style is the same.
    void append(const QString& text, const TextStyle& style = {});
    bool isEmpty() const;
    QString text() const;
};

// Paragraphs in reading order, refusing to grow past the size the editor opens (the text as
// UTF-8, as for text files). Readers count each piece of text as they take it, so that a
// hostile file is refused before its text fills the memory.
class RichText {
public:
    RichParagraph& add(int headingLevel = 0);
    void add(RichParagraph paragraph);
    void add(std::vector<RichParagraph> paragraphs);
    // AppError once the text counted passes the limit.
    void count(QStringView text);
    const std::vector<RichParagraph>& paragraphs() const { return m_paragraphs; }
    std::vector<RichParagraph>& paragraphs() { return m_paragraphs; }

    // Fills the empty document: headings bold and larger, with their heading level.
    void write(QTextDocument& document) const;

private:
    std::vector<RichParagraph> m_paragraphs;
    qint64 m_utf8Size = 0;
};

// Text that flows in blocks, as in XHTML: blocks end paragraphs, runs of blanks are one blank,
// blanks at a paragraph's ends are dropped, and emphasis nests.
class FlowText {
public:
    explicit FlowText(RichText& budget) : m_budget(budget) {}

    // Ends the paragraph that holds text; the next text starts one with this heading level.
    void breakParagraph(int nextHeadingLevel = 0);
    // Text as it stands in the markup; blanks collapse.
    void put(QStringView text);
    // A tab, a line break: kept as they are.
    void putExact(const QString& text);
    bool paragraphIsEmpty() const { return m_paragraph.isEmpty(); }

    int bold = 0, italic = 0, underline = 0; // open elements of each emphasis

    std::vector<RichParagraph> take();

private:
    TextStyle style() const { return {bold > 0, italic > 0, underline > 0, 0}; }

    RichText& m_budget;
    RichParagraph m_paragraph;
    int m_nextHeading = 0;
    bool m_blankPending = false;
    std::vector<RichParagraph> m_out;
};

// The size of the text in UTF-8.
qint64 utf8Size(QStringView text);

// "1", "a", "iv", "三" ...: a list item's number in the list's style.
enum class NumberStyle { Decimal, LowerLetter, UpperLetter, LowerRoman, UpperRoman, Chinese };
QString listNumber(int number, NumberStyle style);
