// Word 2007 and later (.docx, .docm): WordprocessingML in a zip container.
#include "app/app_error.h"
#include "document_kind.h"
#include "document_readers.h"
#include "formatted_document.h"
#include "rich_text.h"
#include "xml_reading.h"
#include "zip_archive.h"

#include <QHash>
#include <limits>
#include <optional>

namespace {

// A run property list: what a style or a run sets, over what it inherits.
struct RunProperties {
    std::optional<bool> bold, italic, underline;
    std::optional<double> pointSize;
    void applyTo(TextStyle& style) const {
        style.bold = bold.value_or(style.bold);
        style.italic = italic.value_or(style.italic);
        style.underline = underline.value_or(style.underline);
        style.pointSize = pointSize.value_or(style.pointSize);
    }
};

struct Numbering {
    QString numId;
    int level = 0;
};

struct ParagraphProperties {
    QString styleId;
    std::optional<int> outlineLevel;
    std::optional<Numbering> numbering;
    bool dropCap = false; // a large first letter framed apart, the start of the next paragraph
};

struct Style {
    QString basedOn;
    QString name;
    ParagraphProperties paragraph;
    RunProperties run;
};

struct ListLevel {
    QString format = QStringLiteral("decimal");
    QString text = QStringLiteral("%1.");
    int start = 1;
};

bool isWordElement(const XmlStream& x) {
    const QStringView ns = x.reader().namespaceUri();
    return ns.contains(u"wordprocessingml") && ns.endsWith(u"main");
}

bool isOn(const XmlStream& x) {
    const QString value = x.attribute(u"val");
    return value.isEmpty() ||
           !(value == u"0" || value == u"false" || value == u"off" || value == u"none");
}

// The element's children, until its end; elements of revisions (the earlier properties) skipped.
template <typename Child> void readChildren(XmlStream& x, Child child) {
    const int depth = x.depth();
    while (x.next() && x.depth() >= depth) {
        if (!x.isStart())
            continue;
        if (x.name().endsWith(u"Change"))
            x.skipElement();
        else
            child();
    }
}

// At w:rPr: the properties it sets; the character style's id through styleId.
RunProperties readRunProperties(XmlStream& x, QString* styleId = nullptr) {
    RunProperties p;
    readChildren(x, [&] {
        const QStringView n = x.name();
        if (n == u"b")
            p.bold = isOn(x);
        else if (n == u"i")
            p.italic = isOn(x);
        else if (n == u"u")
            p.underline = isOn(x);
        else if (n == u"sz")
            p.pointSize = x.attribute(u"val").toDouble() / 2;
        else if (n == u"rStyle" && styleId)
            *styleId = x.attribute(u"val");
    });
    return p;
}

// At w:pPr.
ParagraphProperties readParagraphProperties(XmlStream& x) {
    ParagraphProperties p;
    readChildren(x, [&] {
        const QStringView n = x.name();
        if (n == u"pStyle")
            p.styleId = x.attribute(u"val");
        else if (n == u"outlineLvl")
            p.outlineLevel = x.attribute(u"val").toInt();
        else if (n == u"numPr")
            p.numbering = Numbering{};
        else if (n == u"numId" && p.numbering)
            p.numbering->numId = x.attribute(u"val");
        else if (n == u"ilvl" && p.numbering)
            p.numbering->level = std::clamp(x.attribute(u"val").toInt(), 0, 8);
        else if (n == u"framePr")
            p.dropCap = !x.attribute(u"dropCap").isEmpty() && x.attribute(u"dropCap") != u"none";
        else if (n == u"rPr")
            x.skipElement(); // the paragraph mark's look
    });
    return p;
}

QHash<QString, Style> readStyles(ZipArchive& zip, const QString& part) {
    QHash<QString, Style> styles;
    if (part.isEmpty() || !zip.contains(part))
        return styles;
    const auto device = zip.open(part);
    XmlStream x(*device, part);
    Style* style = nullptr;
    while (x.next()) {
        if (!x.isStart())
            continue;
        const QStringView n = x.name();
        if (n == u"style")
            style = &styles[x.attribute(u"styleId")];
        else if (!style)
            continue;
        else if (n == u"name")
            style->name = x.attribute(u"val");
        else if (n == u"basedOn")
            style->basedOn = x.attribute(u"val");
        else if (n == u"pPr")
            style->paragraph = readParagraphProperties(x);
        else if (n == u"rPr")
            style->run = readRunProperties(x);
    }
    return styles;
}

struct NumberingDefinitions {
    QHash<QString, QList<ListLevel>> abstract;
    QHash<QString, QString> abstractOfNum;
    QHash<QString, QHash<int, int>> startOverrides;       // numId → level → start
    QHash<QString, QHash<int, ListLevel>> levelOverrides; // numId → level → its definition
};

NumberingDefinitions readNumbering(ZipArchive& zip, const QString& part) {
    NumberingDefinitions d;
    if (part.isEmpty() || !zip.contains(part))
        return d;
    const auto device = zip.open(part);
    XmlStream x(*device, part);
    QList<ListLevel>* levels = nullptr;
    ListLevel* level = nullptr; // the level being defined, of an abstract list or an override
    QString numId;
    int overrideLevel = 0;
    while (x.next()) {
        if (!x.isStart())
            continue;
        const QStringView n = x.name();
        if (n == u"abstractNum") {
            levels = &d.abstract[x.attribute(u"abstractNumId")];
            levels->resize(9);
            level = nullptr;
            numId.clear();
        } else if (n == u"num") {
            numId = x.attribute(u"numId");
            levels = nullptr;
            level = nullptr;
        } else if (n == u"lvl" && levels) {
            level = &(*levels)[std::clamp(x.attribute(u"ilvl").toInt(), 0, 8)];
        } else if (n == u"lvl" && !numId.isEmpty()) {
            // A level defined anew by one list alone.
            level = &d.levelOverrides[numId][overrideLevel];
        } else if (n == u"numFmt" && level) {
            level->format = x.attribute(u"val");
        } else if (n == u"lvlText" && level) {
            level->text = x.attribute(u"val");
        } else if (n == u"start" && level) {
            level->start = x.attribute(u"val").toInt();
        } else if (n == u"abstractNumId" && !numId.isEmpty()) {
            d.abstractOfNum.insert(numId, x.attribute(u"val"));
        } else if (n == u"lvlOverride" && !numId.isEmpty()) {
            overrideLevel = std::clamp(x.attribute(u"ilvl").toInt(), 0, 8);
            level = nullptr;
        } else if (n == u"startOverride" && !numId.isEmpty()) {
            d.startOverrides[numId][overrideLevel] = x.attribute(u"val").toInt();
        }
    }
    return d;
}

NumberStyle numberStyle(const QString& format) {
    if (format == u"lowerLetter")
        return NumberStyle::LowerLetter;
    if (format == u"upperLetter")
        return NumberStyle::UpperLetter;
    if (format == u"lowerRoman")
        return NumberStyle::LowerRoman;
    if (format == u"upperRoman")
        return NumberStyle::UpperRoman;
    if (format.startsWith(u"chinese") || format.startsWith(u"ideograph") ||
        format.startsWith(u"japanese") || format.startsWith(u"taiwanese"))
        return NumberStyle::Chinese;
    return NumberStyle::Decimal;
}

// The numbers of each list as its items come, and the text they show.
class ListCounters {
public:
    explicit ListCounters(NumberingDefinitions definitions) : m_d(std::move(definitions)) {}

