// RTF to QTextDocument. The reader walks the bytes once; groups push and pop the character and
// paragraph state; text bytes are collected and decoded in the current font's code page, so
// that double-byte characters written as two \'hh escapes come out whole.
#include "rtf_code_pages.h"
#include "rtf_codec.h"

#include <QHash>
#include <QImage>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <map>
#include <vector>

namespace {

constexpr int MaxDepth = 200;                 // deeper groups are read but not interpreted
constexpr qsizetype MaxPictureHex = 32 << 20; // a picture's hex digits
constexpr double TwipsPerPixel = 15;          // at 96 dots per inch

enum class Destination { Text, FontTable, ColorTable, Picture, Skip };

struct Font {
    QString name;
    QByteArray encoding;
};

struct Picture {
    QByteArray hex;
    bool known = false; // PNG or JPEG
    int widthTwips = 0;
    int heightTwips = 0;
};

struct GroupState {
    Destination destination = Destination::Text;
    QTextCharFormat chars;
    QTextBlockFormat block;
    int font = -1;
    int unicodeSkip = 1;
    bool doubleByte = false; // after \dbch: the associated (Asian) font settings apply
    QByteArray encoding;
};

struct ControlWord {
    QByteArray word;
    bool hasParameter = false;
    int parameter = 0;
};

// Destinations whose content the document does not show.
bool isHiddenDestination(const QByteArray& word) {
    static const QList<QByteArray> hidden{
        "info",         "stylesheet", "header",    "headerl",           "headerr",
        "headerf",      "footer",     "footerl",   "footerr",           "footerf",
        "footnote",     "fldinst",    "listtable", "listoverridetable", "revtbl",
        "rsidtbl",      "generator",  "xmlnstbl",  "themedata",         "colorschememapping",
        "latentstyles", "datastore",  "filetbl",   "nonshppict",        "object",
        "template",     "annotation", "atnid",     "atnauthor",         "bkmkstart",
        "bkmkend",      "pgdsctbl",   "mmathPr"};
    return hidden.contains(word);
}

class RtfReader {
public:
    RtfReader(const QByteArray& rtf, QTextDocument& document)
        : m_in(rtf), m_document(document), m_cursor(&document) {}

    void read() {
        m_document.clear();
        m_cursor = QTextCursor(&m_document);
        m_states.push_back({});
        m_states.back().encoding = "windows-1252";
        // One edit: the cursor then does not lay out each paragraph after every insertion to
        // find its position on screen, which was most of the reading time.
        m_cursor.beginEditBlock();
        while (m_pos < m_in.size())
            step();
        flushText();
        m_cursor.endEditBlock();
    }

private:
    GroupState& state() { return m_states.back(); }
    bool interpreting() const { return m_depth <= MaxDepth; }

    void step() {
        const char c = m_in[m_pos];
        if (c == '{') {
            ++m_pos;
            m_skipCount = 0;
            m_starred = false;
            openGroup();
        } else if (c == '}') {
            ++m_pos;
            m_skipCount = 0;
            closeGroup();
        } else if (c == '\\') {
            controlSequence();
        } else if (c == '\r' || c == '\n') {
            ++m_pos;
        } else {
            ++m_pos;
            if (m_skipCount > 0)
                --m_skipCount;
            else
                textByte(c);
        }
    }

    void openGroup() {
        ++m_depth;
        if (!interpreting())
            return;
        flushText();
        GroupState inner = state();
        m_states.push_back(std::move(inner));
    }

    void closeGroup() {
        if (m_depth == 0)
            return; // a stray closing brace
        const bool interpreted = interpreting();
        --m_depth;
        if (!interpreted || m_states.size() <= 1)
            return;
        flushText();
        const Destination ending = state().destination;
        m_states.pop_back();
        if (ending == Destination::Picture && state().destination != Destination::Picture)
            insertPicture();
        // Text before any font change is in the default font.
        if (ending == Destination::FontTable && state().destination == Destination::Text &&
            state().font < 0)
            selectFont(m_defaultFont);
    }

    void controlSequence() {
        ++m_pos; // the backslash
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (c == '\'') {
            const int byte = hexByte(m_pos + 1);
            m_pos += byte < 0 ? 1 : 3;
            if (byte < 0)
                return;
            if (m_skipCount > 0)
                --m_skipCount;
            else
                textByte(char(byte));
            return;
        }
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++m_pos;
            if (m_skipCount > 0) {
                --m_skipCount;
                return;
            }
            controlSymbol(c);
            return;
        }
        const ControlWord word = readControlWord();
        if (m_skipCount > 0 && word.word != "bin") {
            --m_skipCount;
            return;
        }
        if (interpreting())
            apply(word);
    }

