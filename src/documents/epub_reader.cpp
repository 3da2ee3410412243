// EPUB 2 and 3: XHTML chapters listed by the package document, titled by the navigation document.
#include "app/app_error.h"
#include "document_kind.h"
#include "document_readers.h"
#include "formatted_document.h"
#include "rich_text.h"
#include "xml_reading.h"
#include "zip_archive.h"

#include <QHash>

namespace {

struct ManifestItem {
    QString part;
    QString mediaType;
    QString properties;
};

struct Package {
    QHash<QString, ManifestItem> manifest; // by id
    QStringList spine;                     // ids in reading order
    QString ncxId;
    QString author; // the first dc:creator
};

QString packagePart(ZipArchive& zip) {
    const QString container = QStringLiteral("META-INF/container.xml");
    if (!zip.contains(container))
        throw AppError(QStringLiteral("缺少 %1，不是完整的EPUB电子书").arg(container));
    XmlStream x(zip.read(container), container);
    while (x.next()) {
        if (x.isStart() && x.name() == u"rootfile")
            return resolvePartName(QString(), x.attribute(u"full-path"));
    }
    throw AppError(QStringLiteral("%1 没有指明书的内容").arg(container));
}

Package readPackage(ZipArchive& zip, const QString& part) {
    if (!zip.contains(part))
        throw AppError(QStringLiteral("缺少内容清单 %1").arg(part));
    const auto device = zip.open(part);
    XmlStream x(*device, part);
    Package p;
    while (x.next()) {
        if (!x.isStart())
            continue;
        if (x.name() == u"item") {
            p.manifest.insert(x.attribute(u"id"),
                              {resolvePartName(part, x.attribute(u"href")),
                               x.attribute(u"media-type"), x.attribute(u"properties")});
        } else if (x.name() == u"spine") {
            p.ncxId = x.attribute(u"toc");
        } else if (x.name() == u"itemref") {
            p.spine << x.attribute(u"idref");
        } else if (x.name() == u"creator" && p.author.isEmpty()) {
            p.author = x.elementText().simplified();
        }
    }
    return p;
}

// Chapter part → its title: the first entry of the table of contents that points into it.
QHash<QString, QString> readNavigation(ZipArchive& zip, const Package& package) {
    QHash<QString, QString> titles;
    const auto add = [&](const QString& from, const QString& reference, const QString& title) {
        const QString part = resolvePartName(from, reference);
        const QString simplified = title.simplified();
        if (!part.isEmpty() && !simplified.isEmpty() && !titles.contains(part))
            titles.insert(part, simplified);
    };
    for (const ManifestItem& item : package.manifest) {
        if (!item.properties.split(u' ').contains(u"nav") || !zip.contains(item.part))
            continue;
        const auto device = zip.open(item.part);
        XmlStream x(*device, item.part);
        int tocDepth = 0; // inside <nav epub:type="toc">
        while (x.next()) {
            if (x.isStart() && x.name() == u"nav") {
                if (tocDepth == 0 && x.attribute(u"type").split(u' ').contains(u"toc"))
                    tocDepth = x.depth();
            } else if (x.isEnd() && x.name() == u"nav" && x.depth() < tocDepth) {
                tocDepth = 0;
            } else if (x.isStart() && x.name() == u"a" && tocDepth > 0) {
                const QString href = x.attribute(u"href");
                add(item.part, href, x.elementText());
            }
        }
        if (!titles.isEmpty())
            return titles;
    }
    const ManifestItem ncx = package.manifest.value(package.ncxId);
    if (ncx.part.isEmpty() || !zip.contains(ncx.part))
        return titles;
    const auto device = zip.open(ncx.part);
    XmlStream x(*device, ncx.part);
    QString label;
    while (x.next()) {
        if (!x.isStart())
            continue;
        if (x.name() == u"text")
            label = x.elementText();
        else if (x.name() == u"content")
            add(ncx.part, x.attribute(u"src"), label);
    }
    return titles;
}

bool isBlock(QStringView n) {
    static constexpr QStringView blocks[] = {
        u"p",      u"div",    u"li",         u"blockquote", u"pre",     u"tr",
        u"dt",     u"dd",     u"section",    u"article",    u"aside",   u"header",
        u"footer", u"figure", u"figcaption", u"table",      u"ul",      u"ol",
        u"dl",     u"hr",     u"body",       u"caption",    u"address", u"nav"};
    return std::find(std::begin(blocks), std::end(blocks), n) != std::end(blocks);
}

int headingLevel(QStringView n) {
    return n.size() == 2 && n[0] == u'h' && n[1] >= u'1' && n[1] <= u'6' ? n[1].unicode() - u'0'
                                                                         : 0;
}

// One XHTML chapter: blocks are paragraphs, h1 to h6 headings, list items numbered with their
// text on the number's line, table rows one line each with the cells between tabs (the blocks
// inside a cell are parts of its line), pictures read as their descriptions.
std::vector<RichParagraph> readChapter(XmlStream& x, RichText& budget) {
    FlowText flow(budget);
    struct List {
        bool ordered;
        int count;
    };
    std::vector<List> lists;
    bool rowHasCell = false;
    int cells = 0; // open table cells: their blocks do not break the row's line
    const auto isCell = [](QStringView n) { return n == u"td" || n == u"th"; };
    while (x.next()) {
        const QStringView n = x.name();
        if (x.isStart()) {
            if (n == u"head" || n == u"script" || n == u"style" || n == u"rt" || n == u"rp" ||
                n == u"del") {
                x.skipElement();
            } else if (isCell(n)) {
                if (cells > 0)
                    flow.blank();
                else if (rowHasCell)
                    flow.putExact(QStringLiteral("\t"));
                rowHasCell = true;
                ++cells;
            } else if (const int level = headingLevel(n); level || isBlock(n)) {
                if (cells > 0)
                    flow.blank();
                else
                    flow.breakParagraph(level);
                if (n == u"ol" || n == u"ul") {
                    lists.push_back({n == u"ol", x.attribute(u"start").toInt() - 1});
                    if (lists.back().count < 0)
                        lists.back().count = 0;
                } else if (n == u"li" && !lists.empty()) {
                    List& list = lists.back();
                    // Put before the item's first text, whatever blocks that text stands in.
                    flow.setMarker(list.ordered
                                       ? QString::number(++list.count) + QStringLiteral(". ")
                                       : QStringLiteral("• "));
                } else if (n == u"tr" && cells == 0) {
                    rowHasCell = false;
                }
            } else if (n == u"br") {
                flow.putExact(QString(QChar::LineSeparator));
            } else if (n == u"img") {
                const QString description = x.attribute(u"alt").simplified();
                if (!description.isEmpty()) {
                    flow.blank();
                    flow.put(pictureText(description));
                    flow.blank();
                }
            } else if (n == u"b" || n == u"strong") {
                ++flow.bold;
            } else if (n == u"i" || n == u"em" || n == u"cite") {
                ++flow.italic;
            } else if (n == u"u" || n == u"ins") {
                ++flow.underline;
            }
        } else if (x.isEnd()) {
            if (isCell(n)) {
                cells = std::max(0, cells - 1);
            } else if (headingLevel(n) || isBlock(n)) {
                if (cells > 0)
                    flow.blank();
                else
                    flow.breakParagraph();
                if ((n == u"ol" || n == u"ul") && !lists.empty())
                    lists.pop_back();
            } else if (n == u"b" || n == u"strong") {
                --flow.bold;
            } else if (n == u"i" || n == u"em" || n == u"cite") {
                --flow.italic;
            } else if (n == u"u" || n == u"ins") {
                --flow.underline;
            }
        } else if (x.isText()) {
            flow.put(x.text());
        }
    }
    return flow.take();
}

} // namespace