    QString next(const Numbering& item) {
        QList<ListLevel> levels = m_d.abstract.value(m_d.abstractOfNum.value(item.numId));
        if (item.numId.isEmpty() || item.numId == u"0" || levels.isEmpty())
            return {};
        const QHash<int, ListLevel> overrides = m_d.levelOverrides.value(item.numId);
        for (auto it = overrides.begin(); it != overrides.end(); ++it)
            levels[it.key()] = it.value();
        QList<int>& counts = m_counts[item.numId];
        if (counts.isEmpty())
            counts.fill(NotStarted, 9);
        const auto start = [&](int level) {
            return m_d.startOverrides.value(item.numId).value(level, levels[level].start);
        };
        counts[item.level] =
            counts[item.level] != NotStarted ? counts[item.level] + 1 : start(item.level);
        for (int deeper = item.level + 1; deeper < 9; ++deeper)
            counts[deeper] = NotStarted;
        const ListLevel& level = levels[item.level];
        if (level.format == u"bullet")
            return QStringLiteral("• ");
        if (level.format == u"none")
            return {};
        QString text = level.text;
        for (int l = 0; l <= item.level; ++l) {
            const int count = counts[l] != NotStarted ? counts[l] : start(l);
            text.replace(u'%' + QString::number(l + 1),
                         listNumber(count, numberStyle(levels[l].format)));
        }
        return text.isEmpty() ? text : text + u' ';
    }

private:
    static constexpr int NotStarted = std::numeric_limits<int>::min();
    NumberingDefinitions m_d;
    QHash<QString, QList<int>> m_counts;
};

// The relationships of a part: type (last segment) → part name.
QHash<QString, QString> readRelationships(ZipArchive& zip, const QString& part) {
    const QString dir = part.section(u'/', 0, -2);
    const QString rels = (dir.isEmpty() ? QString() : dir + u'/') + QStringLiteral("_rels/") +
                         part.section(u'/', -1) + QStringLiteral(".rels");
    QHash<QString, QString> targets;
    if (!zip.contains(rels))
        return targets;
    XmlStream x(zip.read(rels), rels);
    while (x.next()) {
        if (!x.isStart() || x.name() != u"Relationship" ||
            x.attribute(u"TargetMode") == u"External")
            continue;
        const QString type = x.attribute(u"Type").section(u'/', -1);
        if (!targets.contains(type))
            targets.insert(type, resolvePartName(part, x.attribute(u"Target")));
    }
    return targets;
}

// The character a w:sym stands for. Symbol fonts place their characters at F020 to F0FF; those
// of the Symbol font and the common ones of Wingdings have Unicode equivalents, the rest none.
QString symbolCharacter(const QString& font, const QString& code) {
    bool ok = false;
    char32_t c = code.toUInt(&ok, 16);
    if (!ok || c == 0)
        return {};
    if (c < 0xF000 || c > 0xF0FF)
        return QChar::isPrint(c) ? QString::fromUcs4(&c, 1) : QString();
    c -= 0xF000;
    const QString face = font.toLower();
    if (face == u"symbol") {
        static const char16_t greek[] = u"ΑΒΧΔΕΦΓΗΙϑΚΛΜΝΟΠΘΡΣΤΥςΩΞΨΖ";
        static const char16_t lowerGreek[] = u"αβχδεφγηιϕκλμνοπθρστυϖωξψζ";
        if (c >= 0x41 && c <= 0x5A)
            return QString(QChar(greek[c - 0x41]));
        if (c >= 0x61 && c <= 0x7A)
            return QString(QChar(lowerGreek[c - 0x61]));
        static const std::pair<char32_t, char16_t> others[] = {
            {0x22, u'∀'}, {0x24, u'∃'}, {0x27, u'∋'}, {0x2A, u'∗'}, {0x2D, u'−'}, {0x40, u'≅'},
            {0x5C, u'∴'}, {0x5E, u'⊥'}, {0x7E, u'∼'}, {0xA2, u'′'}, {0xA3, u'≤'}, {0xA4, u'⁄'},
            {0xA5, u'∞'}, {0xA6, u'ƒ'}, {0xA7, u'♣'}, {0xA8, u'♦'}, {0xA9, u'♥'}, {0xAA, u'♠'},
            {0xAB, u'↔'}, {0xAC, u'←'}, {0xAD, u'↑'}, {0xAE, u'→'}, {0xAF, u'↓'}, {0xB0, u'°'},
            {0xB1, u'±'}, {0xB2, u'″'}, {0xB3, u'≥'}, {0xB4, u'×'}, {0xB5, u'∝'}, {0xB6, u'∂'},
            {0xB7, u'•'}, {0xB8, u'÷'}, {0xB9, u'≠'}, {0xBA, u'≡'}, {0xBB, u'≈'}, {0xBC, u'…'},
            {0xC0, u'ℵ'}, {0xC4, u'⊗'}, {0xC5, u'⊕'}, {0xC6, u'∅'}, {0xC7, u'∩'}, {0xC8, u'∪'},
            {0xC9, u'⊃'}, {0xCA, u'⊇'}, {0xCB, u'⊄'}, {0xCC, u'⊂'}, {0xCD, u'⊆'}, {0xCE, u'∈'},
            {0xCF, u'∉'}, {0xD0, u'∠'}, {0xD1, u'∇'}, {0xD5, u'∏'}, {0xD6, u'√'}, {0xD7, u'⋅'},
            {0xD8, u'¬'}, {0xD9, u'∧'}, {0xDA, u'∨'}, {0xDB, u'⇔'}, {0xDC, u'⇐'}, {0xDD, u'⇑'},
            {0xDE, u'⇒'}, {0xDF, u'⇓'}, {0xE0, u'◊'}, {0xE5, u'∑'}, {0xF2, u'∫'}};
        for (const auto& [from, to] : others) {
            if (from == c)
                return QString(QChar(to));
        }
        // The rest of the printable ASCII range is ASCII.
        return c >= 0x20 && c < 0x7F ? QString(QChar(char16_t(c))) : QString();
    }
    if (face.startsWith(u"wingdings")) {
        static const std::pair<char32_t, char32_t> wingdings[] = {
            {0x22, 0x2702}, {0x28, 0x260E}, {0x4A, 0x263A}, {0x4C, 0x2639}, {0x6C, 0x25CF},
            {0x6E, 0x25A0}, {0x6F, 0x25A1}, {0x71, 0x2751}, {0x74, 0x29EB}, {0x75, 0x25C6},
            {0xA7, 0x25AA}, {0xA8, 0x25FB}, {0xD8, 0x27A2}, {0xE0, 0x2192}, {0xE8, 0x2794},
            {0xFB, 0x2717}, {0xFC, 0x2713}, {0xFD, 0x2612}, {0xFE, 0x2611}};
        for (const auto& [from, to] : wingdings) {
            if (from == c)
                return QString::fromUcs4(&to, 1);
        }
    }
    return {};
}

// Walks a story (the body, the notes) into paragraphs.
class StoryReader {
public:
    StoryReader(const QHash<QString, Style>& styles, ListCounters& lists, RichText& out)
        : m_styles(styles), m_lists(lists), m_out(out) {
        m_frames.emplace_back();
    }