    int hexByte(qsizetype at) const {
        if (at + 1 >= m_in.size())
            return -1;
        bool ok = false;
        const int value = m_in.mid(at, 2).toInt(&ok, 16);
        return ok ? value : -1;
    }

    ControlWord readControlWord() {
        ControlWord word;
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && std::isalpha(static_cast<unsigned char>(m_in[m_pos])) &&
               m_pos - start < 32)
            ++m_pos;
        word.word = m_in.mid(start, m_pos - start);
        const qsizetype numberStart = m_pos;
        if (m_pos < m_in.size() && m_in[m_pos] == '-')
            ++m_pos;
        while (m_pos < m_in.size() && std::isdigit(static_cast<unsigned char>(m_in[m_pos])) &&
               m_pos - numberStart < 11)
            ++m_pos;
        if (m_pos > numberStart && !(m_pos == numberStart + 1 && m_in[numberStart] == '-')) {
            word.hasParameter = true;
            word.parameter = int(std::clamp(m_in.mid(numberStart, m_pos - numberStart).toLongLong(),
                                            qlonglong(INT_MIN), qlonglong(INT_MAX)));
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos;
        return word;
    }

    void controlSymbol(char c) {
        if (!interpreting())
            return;
        switch (c) {
        case '*':
            // An ignorable destination: shown only if this reader knows the word after it.
            m_starred = true;
            return;
        case '~':
            insertText(QString(QChar(0x00A0)));
            return;
        case '_':
            insertText(QString(QChar(0x2011)));
            return;
        case '-':
            return; // optional hyphen
        case '\r':
        case '\n':
            paragraph();
            return;
        default:
            textByte(c); // \\, \{, \} and unknown symbols stand for themselves
        }
    }

    void apply(const ControlWord& w) {
        const bool starred = std::exchange(m_starred, false);
        if (state().destination == Destination::Skip)
            return;
        const QByteArray& word = w.word;
        const int n = w.parameter;
        const bool on = !w.hasParameter || n != 0;

        // Destinations.
        if (word == "fonttbl")
            return setDestination(Destination::FontTable);
        if (word == "colortbl")
            return setDestination(Destination::ColorTable);
        if (word == "pict") {
            m_picture = {};
            return setDestination(Destination::Picture);
        }
        if (word == "shppict" || word == "fldrslt")
            return;
        if (starred || isHiddenDestination(word))
            return setDestination(Destination::Skip);
        if (word == "bin") {
            flushText();
            m_pos = std::min(m_in.size(), m_pos + qsizetype(std::max(0, n)));
            return;
        }
        switch (state().destination) {
        case Destination::FontTable:
            return fontTableWord(word, n);
        case Destination::ColorTable:
            return colorTableWord(word, n);
        case Destination::Picture:
            return pictureWord(word, n);
        case Destination::Skip:
            return;
        case Destination::Text:
            break;
        }

        if (word == "par" || word == "sect" || word == "page")
            return paragraph();
        if (word == "line")
            return insertText(QString(QChar::LineSeparator));
        if (word == "tab" || word == "cell")
            return insertText(QStringLiteral("\t"));
        if (word == "row")
            return endRow();
        if (word == "u") {
            insertText(QString(QChar(char16_t(n < 0 ? n + 65536 : n))));
            m_skipCount = state().unicodeSkip;
            return;
        }
        if (word == "uc")
            return void(state().unicodeSkip = std::clamp(n, 0, 16));
        if (word == "ansicpg") {
            m_defaultEncoding = encodingForCodePage(n);
            if (!m_defaultEncoding.isEmpty())
                state().encoding = m_defaultEncoding;
            return;
        }
        if (word == "deff")
            return void(m_defaultFont = n);
        static const QHash<QByteArray, QString> specials{
            {"emdash", QStringLiteral("\u2014")},    {"endash", QStringLiteral("\u2013")},
            {"lquote", QStringLiteral("\u2018")},    {"rquote", QStringLiteral("\u2019")},
            {"ldblquote", QStringLiteral("\u201C")}, {"rdblquote", QStringLiteral("\u201D")},
            {"bullet", QStringLiteral("\u2022")},    {"emspace", QStringLiteral("\u2003")},
            {"enspace", QStringLiteral("\u2002")},   {"qmspace", QStringLiteral("\u2005")}};
        if (const auto special = specials.find(word); special != specials.end())
            return insertText(*special);
        characterOrParagraphWord(word, w.hasParameter, n, on);
    }

