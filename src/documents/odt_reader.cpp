// OpenDocument text (.odt): content.xml with the styles of styles.xml, in a zip container.
#include "app/app_error.h"
#include "document_kind.h"
#include "document_readers.h"
#include "formatted_document.h"
#include "rich_text.h"
#include "xml_reading.h"
#include "zip_archive.h"

#include <QHash>
#include <optional>

namespace {

struct OdfStyle {
    QString parent;
    std::optional<bool> bold, italic, underline;
    std::optional<double> pointSize;
};

struct ListLevelStyle {
    bool bullet = true;
    NumberStyle numbers = NumberStyle::Decimal;
    QString prefix, suffix;
    int start = 1;
};

struct Styles {
    QHash<QString, OdfStyle> text; // paragraph and text styles by name
    QHash<QString, QHash<int, ListLevelStyle>> lists;

    TextStyle resolve(const QString& name, TextStyle base) const {
        QList<const OdfStyle*> chain;
        for (QString n = name; !n.isEmpty() && chain.size() < 20;) {
            const auto it = text.find(n);
            if (it == text.end())
                break;
            chain.prepend(&*it);
            n = it->parent;
        }
        for (const OdfStyle* s : chain) {
            base.bold = s->bold.value_or(base.bold);
            base.italic = s->italic.value_or(base.italic);
            base.underline = s->underline.value_or(base.underline);
            base.pointSize = s->pointSize.value_or(base.pointSize);
        }
        return base;
    }
};

NumberStyle numberStyle(const QString& format) {
    if (format == u"a")
        return NumberStyle::LowerLetter;
    if (format == u"A")
        return NumberStyle::UpperLetter;
    if (format == u"i")
        return NumberStyle::LowerRoman;
    if (format == u"I")
        return NumberStyle::UpperRoman;
    if (format.startsWith(u"一") || format.startsWith(u"壹"))
        return NumberStyle::Chinese;
    return NumberStyle::Decimal;
}

// At a style element of either part: what it defines.
void readStyle(XmlStream& x, Styles& styles) {
    const QStringView n = x.name();
    if (n == u"style") {
        OdfStyle& s = styles.text[x.attribute(u"name")];
        s.parent = x.attribute(u"parent-style-name");
        const int depth = x.depth();
        while (x.next() && x.depth() >= depth) {
            if (!x.isStart() || x.name() != u"text-properties")
                continue;
            const QString weight = x.attribute(u"font-weight");
            if (!weight.isEmpty())
                s.bold = weight == u"bold" || weight.toInt() >= 600;
            const QString slant = x.attribute(u"font-style");
            if (!slant.isEmpty())
                s.italic = slant != u"normal";
            const QString underline = x.attribute(u"text-underline-style");
            if (!underline.isEmpty())
                s.underline = underline != u"none";
            const QString size = x.attribute(u"font-size");
            if (size.endsWith(u"pt"))
                s.pointSize = size.chopped(2).toDouble();
        }
    } else if (n == u"list-style") {
        QHash<int, ListLevelStyle>& levels = styles.lists[x.attribute(u"name")];
        const int depth = x.depth();
        while (x.next() && x.depth() >= depth) {
            if (!x.isStart())
                continue;
            const bool number = x.name() == u"list-level-style-number";
            if (!number && x.name() != u"list-level-style-bullet")
                continue;
            ListLevelStyle& level = levels[x.attribute(u"level").toInt()];
            level.bullet = !number;
            level.numbers = numberStyle(x.attribute(u"num-format"));
            level.prefix = x.attribute(u"num-prefix");
            level.suffix = x.attribute(u"num-suffix");
            const QString start = x.attribute(u"start-value");
            level.start = start.isEmpty() ? 1 : start.toInt();
            if (number && x.attribute(u"num-format").isEmpty())
                level.bullet = true, level.prefix.clear(), level.suffix.clear();
        }
    }
}

void readStylesPart(ZipArchive& zip, Styles& styles) {
    const QString part = QStringLiteral("styles.xml");
    if (!zip.contains(part))
        return;
    const auto device = zip.open(part);
    XmlStream x(*device, part);
    while (x.next()) {
        if (x.isStart())
            readStyle(x, styles);
    }
}

// A password-protected file keeps its parts encrypted; the manifest says so.
bool isEncrypted(ZipArchive& zip) {
    const QString manifest = QStringLiteral("META-INF/manifest.xml");
    if (!zip.contains(manifest))
        return false;
    XmlStream x(zip.read(manifest), manifest);
    while (x.next()) {
        if (x.isStart() && x.name() == u"encryption-data")
            return true;
    }
    return false;
}

// Who wrote the document: meta.xml's initial creator, else its last editor.
QString readCreator(ZipArchive& zip) {
    const QString part = QStringLiteral("meta.xml");
    if (!zip.contains(part))
        return {};
    const auto device = zip.open(part);
    XmlStream x(*device, part);
    QString creator;
    while (x.next()) {
        if (!x.isStart())
            continue;
        if (x.name() == u"initial-creator")
            return x.elementText().simplified();
        if (x.name() == u"creator" && creator.isEmpty())
            creator = x.elementText().simplified();
    }
    return creator;
}

class ContentReader {
public:
    ContentReader(const Styles& styles, RichText& out) : m_styles(styles), m_out(out) {
        m_frames.emplace_back();
    }
    void read(XmlStream& x);

private:
    struct Frame {
        RichParagraph paragraph;
        int paragraphDepth = 0; // text:p and text:h open
        int tableDepth = 0;
        bool rowHasCell = false;
        bool cellHasParagraph = false;
        std::vector<RichParagraph> out;
        std::vector<RichParagraph> deferred;
    };
    struct List {
        QString style;
        int level;
        int count;
        bool numberPending = false;
    };