    // The paragraphs of a story; notes, when the part holds them, apart by id.
    std::vector<RichParagraph> read(XmlStream& x);
    QHash<QString, std::vector<RichParagraph>>& notes() { return m_notes; }
    QStringList& footnoteOrder() { return m_footnotes; }
    QStringList& endnoteOrder() { return m_endnotes; }

private:
    // A text box is a story of its own inside a paragraph; its paragraphs follow that paragraph.
    struct Frame {
        RichParagraph paragraph;
        bool inParagraph = false;
        int tableDepth = 0;
        bool rowHasCell = false;
        bool cellHasParagraph = false;
        std::vector<RichParagraph> out;
        std::vector<RichParagraph> deferred;
    };

    void start(XmlStream& x);
    void end(XmlStream& x);
    void put(const QString& text);
    // A picture's description, apart from the text around it.
    void putPicture(const QString& description);
    void finishParagraph();
    void beginParagraph(const ParagraphProperties& p);
    bool showing() const {
        return std::find(m_fields.begin(), m_fields.end(), false) == m_fields.end();
    }
    template <typename T> T inherited(const QString& styleId, T Style::*member) const;
    std::optional<int> outlineLevel(const ParagraphProperties& p) const;
    TextStyle styleRun(const QString& styleId, TextStyle base) const;