    void characterOrParagraphWord(const QByteArray& word, bool hasParameter, int n, bool on) {
        flushText();
        if (characterWord(word, hasParameter, n, on))
            return;
        // Paragraph properties belong to the paragraph they stand in, from its start.
        if (paragraphWord(word, n))
            m_cursor.setBlockFormat(state().block);
    }

    bool characterWord(const QByteArray& word, bool hasParameter, int n, bool on) {
        QTextCharFormat& chars = state().chars;
        if (word == "b")
            chars.setFontWeight(on ? QFont::Bold : QFont::Normal);
        else if (word == "i")
            chars.setFontItalic(on);
        else if (word == "ul")
            chars.setFontUnderline(on);
        else if (word == "ulnone")
            chars.setFontUnderline(false);
        else if (word == "strike")
            chars.setFontStrikeOut(on);
        else if ((word == "fs" || (word == "afs" && state().doubleByte)) && n > 0)
            chars.setFontPointSize(std::min(n, 3276) / 2.0);
        else if ((word == "f" || (word == "af" && state().doubleByte)) && hasParameter)
            selectFont(n);
        else if (word == "dbch")
            state().doubleByte = true;
        else if (word == "loch" || word == "hich")
            state().doubleByte = false;
        else if (word == "cf")
            setColor(chars, QTextFormat::ForegroundBrush, n);
        else if (word == "cb" || word == "highlight")
            setColor(chars, QTextFormat::BackgroundBrush, n);
        else if (word == "plain") {
            chars = QTextCharFormat();
            selectFont(m_defaultFont);
        } else
            return false;
        return true;
    }

    bool paragraphWord(const QByteArray& word, int n) {
        QTextBlockFormat& block = state().block;
        if (word == "pard")
            block = QTextBlockFormat();
        else if (word == "ql")
            block.setAlignment(Qt::AlignLeft);
        else if (word == "qc")
            block.setAlignment(Qt::AlignHCenter);
        else if (word == "qr")
            block.setAlignment(Qt::AlignRight);
        else if (word == "qj")
            block.setAlignment(Qt::AlignJustify);
        else if (word == "li")
            block.setLeftMargin(n / TwipsPerPixel);
        else if (word == "ri")
            block.setRightMargin(n / TwipsPerPixel);
        else if (word == "fi")
            block.setTextIndent(n / TwipsPerPixel);
        else if (word == "sb")
            block.setTopMargin(n / TwipsPerPixel);
        else if (word == "sa")
            block.setBottomMargin(n / TwipsPerPixel);
        else if (word == "outlinelevel") // 0 is the top heading
            block.setHeadingLevel(std::clamp(n + 1, 1, 6));
        else
            return false;
        return true;
    }

    void setColor(QTextCharFormat& chars, QTextFormat::Property property, int index) {
        const QColor color = index >= 0 && index < m_colors.size() ? m_colors[index] : QColor();
        if (color.isValid())
            chars.setProperty(property, QBrush(color));
        else
            chars.clearProperty(property);
    }

    void selectFont(int number) {
        state().font = number;
        const auto font = m_fonts.find(number);
        if (font == m_fonts.end())
            return;
        if (!font->name.isEmpty())
            state().chars.setFontFamilies({font->name});
        state().encoding = font->encoding.isEmpty() ? m_defaultEncoding : font->encoding;
    }

    void setDestination(Destination destination) {
        flushText();
        state().destination = destination;
    }

    void fontTableWord(const QByteArray& word, int n) {
        if (word == "f") {
            flushText();
            state().font = n;
            m_fonts[n].encoding = m_defaultEncoding;
        } else if (word == "fcharset" || word == "cpg") {
            const QByteArray encoding =
                word == "cpg" ? encodingForCodePage(n) : encodingForCharset(n);
            if (!encoding.isEmpty()) {
                m_fonts[state().font].encoding = encoding;
                state().encoding = encoding;
            }
        } else if (word == "u") {
            // Names outside the code page (宋体 written by a Unicode writer) come as \uN.
            flushText();
            m_fontName += QChar(char16_t(n < 0 ? n + 65536 : n));
            m_skipCount = state().unicodeSkip;
        } else if (word == "uc") {
            state().unicodeSkip = std::clamp(n, 0, 16);
        }
    }

