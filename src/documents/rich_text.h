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
// UTF-8, as for text files) and past what they and the document they fill may take of the
// memory. Readers count each piece of text as they take it and each paragraph ("\n") as they
// begin it, so that a hostile file is refused before it fills the memory: a paragraph or a
// piece of text costs far more than its characters, in these structures and in the document.
class RichText {
public:
    // What the reading may hold at once, and what each paragraph, each piece of text and each
    // character is estimated to cost, here and in the document that write() fills (measured:
    // some 430 bytes at the peak for a paragraph of three letters, 150 for a piece of text).
    // A Markdown block costs more, the parser's own structures with it.
    static constexpr qint64 MaxMemory = 150LL * 1024 * 1024;
    static constexpr qint64 ParagraphCost = 300;
    static constexpr qint64 PieceCost = 140;
    static constexpr qint64 CharacterCost = 4; // UTF-16, here and in the document
    static constexpr qint64 MarkdownBlockCost = 800;

    // The paragraphs were counted as they were begun.
    void add(RichParagraph paragraph);
    void add(std::vector<RichParagraph> paragraphs);
    // AppError once the text counted passes the limit, or the memory its pieces and paragraphs
    // take passes MaxMemory.
    void count(QStringView text);
    const std::vector<RichParagraph>& paragraphs() const { return m_paragraphs; }
    std::vector<RichParagraph>& paragraphs() { return m_paragraphs; }

    // Who wrote the document, as its own description names them; empty when it does not.
    QString author;

    // Fills the empty document: headings bold and larger, with their heading level; the author
    // kept with it (documentAuthor, document_reading.h). Each
    // paragraph's text is let go as it is written, so that the text is not held twice.
    void write(QTextDocument& document);

private:
    std::vector<RichParagraph> m_paragraphs;
    qint64 m_utf8Size = 0;
    qint64 m_memory = 0;
};

// The memory a Markdown text would take once read, by the same estimate: each line and each
// table cell may be a paragraph, blank lines none. AppError when it passes RichText::MaxMemory.
void checkMarkdownSize(QStringView text);

// Text that flows in blocks, as in XHTML: blocks end paragraphs, runs of blanks are one blank,
// blanks at a paragraph's ends are dropped, and emphasis nests.
class FlowText {
public:
    explicit FlowText(RichText& budget) : m_budget(budget) {}

    // Ends the paragraph that holds text; the next text starts one with this heading level.
    void breakParagraph(int nextHeadingLevel = 0);
    // Text as it stands in the markup; blanks collapse.
    void put(QStringView text);
    // A blank between the text before and the text after, unless a blank or a tab is there.
    void blank();
    // A tab, a line break: kept as they are.
    void putExact(const QString& text);
    // A list item's number or bullet: put before the next text, in whatever paragraph it comes,
    // so that the blocks inside an item keep it on their first line. A marker still waiting
    // when another comes (a list that opens its item) is put before it.
    void setMarker(const QString& marker);
    bool paragraphIsEmpty() const { return m_paragraph.isEmpty(); }

    int bold = 0, italic = 0, underline = 0; // open elements of each emphasis

    std::vector<RichParagraph> take();

private:
    TextStyle style() const { return {bold > 0, italic > 0, underline > 0, 0}; }

    RichText& m_budget;
    RichParagraph m_paragraph;
    int m_nextHeading = 0;
    bool m_blankPending = false;
    QString m_marker;
    std::vector<RichParagraph> m_out;
};

// The size of the text in UTF-8.
qint64 utf8Size(QStringView text);

// "1", "a", "iv", "三" ...: a list item's number in the list's style.
enum class NumberStyle { Decimal, LowerLetter, UpperLetter, LowerRoman, UpperRoman, Chinese };
QString listNumber(int number, NumberStyle style);