void readEpub(const QString& path, RichText& out) {
    ZipArchive zip(path, maxDocumentSize(DocumentKind::Epub));
    const QString opf = packagePart(zip);
    const Package package = readPackage(zip, opf);
    out.author = package.author;
    const QHash<QString, QString> titles = readNavigation(zip, package);
    int chapters = 0;
    for (const QString& id : package.spine) {
        const ManifestItem item = package.manifest.value(id);
        if (item.part.isEmpty() || !zip.contains(item.part) || !item.mediaType.contains(u"html"))
            continue;
        const auto device = zip.open(item.part);
        XmlStream x(*device, item.part);
        std::vector<RichParagraph> chapter = readChapter(x, out);
        ++chapters;
        const QString title = titles.value(item.part);
        // A chapter that opens with its own title is not given it twice.
        const bool titled = !chapter.empty() && chapter.front().headingLevel > 0 &&
                            chapter.front().text().simplified() == title;
        if (!title.isEmpty() && !titled) {
            RichParagraph heading{1, {}};
            heading.append(title);
            out.count(u"\n");
            out.count(title);
            out.add(std::move(heading));
        }
        out.add(std::move(chapter));
    }
    if (chapters == 0)
        throw AppError(QStringLiteral("电子书中没有可以阅读的章节"));
}