    void colorTableWord(const QByteArray& word, int n) {
        const int value = std::clamp(n, 0, 255);
        if (word == "red")
            m_pendingColor.setRed(value);
        else if (word == "green")
            m_pendingColor.setGreen(value);
        else if (word == "blue")
            m_pendingColor.setBlue(value);
        else
            return;
        m_colorGiven = true;
    }

    void pictureWord(const QByteArray& word, int n) {
        if (word == "pngblip" || word == "jpegblip")
            m_picture.known = true;
        else if (word == "picwgoal")
            m_picture.widthTwips = n;
        else if (word == "pichgoal")
            m_picture.heightTwips = n;
    }

    void textByte(char c) {
        if (!interpreting())
            return;
        switch (state().destination) {
        case Destination::Skip:
            return;
        case Destination::Picture:
            if (m_picture.hex.size() < MaxPictureHex &&
                std::isxdigit(static_cast<unsigned char>(c)))
                m_picture.hex.append(c);
            return;
        case Destination::ColorTable:
            if (c == ';') {
                m_colors.append(m_colorGiven ? m_pendingColor : QColor());
                m_pendingColor = QColor(0, 0, 0);
                m_colorGiven = false;
            }
            return;
        case Destination::FontTable:
            if (c == ';') {
                flushText();
                if (m_fonts.contains(state().font))
                    m_fonts[state().font].name = m_fontName.trimmed();
                m_fontName.clear();
                return;
            }
            break;
        case Destination::Text:
            break;
        }
        m_pending.append(c);
    }

    // Decodes the collected bytes in the current code page.
    void flushText() {
        if (m_pending.isEmpty())
            return;
        const QString text = decode(m_pending);
        m_pending.clear();
        if (state().destination == Destination::FontTable)
            m_fontName += text;
        else if (state().destination == Destination::Text)
            m_cursor.insertText(text, state().chars);
    }

    QString decode(const QByteArray& bytes) {
        if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
            return QString::fromLatin1(bytes);
        const QByteArray& name = state().encoding;
        auto decoder = m_decoders.find(name);
        if (decoder == m_decoders.end())
            decoder =
                m_decoders.try_emplace(name, name.constData(), QStringDecoder::Flag::Stateless)
                    .first;
        return decoder->second.isValid() ? decoder->second(bytes) : QString::fromLatin1(bytes);
    }

    void insertText(const QString& text) {
        if (state().destination != Destination::Text)
            return;
        flushText();
        m_cursor.insertText(text, state().chars);
    }

    void paragraph() {
        if (state().destination != Destination::Text)
            return;
        flushText();
        m_cursor.setBlockFormat(state().block);
        m_cursor.insertBlock(state().block, state().chars);
    }

    // A table row becomes one paragraph, its cells separated by tabs.
    void endRow() {
        flushText();
        if (m_cursor.block().text().endsWith(u'\t'))
            m_cursor.deletePreviousChar();
        paragraph();
    }

    void insertPicture() {
        if (!m_picture.known || state().destination != Destination::Text)
            return;
        QImage image;
        if (!image.loadFromData(QByteArray::fromHex(m_picture.hex)))
            return;
        const QUrl name(QStringLiteral("rtfimage://%1").arg(++m_pictures));
        m_document.addResource(QTextDocument::ImageResource, name, image);
        QTextImageFormat format;
        format.setName(name.toString());
        if (m_picture.widthTwips > 0 && m_picture.heightTwips > 0) {
            format.setWidth(m_picture.widthTwips / TwipsPerPixel);
            format.setHeight(m_picture.heightTwips / TwipsPerPixel);
        }
        m_cursor.insertImage(format);
    }

    const QByteArray& m_in;
    QTextDocument& m_document;
    QTextCursor m_cursor;
    qsizetype m_pos = 0;
    int m_depth = 0;
    int m_skipCount = 0;
    bool m_starred = false;
    std::vector<GroupState> m_states;
    QByteArray m_pending;
    QByteArray m_defaultEncoding = "windows-1252";
    int m_defaultFont = 0;
    QHash<int, Font> m_fonts;
    std::map<QByteArray, QStringDecoder> m_decoders; // opening a converter costs more than using it
    QString m_fontName;
    QList<QColor> m_colors;
    QColor m_pendingColor{0, 0, 0};
    bool m_colorGiven = false;
    Picture m_picture;
    int m_pictures = 0;
};

} // namespace

bool readRtf(const QByteArray& rtf, QTextDocument& document) {
    if (!rtf.startsWith("{\\rtf"))
        return false;
    RtfReader(rtf, document).read();
    return true;
}