    const QHash<QString, Style>& m_styles;
    ListCounters& m_lists;
    RichText& m_out;
    std::vector<Frame> m_frames;
    std::vector<bool> m_fields;       // open fields: false while in the instruction
    std::vector<bool> m_alternatives; // open alternate contents: a choice taken
    TextStyle m_paragraphRun;         // the paragraph style's run look
    TextStyle m_run;
    bool m_inText = false;
    bool m_dropCap = false;       // the open paragraph is a drop cap
    QList<TextRun> m_heldDropCap; // a drop cap's letters, for the paragraph it begins
    QString m_noteId;
    size_t m_noteStart = 0;
    QHash<QString, std::vector<RichParagraph>> m_notes;
    QStringList m_footnotes, m_endnotes;
};

TextStyle StoryReader::styleRun(const QString& styleId, TextStyle base) const {
    // Base styles first; a cycle of basedOn ends after a few steps.
    QList<const Style*> chain;
    for (QString id = styleId; !id.isEmpty() && chain.size() < 20;) {
        const auto it = m_styles.find(id);
        if (it == m_styles.end())
            break;
        chain.prepend(&*it);
        id = it->basedOn;
    }
    for (const Style* s : chain)
        s->run.applyTo(base);
    return base;
}

std::optional<int> StoryReader::outlineLevel(const ParagraphProperties& p) const {
    if (p.outlineLevel)
        return p.outlineLevel;
    QString id = p.styleId;
    for (int step = 0; step < 20 && !id.isEmpty(); ++step) {
        const auto it = m_styles.find(id);
        if (it == m_styles.end())
            break;
        if (it->paragraph.outlineLevel)
            return it->paragraph.outlineLevel;
        const QString name = it->name.toLower();
        if (name.startsWith(u"heading "))
            return name.sliced(8).toInt() - 1;
        id = it->basedOn;
    }
    return std::nullopt;
}

void StoryReader::put(const QString& text) {
    if (!showing() || text.isEmpty())
        return;
    m_out.count(text);
    m_frames.back().paragraph.append(text, m_run);
}

void StoryReader::putPicture(const QString& description) {
    const QString words = description.simplified();
    if (words.isEmpty())
        return;
    const QString text = m_frames.back().paragraph.text();
    put((text.isEmpty() || text.back().isSpace() ? QString() : QStringLiteral(" ")) +
        pictureText(words) + u' ');
}

void StoryReader::beginParagraph(const ParagraphProperties& p) {
    Frame& f = m_frames.back();
    m_paragraphRun = styleRun(p.styleId, {});
    m_dropCap = p.dropCap;
    const std::optional<int> outline = outlineLevel(p);
    // A cell's paragraphs are parts of the row's line: no heading, but their list numbers.
    if (f.tableDepth == 0 && outline && *outline >= 0 && *outline < 9)
        f.paragraph.headingLevel = *outline + 1;
    std::optional<Numbering> numbering = p.numbering;
    QString id = p.styleId;
    for (int step = 0; !numbering && step < 20 && m_styles.contains(id); ++step) {
        numbering = m_styles[id].paragraph.numbering;
        id = m_styles[id].basedOn;
    }
    if (numbering) {
        const TextStyle run = m_run;
        m_run = m_paragraphRun;
        put(m_lists.next(*numbering));
        m_run = run;
    }
}

void StoryReader::finishParagraph() {
    Frame& f = m_frames.back();
    if (m_dropCap && f.tableDepth == 0 && m_frames.size() == 1) {
        // Read with the word it begins.
        m_heldDropCap += f.paragraph.runs;
        f.paragraph = {};
        f.inParagraph = false;
        m_dropCap = false;
        return;
    }
    if (!m_heldDropCap.isEmpty()) {
        f.paragraph.runs = std::exchange(m_heldDropCap, {}) + f.paragraph.runs;
    }
    m_out.count(u"\n");
    f.out.push_back(std::move(f.paragraph));
    f.paragraph = {};
    f.inParagraph = false;
    for (RichParagraph& p : f.deferred)
        f.out.push_back(std::move(p));
    f.deferred.clear();
}

void StoryReader::start(XmlStream& x) {
    const QStringView n = x.name();
    const QStringView ns = x.reader().namespaceUri();
    if (ns.endsWith(u"markup-compatibility/2006")) {
        if (n == u"AlternateContent") {
            m_alternatives.push_back(false);
        } else if (!m_alternatives.empty() && (n == u"Choice" || n == u"Fallback")) {
            // One of the alternatives, the first; the others repeat it for older readers.
            if (m_alternatives.back())
                x.skipElement();
            m_alternatives.back() = true;
        }
        return;
    }
    if (n == u"docPr" && ns.endsWith(u"wordprocessingDrawing")) {
        putPicture(x.attribute(u"descr"));
        return;
    }
    if (!isWordElement(x))
        return;
    Frame& f = m_frames.back();
    if (n == u"p") {
        m_dropCap = false;
        if (f.tableDepth > 0) {
            if (f.cellHasParagraph)
                put(QStringLiteral(" "));
            f.cellHasParagraph = true;
        } else {
            f.paragraph = {};
            f.inParagraph = true;
        }
        m_paragraphRun = {};
        m_run = {};
    } else if (n == u"pPr") {
        beginParagraph(readParagraphProperties(x));
    } else if (n == u"r") {
        m_run = m_paragraphRun;
    } else if (n == u"rPr") {
        QString styleId;
        const RunProperties direct = readRunProperties(x, &styleId);
        m_run = styleRun(styleId, m_paragraphRun);
        direct.applyTo(m_run);
    } else if (n == u"t") {
        m_inText = true;
    } else if (n == u"tab") {
        put(QStringLiteral("\t"));
    } else if (n == u"br" || n == u"cr") {
        put(QString(QChar::LineSeparator));
    } else if (n == u"noBreakHyphen") {
        put(QStringLiteral("-"));
    } else if (n == u"sym") {
        put(symbolCharacter(x.attribute(u"font"), x.attribute(u"char")));
    } else if (n == u"del" || n == u"moveFrom" || n == u"delText" || n == u"instrText" ||
               n.endsWith(u"Change")) {
        x.skipElement(); // deleted revisions, field codes, earlier properties
    } else if (n == u"fldChar") {
        const QString type = x.attribute(u"fldCharType");
        if (type == u"begin")
            m_fields.push_back(false);
        else if (type == u"separate" && !m_fields.empty())
            m_fields.back() = true;
        else if (type == u"end" && !m_fields.empty())
            m_fields.pop_back();
    } else if (n == u"footnoteReference" || n == u"endnoteReference") {
        const bool foot = n == u"footnoteReference";
        QStringList& order = foot ? m_footnotes : m_endnotes;
        order << x.attribute(u"id");
        put(u'[' +
            listNumber(int(order.size()), foot ? NumberStyle::Decimal : NumberStyle::LowerRoman) +
            u']');
    } else if (n == u"footnote" || n == u"endnote") {
        m_noteId = n.toString() + x.attribute(u"id");
        m_noteStart = f.out.size();
    } else if (n == u"tbl") {
        ++f.tableDepth;
    } else if (n == u"tr") {
        if (f.tableDepth == 1) {
            f.paragraph = {};
            f.inParagraph = true;
            f.rowHasCell = false;
        } else if (f.rowHasCell) {
            put(QStringLiteral(" "));
        }
    } else if (n == u"tc") {
        if (f.rowHasCell)
            put(QStringLiteral("\t"));
        f.rowHasCell = true;
        f.cellHasParagraph = false;
    } else if (n == u"txbxContent") {
        m_frames.emplace_back();
    }
}

void StoryReader::end(XmlStream& x) {
    if (!isWordElement(x)) {
        if (x.name() == u"AlternateContent" && !m_alternatives.empty())
            m_alternatives.pop_back();
        return;
    }
    const QStringView n = x.name();
    Frame& f = m_frames.back();
    if (n == u"t") {
        m_inText = false;
    } else if (n == u"p" && f.tableDepth == 0 && f.inParagraph) {
        finishParagraph();
    } else if (n == u"tr" && f.tableDepth == 1) {
        finishParagraph();
    } else if (n == u"tbl") {
        f.tableDepth = std::max(0, f.tableDepth - 1);
    } else if ((n == u"footnote" || n == u"endnote") && !m_noteId.isEmpty()) {
        std::vector<RichParagraph> note(
            std::make_move_iterator(f.out.begin() + qsizetype(m_noteStart)),
            std::make_move_iterator(f.out.end()));
        f.out.resize(m_noteStart);
        m_notes.insert(m_noteId, std::move(note));
        m_noteId.clear();
    } else if (n == u"txbxContent" && m_frames.size() > 1) {
        Frame box = std::move(m_frames.back());
        m_frames.pop_back();
        if (box.inParagraph)
            box.out.push_back(std::move(box.paragraph));
        Frame& outer = m_frames.back();
        auto& target = outer.inParagraph ? outer.deferred : outer.out;
        for (RichParagraph& p : box.out)
            target.push_back(std::move(p));
    }
}

std::vector<RichParagraph> StoryReader::read(XmlStream& x) {
    while (x.next()) {
        if (x.isStart())
            start(x);
        else if (x.isEnd())
            end(x);
        else if (x.isText() && m_inText)
            put(x.text().toString());
    }
    while (m_frames.size() > 1) {
        m_frames.pop_back();
    }
    Frame& f = m_frames.back();
    if (f.inParagraph)
        finishParagraph();
    if (!m_heldDropCap.isEmpty()) {
        f.paragraph = {};
        finishParagraph(); // a drop cap that began no paragraph stands alone
    }
    return std::move(f.out);
}

// The core properties' dc:creator: who wrote the document.
QString readCreator(ZipArchive& zip, const QString& part) {
    if (part.isEmpty() || !zip.contains(part))
        return {};
    const auto device = zip.open(part);
    XmlStream x(*device, part);
    while (x.next()) {
        if (x.isStart() && x.name() == u"creator")
            return x.elementText().simplified();
    }
    return {};
}

// The notes of a kind in the order the text refers to them, each opening with its mark.
void appendNotes(RichText& out, QHash<QString, std::vector<RichParagraph>>& notes,
                 const QStringList& order, const QString& kind, NumberStyle style) {
    for (qsizetype i = 0; i < order.size(); ++i) {
        std::vector<RichParagraph> note = std::move(notes[kind + order[i]]);
        if (note.empty())
            note.emplace_back();
        note.front().runs.prepend(
            {u'[' + listNumber(int(i + 1), style) + QStringLiteral("] "), {}});
        out.add(std::move(note));
    }
}

} // namespace