    void start(XmlStream& x);
    void end(XmlStream& x);
    void put(QStringView text, bool collapse);
    void finishParagraph();

    const Styles& m_styles;
    RichText& m_out;
    Styles m_automatic;
    std::vector<Frame> m_frames;
    std::vector<TextStyle> m_look; // of the open paragraphs and spans
    std::vector<List> m_lists;
    QHash<QString, int> m_lastCount; // by list style, for lists that continue an earlier one
    bool m_inBody = false;
    bool m_blank = false;
    QString m_citation;
    std::vector<RichParagraph> m_footnotes, m_endnotes;
    std::vector<bool> m_noteIsEnd;
    struct Picture {
        QString title, description;
        bool shown = false; // holds a picture or an object, not only text
    };
    std::vector<Picture> m_pictures; // open frames
};

TextStyle look(const Styles& a, const Styles& b, const QString& name, TextStyle base) {
    return a.text.contains(name) ? a.resolve(name, base) : b.resolve(name, base);
}

void ContentReader::put(QStringView text, bool collapse) {
    Frame& f = m_frames.back();
    QString kept;
    for (const QChar c : text) {
        if (collapse && (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r')) {
            m_blank = true;
            continue;
        }
        if (m_blank && !(f.paragraph.isEmpty() && kept.isEmpty()))
            kept += u' ';
        m_blank = false;
        kept += c;
    }
    m_out.count(kept);
    f.paragraph.append(kept, m_look.empty() ? TextStyle{} : m_look.back());
}

void ContentReader::finishParagraph() {
    Frame& f = m_frames.back();
    m_out.count(u"\n");
    f.out.push_back(std::move(f.paragraph));
    f.paragraph = {};
    for (RichParagraph& p : f.deferred)
        f.out.push_back(std::move(p));
    f.deferred.clear();
}

void ContentReader::start(XmlStream& x) {
    const QStringView n = x.name();
    if (!m_inBody) {
        if (n == u"body")
            m_inBody = true;
        else
            readStyle(x, m_automatic);
        return;
    }
    Frame& f = m_frames.back();
    if ((n == u"title" || n == u"desc") && x.reader().namespaceUri().contains(u"svg")) {
        const QString text = x.elementText().simplified();
        if (!m_pictures.empty())
            (n == u"title" ? m_pictures.back().title : m_pictures.back().description) = text;
    } else if (n == u"frame") {
        m_pictures.emplace_back();
    } else if ((n == u"image" || n == u"object" || n == u"object-ole") && !m_pictures.empty()) {
        m_pictures.back().shown = true;
        x.skipElement();
    } else if (n == u"tracked-changes" || n == u"annotation" || n == u"title" || n == u"desc" ||
               n == u"sequence-decls" || n == u"forms" || n == u"index-title-template" ||
               (n.endsWith(u"-source") && n != u"source")) {
        x.skipElement(); // deleted text, comments, an index's template
    } else if (n == u"p" || n == u"h") {
        const TextStyle base = m_look.empty() ? TextStyle{} : m_look.back();
        m_look.push_back(look(m_automatic, m_styles, x.attribute(u"style-name"), base));
        m_blank = false;
        if (f.tableDepth > 0 && f.paragraphDepth == 0) {
            if (f.cellHasParagraph)
                put(u" ", false);
            f.cellHasParagraph = true;
        } else if (f.paragraphDepth == 0) {
            f.paragraph = {};
            if (n == u"h") {
                const QString level = x.attribute(u"outline-level");
                f.paragraph.headingLevel = level.isEmpty() ? 1 : std::clamp(level.toInt(), 1, 10);
            }
        }
        ++f.paragraphDepth;
        if (!m_lists.empty() && m_lists.back().numberPending) {
            List& list = m_lists.back();
            list.numberPending = false;
            const ListLevelStyle level =
                m_styles.lists.value(list.style)
                    .value(list.level, m_automatic.lists.value(list.style).value(list.level));
            if (level.bullet) {
                put(u"• ", false);
            } else {
                list.count = list.count ? list.count + 1 : level.start;
                m_lastCount[list.style] = list.count;
                put(QString(level.prefix + listNumber(list.count, level.numbers) + level.suffix +
                            u' '),
                    false);
            }
        }
    } else if (n == u"span") {
        const TextStyle base = m_look.empty() ? TextStyle{} : m_look.back();
        m_look.push_back(look(m_automatic, m_styles, x.attribute(u"style-name"), base));
    } else if (n == u"s") {
        const int count =
            std::clamp(x.attribute(u"c").isEmpty() ? 1 : x.attribute(u"c").toInt(), 1, 1000);
        put(QString(count, u' '), false);
    } else if (n == u"tab") {
        put(u"\t", false);
    } else if (n == u"line-break") {
        put(QString(QChar::LineSeparator), false);
    } else if (n == u"list") {
        QString style = x.attribute(u"style-name");
        if (style.isEmpty() && !m_lists.empty())
            style = m_lists.back().style;
        const bool continues = x.attribute(u"continue-numbering") == u"true" ||
                               !x.attribute(u"continue-list").isEmpty();
        const int level = int(m_lists.size()) + 1;
        m_lists.push_back({style, level, continues && level == 1 ? m_lastCount.value(style) : 0});
    } else if (n == u"list-item" && !m_lists.empty()) {
        m_lists.back().numberPending = true;
    } else if (n == u"list-header" && !m_lists.empty()) {
        m_lists.back().numberPending = false;
    } else if (n == u"note") {
        m_noteIsEnd.push_back(x.attribute(u"note-class") == u"endnote");
    } else if (n == u"note-citation") {
        m_citation = x.elementText();
        put(QString(u'[' + m_citation + u']'), false);
    } else if (n == u"note-body" || n == u"text-box") {
        m_frames.emplace_back();
    } else if (n == u"table") {
        ++f.tableDepth;
    } else if (n == u"table-row") {
        if (f.tableDepth == 1) {
            f.paragraph = {};
            f.rowHasCell = false;
        } else if (f.rowHasCell) {
            put(u" ", false);
        }
    } else if (n == u"table-cell") {
        if (f.rowHasCell)
            put(u"\t", false);
        f.rowHasCell = true;
        f.cellHasParagraph = false;
    } else if (n == u"covered-table-cell") {
        x.skipElement();
    }
}

void ContentReader::end(XmlStream& x) {
    if (!m_inBody)
        return;
    const QStringView n = x.name();
    Frame& f = m_frames.back();
    if (n == u"p" || n == u"h") {
        if (!m_look.empty())
            m_look.pop_back();
        if (--f.paragraphDepth == 0 && f.tableDepth == 0)
            finishParagraph();
        f.paragraphDepth = std::max(0, f.paragraphDepth);
    } else if (n == u"span") {
        if (!m_look.empty())
            m_look.pop_back();
    } else if (n == u"frame" && !m_pictures.empty()) {
        // A picture is read as its description, or its title, where it has one.
        const Picture picture = m_pictures.back();
        m_pictures.pop_back();
        const QString words = picture.description.isEmpty() ? picture.title : picture.description;
        if (picture.shown && !words.isEmpty() && f.paragraphDepth > 0) {
            m_blank = true;
            put(pictureText(words), false);
            m_blank = true;
        }
    } else if (n == u"list" && !m_lists.empty()) {
        m_lists.pop_back();
    } else if (n == u"table-row" && f.tableDepth == 1) {
        finishParagraph();
    } else if (n == u"table") {
        f.tableDepth = std::max(0, f.tableDepth - 1);
    } else if ((n == u"note-body" || n == u"text-box") && m_frames.size() > 1) {
        Frame inner = std::move(m_frames.back());
        m_frames.pop_back();
        Frame& outer = m_frames.back();
        if (n == u"text-box") {
            auto& target = outer.paragraphDepth > 0 ? outer.deferred : outer.out;
            for (RichParagraph& p : inner.out)
                target.push_back(std::move(p));
            return;
        }
        if (inner.out.empty())
            inner.out.emplace_back();
        inner.out.front().runs.prepend({u'[' + m_citation + QStringLiteral("] "), {}});
        auto& notes = !m_noteIsEnd.empty() && m_noteIsEnd.back() ? m_endnotes : m_footnotes;
        for (RichParagraph& p : inner.out)
            notes.push_back(std::move(p));
    } else if (n == u"note" && !m_noteIsEnd.empty()) {
        m_noteIsEnd.pop_back();
    }
}

void ContentReader::read(XmlStream& x) {
    while (x.next()) {
        if (x.isStart())
            start(x);
        else if (x.isEnd())
            end(x);
        else if (x.isText() && m_frames.back().paragraphDepth > 0)
            put(x.text(), true);
    }
    m_out.add(std::move(m_frames.front().out));
    m_out.add(std::move(m_footnotes));
    m_out.add(std::move(m_endnotes));
}

} // namespace

void readOpenDocument(const QString& path, RichText& out) {
    ZipArchive zip(path, maxDocumentSize(DocumentKind::OpenDocument));
    if (isEncrypted(zip))
        throw AppError(QStringLiteral("文档已加密"));
    const QString content = QStringLiteral("content.xml");
    if (!zip.contains(content))
        throw AppError(QStringLiteral("缺少正文部分 %1，不是完整的OpenDocument文档").arg(content));
    out.author = readCreator(zip);
    Styles styles;
    readStylesPart(zip, styles);
    const auto device = zip.open(content);
    XmlStream x(*device, content);
    ContentReader(styles, out).read(x);
}
