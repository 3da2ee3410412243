// FictionBook 2: one XML file; the bodies' sections in order, each under its title.
#include "app/app_error.h"
#include "document_file.h"
#include "document_kind.h"
#include "document_readers.h"
#include "rich_text.h"
#include "xml_reading.h"

#include <QFile>
#include <unistd.h>

namespace {

// At description: the first author of the book's title-info, first, middle and last name (or
// the nickname alone).
QString readAuthor(XmlStream& x) {
    QStringList names;
    QString nickname;
    const int depth = x.depth();
    int titleInfo = 0, author = 0;
    bool done = false;
    while (x.next() && x.depth() >= depth) {
        const QStringView n = x.name();
        if (x.isStart()) {
            if (n == u"title-info")
                titleInfo = x.depth();
            else if (n == u"author" && titleInfo && !done)
                author = x.depth();
            else if (author && (n == u"first-name" || n == u"middle-name" || n == u"last-name"))
                names << x.elementText().simplified();
            else if (author && n == u"nickname")
                nickname = x.elementText().simplified();
        } else if (x.isEnd()) {
            if (n == u"author" && author && x.depth() < author) {
                author = 0;
                done = true;
            } else if (n == u"title-info") {
                titleInfo = 0;
            }
        }
    }
    names.removeAll(QString());
    return names.isEmpty() ? nickname : names.join(u' ');
}

} // namespace

void readFictionBook(const QString& path, RichText& out) {
    QFile file;
    const int fd = openRegularFile(path, maxDocumentSize(DocumentKind::FictionBook));
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw AppError(QStringLiteral("读取文件时出错"));
    }
    XmlStream x(file, path.section(u'/', -1));
    FlowText flow(out);
    int sections = 0;   // open sections and bodies
    int titleDepth = 0; // inside a title: its paragraphs are one heading
    bool rowHasCell = false;
    bool sawBody = false;
    while (x.next()) {
        const QStringView n = x.name();
        if (x.isStart()) {
            if (n == u"description") {
                if (out.author.isEmpty())
                    out.author = readAuthor(x);
                else
                    x.skipElement();
            } else if (n == u"binary" || n == u"stylesheet") {
                x.skipElement();
            } else if (n == u"body" || n == u"section") {
                sawBody = true;
                ++sections;
                flow.breakParagraph();
            } else if (n == u"title") {
                titleDepth = x.depth();
                flow.breakParagraph(std::clamp(sections - 1, 1, 6));
            } else if (n == u"p" || n == u"v" || n == u"subtitle" || n == u"text-author") {
                if (titleDepth > 0) {
                    if (!flow.paragraphIsEmpty())
                        flow.put(u" ");
                } else {
                    flow.breakParagraph();
                }
                if (n == u"subtitle")
                    ++flow.bold;
            } else if (n == u"empty-line" || n == u"tr" || n == u"stanza") {
                flow.breakParagraph();
                rowHasCell = false;
            } else if (n == u"td" || n == u"th") {
                if (rowHasCell)
                    flow.putExact(QStringLiteral("\t"));
                rowHasCell = true;
            } else if (n == u"strong") {
                ++flow.bold;
            } else if (n == u"emphasis") {
                ++flow.italic;
            }
        } else if (x.isEnd()) {
            if (n == u"body" || n == u"section") {
                --sections;
                flow.breakParagraph();
            } else if (n == u"title" && titleDepth > x.depth()) {
                titleDepth = 0;
                flow.breakParagraph();
            } else if (n == u"p" || n == u"v" || n == u"subtitle" || n == u"text-author" ||
                       n == u"tr") {
                if (n == u"subtitle")
                    --flow.bold;
                if (titleDepth == 0)
                    flow.breakParagraph();
            } else if (n == u"strong") {
                --flow.bold;
            } else if (n == u"emphasis") {
                --flow.italic;
            }
        } else if (x.isText() && sections > 0) {
            flow.put(x.text());
        }
    }
    if (!sawBody)
        throw AppError(QStringLiteral("缺少正文（body），不是FictionBook电子书"));
    out.add(flow.take());
}