void readWordXml(const QString& path, RichText& out) {
    ZipArchive zip(path, maxDocumentSize(DocumentKind::WordXml));
    const QHash<QString, QString> package = readRelationships(zip, QString());
    const QString main =
        package.value(QStringLiteral("officeDocument"), QStringLiteral("word/document.xml"));
    if (!zip.contains(main))
        throw AppError(QStringLiteral("缺少正文部分 %1，不是完整的Word文档").arg(main));
    out.author = readCreator(zip, package.value(QStringLiteral("core-properties")));
    const QHash<QString, QString> parts = readRelationships(zip, main);
    const QHash<QString, Style> styles = readStyles(zip, parts.value(QStringLiteral("styles")));
    ListCounters lists(readNumbering(zip, parts.value(QStringLiteral("numbering"))));

    StoryReader body(styles, lists, out);
    {
        const auto device = zip.open(main);
        XmlStream x(*device, main);
        out.add(body.read(x));
    }
    for (const QString& kind : {QStringLiteral("footnotes"), QStringLiteral("endnotes")}) {
        const QString part = parts.value(kind);
        if (part.isEmpty() || !zip.contains(part))
            continue;
        const auto device = zip.open(part);
        XmlStream x(*device, part);
        StoryReader notes(styles, lists, out);
        notes.read(x);
        body.notes().insert(notes.notes());
    }
    appendNotes(out, body.notes(), body.footnoteOrder(), QStringLiteral("footnote"),
                NumberStyle::Decimal);
    appendNotes(out, body.notes(), body.endnoteOrder(), QStringLiteral("endnote"),
                NumberStyle::LowerRoman);
}
