#pragma once

// Documents of each formatted kind, written by the tests: a heading, emphasis, Chinese and
// characters beyond the Basic Multilingual Plane, a numbered list, a table, a note, and (where the
// kind has them) a deleted revision, a field and a text box.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <utility>
#include <zip.h>

using ZipEntries = QList<std::pair<QByteArray, QByteArray>>;

// Stored with deflate; false when the container cannot be written.
inline bool writeZip(const QString& path, const ZipEntries& entries) {
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source =
            zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index =
            source ? zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        zip_set_file_compression(archive, zip_uint64_t(index),
                                 bytes.size() < 64 ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 1);
    }
    return zip_close(archive) == 0;
}

inline ZipEntries docxEntries(const QByteArray& body) {
    const QByteArray w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    return {
        {"[Content_Types].xml",
         "<?xml version=\"1.0\"?><Types "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {"_rels/.rels",
         "<?xml version=\"1.0\"?><Relationships "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
         "Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
         "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
        {"word/_rels/document.xml.rels",
         "<?xml version=\"1.0\"?><Relationships "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"r1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
         "relationships/styles\" Target=\"styles.xml\"/>"
         "<Relationship Id=\"r2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
         "relationships/numbering\" Target=\"numbering.xml\"/>"
         "<Relationship Id=\"r3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
         "relationships/footnotes\" Target=\"footnotes.xml\"/></Relationships>"},
        {"word/styles.xml", "<w:styles " + w +
                                "><w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name "
                                "w:val=\"heading 1\"/><w:rPr><w:sz w:val=\"32\"/></w:rPr></w:style>"
                                "<w:style w:type=\"character\" w:styleId=\"Strong\"><w:rPr><w:b/>"
                                "</w:rPr></w:style></w:styles>"},
        {"word/numbering.xml",
         "<w:numbering " + w +
             "><w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/>"
             "<w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/></w:lvl></w:abstractNum>"
             "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num></w:numbering>"},
        {"word/footnotes.xml",
         "<w:footnotes " + w +
             "><w:footnote w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/></w:r></w:p>"
             "</w:footnote><w:footnote w:id=\"2\"><w:p><w:r><w:footnoteRef/></w:r><w:r><w:t>"
             "注释 note</w:t></w:r></w:p></w:footnote></w:footnotes>"},
        {"word/document.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document " + w +
             " xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
             "xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\" "
             "xmlns:v=\"urn:schemas-microsoft-com:vml\"><w:body>" +
             body + "</w:body></w:document>"},
    };
}

inline const QByteArray SampleDocxBody =
    "<w:p><w:pPr><w:pStyle w:val=\"Heading1\"/></w:pPr><w:r><w:t>第一章 开始</w:t></w:r></w:p>"
    "<w:p><w:r><w:t xml:space=\"preserve\">Plain </w:t></w:r><w:r><w:rPr><w:rStyle "
    "w:val=\"Strong\"/></w:rPr><w:t>bold</w:t></w:r><w:r><w:t xml:space=\"preserve\"> </w:t></w:r>"
    "<w:r><w:rPr><w:i/></w:rPr><w:t>italic</w:t></w:r><w:r><w:t xml:space=\"preserve\"> 中文 "
    "\xF0\x9F\x98\x80 \xF0\xA0\x80\x80</w:t></w:r></w:p>"
    "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr><w:r>"
    "<w:t>one</w:t></w:r></w:p>"
    "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr><w:r>"
    "<w:t>two</w:t></w:r></w:p>"
    "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>A</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>B</w:t>"
    "</w:r></w:p></w:tc></w:tr><w:tr><w:tc><w:p><w:r><w:t>甲</w:t></w:r></w:p></w:tc><w:tc><w:p>"
    "<w:r><w:t>乙</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
    "<w:p><w:r><w:t>See</w:t></w:r><w:r><w:footnoteReference w:id=\"2\"/></w:r><w:r><w:t "
    "xml:space=\"preserve\"> kept </w:t></w:r><w:del><w:r><w:delText>gone</w:delText></w:r></w:del>"
    "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> PAGE </w:instrText></w:r>"
    "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>7</w:t></w:r><w:r><w:fldChar "
    "w:fldCharType=\"end\"/></w:r><w:r><mc:AlternateContent><mc:Choice "
    "Requires=\"wps\"><w:drawing><wps:txbx><w:txbxContent><w:p><w:r><w:t>框中文字</w:t></w:r>"
    "</w:p></w:txbxContent></wps:txbx></w:drawing></mc:Choice><mc:Fallback><w:pict><v:textbox>"
    "<w:txbxContent><w:p><w:r><w:t>框中文字</w:t></w:r></w:p></w:txbxContent></v:textbox></w:pict>"
    "</mc:Fallback></mc:AlternateContent></w:r></w:p>";

inline ZipEntries odtEntries(const QByteArray& text) {
    return {
        {"mimetype", "application/vnd.oasis.opendocument.text"},
        {"META-INF/manifest.xml",
         "<manifest:manifest "
         "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\"><manifest:file-"
         "entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
         "</manifest:manifest>"},
        {"content.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
         "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
         "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\"><office:automatic-"
         "styles><style:style style:name=\"T1\" style:family=\"text\"><style:text-properties "
         "fo:font-weight=\"bold\"/></style:style><style:style style:name=\"T2\" "
         "style:family=\"text\"><style:text-properties fo:font-style=\"italic\"/></style:style>"
         "<text:list-style style:name=\"L1\"><text:list-level-style-number text:level=\"1\" "
         "style:num-format=\"1\" style:num-suffix=\".\"/></text:list-style></office:automatic-"
         "styles><office:body><office:text>" +
             text + "</office:text></office:body></office:document-content>"},
    };
}

inline const QByteArray SampleOdtText =
    "<text:tracked-changes><text:changed-region text:id=\"c1\"><text:deletion><text:p>gone"
    "</text:p></text:deletion></text:changed-region></text:tracked-changes>"
    "<text:h text:outline-level=\"1\">第一章 开始</text:h>"
    "<text:p>Plain <text:span text:style-name=\"T1\">bold</text:span> <text:span "
    "text:style-name=\"T2\">italic</text:span> 中文 \xF0\x9F\x98\x80 \xF0\xA0\x80\x80</text:p>"
    "<text:list text:style-name=\"L1\"><text:list-item><text:p>one</text:p></text:list-item>"
    "<text:list-item><text:p>two</text:p></text:list-item></text:list>"
    "<table:table><table:table-row><table:table-cell><text:p>A</text:p></table:table-cell>"
    "<table:table-cell><text:p>B</text:p></table:table-cell></table:table-row><table:table-row>"
    "<table:table-cell><text:p>甲</text:p></table:table-cell><table:table-cell><text:p>乙</text:p>"
    "</table:table-cell></table:table-row></table:table>"
    "<text:p>See<text:note text:note-class=\"footnote\"><text:note-citation>1</text:note-citation>"
    "<text:note-body><text:p>注释 note</text:p></text:note-body></text:note> kept <text:change "
    "text:change-id=\"c1\"/><text:page-number>7</text:page-number><draw:frame><draw:text-box>"
    "<text:p>框中文字</text:p></draw:text-box></draw:frame></text:p>";

// With a navigation document (EPUB 3), or only the NCX (EPUB 2).
inline ZipEntries epubEntries(bool nav, const QByteArray& firstChapter) {
    ZipEntries entries = {
        {"mimetype", "application/epub+zip"},
        {"META-INF/container.xml",
         "<?xml version=\"1.0\"?><container version=\"1.0\" "
         "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles><rootfile "
         "full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/>"
         "</rootfiles></container>"},
        {"OEBPS/content.opf",
         "<?xml version=\"1.0\"?><package xmlns=\"http://www.idpf.org/2007/opf\" "
         "version=\"3.0\"><manifest><item id=\"c2\" href=\"text/c2.xhtml\" "
         "media-type=\"application/xhtml+xml\"/><item id=\"c1\" href=\"text/c%201.xhtml\" "
         "media-type=\"application/xhtml+xml\"/>" +
             QByteArray(nav ? "<item id=\"nav\" href=\"nav.xhtml\" properties=\"nav\" "
                              "media-type=\"application/xhtml+xml\"/>"
                            : "") +
             "<item id=\"ncx\" href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"/>"
             "</manifest><spine toc=\"ncx\"><itemref idref=\"c1\"/><itemref idref=\"c2\"/>"
             "</spine></package>"},
        {"OEBPS/toc.ncx",
         "<?xml version=\"1.0\"?><ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\"><navMap>"
         "<navPoint id=\"p1\"><navLabel><text>第一章 开始</text></navLabel><content "
         "src=\"text/c%201.xhtml\"/></navPoint><navPoint id=\"p2\"><navLabel><text>第二章"
         "</text></navLabel><content src=\"text/c2.xhtml#start\"/></navPoint></navMap></ncx>"},
        {"OEBPS/text/c 1.xhtml", firstChapter},
        {"OEBPS/text/c2.xhtml",
         "<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>t"
         "</title></head><body><p>第二章的文字</p></body></html>"},
    };
    if (nav)
        entries.append(std::pair<QByteArray, QByteArray>(
            "OEBPS/nav.xhtml",
            "<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\" "
            "xmlns:epub=\"http://www.idpf.org/2007/ops\"><body><nav epub:type=\"landmarks\"><ol>"
            "<li><a href=\"text/c2.xhtml\">Landmark</a></li></ol></nav><nav epub:type=\"toc\">"
            "<ol><li><a href=\"text/c%201.xhtml\">第一章 开始</a></li><li><a "
            "href=\"text/c2.xhtml#start\">第二章</a></li></ol></nav></body></html>"));
    return entries;
}

inline const QByteArray SampleEpubChapter =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML "
    "1.1//EN\" \"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">\n<html "
    "xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\"><head>"
    "<title>c1</title><style>p {}</style></head><body>\n<h1>第一章 开始</h1>\n<p>Plain "
    "<b>bold</b>\n"
    "<em>italic</em> 中文 &#x1F600; "
    "\xF0\xA0\x80\x80&nbsp;&mdash;</p><ol><li>one</li><li>two</li></ol>"
    "<table><tr><td>A</td><td>B</td></tr><tr><td>甲</td><td>乙</td></tr></table><p>See<a "
    "href=\"#n1\">[1]</a> kept</p><aside epub:type=\"footnote\" id=\"n1\"><p>[1] 注释 note</p>"
    "</aside></body></html>";

inline const QByteArray SampleFictionBook =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><FictionBook "
    "xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" xmlns:l=\"http://www.w3.org/1999/xlink\">"
    "<description><title-info><book-title>书名</book-title></title-info></description><body>"
    "<section><title><p>第一章 开始</p></title><p>Plain <strong>bold</strong> "
    "<emphasis>italic</emphasis> 中文 \xF0\x9F\x98\x80 \xF0\xA0\x80\x80</p><p>1. one</p><p>2. "
    "two</p>"
    "<table><tr><td>A</td><td>B</td></tr><tr><td>甲</td><td>乙</td></tr></table><p>See<a "
    "l:href=\"#n1\" type=\"note\">[1]</a> kept</p></section></body><body name=\"notes\"><section "
    "id=\"n1\"><p>[1] 注释 note</p></section></body><binary id=\"x.png\" "
    "content-type=\"image/png\">AAAA</binary></FictionBook>";

inline const QByteArray SampleMarkdown =
    "# 第一章 开始\n\nPlain **bold** *italic* 中文 \xF0\x9F\x98\x80 \xF0\xA0\x80\x80\n\n1. one\n"
    "2. two\n";
