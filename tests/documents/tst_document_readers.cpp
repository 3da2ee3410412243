#include "app/app_error.h"
#include "documents/document_reading.h"
#include "documents/formatted_document.h"
#include "documents/zip_archive.h"
#include "sample_documents.h"

#include <QAbstractTextDocumentLayout>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// The program's own readers of .docx, .odt, .epub, .md and .fb2, on documents the test writes.
class TestDocumentReaders : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eachKindReadsAsShown_data();
    void eachKindReadsAsShown();
    void structuresReadAsShown_data();
    void structuresReadAsShown();
    void authorsAreRead_data();
    void authorsAreRead();
    void hostileInputIsRefused_data();
    void hostileInputIsRefused();
    void manySmallParagraphsStayWithinMemory_data();
    void manySmallParagraphsStayWithinMemory();
    void unsafeEntryNames_data();
    void unsafeEntryNames();
    void pipesAreRefusedByEveryReader_data();
    void pipesAreRefusedByEveryReader();
    void markdownLoadsNothingFromOutside();
    void documentWithoutTextIsRefused_data();
    void documentWithoutTextIsRefused();

private:
    QString write(const QString& name, const QByteArray& bytes);
    QString writeZipFile(const QString& name, const ZipEntries& entries);
    QTemporaryDir m_dir;
};

QString TestDocumentReaders::write(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString TestDocumentReaders::writeZipFile(const QString& name, const ZipEntries& entries) {
    const QString path = m_dir.filePath(name);
    if (!writeZip(path, entries))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

namespace {

const QString Styled = QStringLiteral("Plain bold italic 中文 \U0001F600 \U00020000");
const QStringList Table = {QStringLiteral("A\tB"), QStringLiteral("甲\t乙")};

QTextCharFormat formatOf(const QTextDocument& document, const QString& text) {
    const QTextCursor found = document.find(text);
    return found.isNull() ? QTextCharFormat() : found.charFormat();
}

struct Refusal {
    QString message;
    long growthMegabytes = 0;
};

long residentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLong() * sysconf(_SC_PAGESIZE) / (1024 * 1024);
}

// Run in a child process, whose peak memory earlier rows cannot mask: the refusal's message
// (empty when the document was read) and how far the peak rose above the memory at the start.
// A child that waits or grows without end is ended, its message empty.
Refusal runInChild(const std::function<void()>& action) {
    int channel[2];
    if (pipe(channel) != 0)
        qFatal("pipe");
    const long before = residentMegabytes();
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        alarm(60);
#ifndef __SANITIZE_ADDRESS__
        const rlimit memory{4096L << 20, 4096L << 20};
        setrlimit(RLIMIT_AS, &memory);
#endif
        QByteArray message;
        try {
            action();
        } catch (const AppError& error) {
            message = error.message().toUtf8();
        }
        (void)!write(channel[1], message.constData(), size_t(message.size()));
        _exit(0);
    }
    close(channel[1]);
    QByteArray message;
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, n);
    close(channel[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return {QString::fromUtf8(message), usage.ru_maxrss / 1024 - before};
}

Refusal readInChild(const QString& path) {
    return runInChild([&] {
        QTextDocument document;
        loadFormattedDocument(path, document);
    });
}

// Fails the child's read if it is ever asked: the kinds it converts must be refused before.
class NoConverter : public DocumentConverter {
public:
    QString wordText(const QString&, const ConversionCancelled&) override { return fail(); }
    QString pdfText(const QString&, const ConversionCancelled&, const Recognition&) override {
        return fail();
    }
    QString pictureText(const QString&, const ConversionCancelled&, const Recognition&) override {
        return fail();
    }

private:
    static QString fail() { throw AppError(QStringLiteral("the converter was asked")); }
};

// Blanks, which deflate a thousandfold, or letters that repeat only beyond deflate's window and
// so compress as ordinary text does.
QByteArray filledPart(const QByteArray& head, qsizetype size, bool random, const QByteArray& tail) {
    QByteArray block(64 * 1024, ' ');
    quint32 state = 1;
    for (char& c : block) {
        state = state * 1664525u + 1013904223u;
        if (random)
            c = char('a' + (state >> 24) % 26);
    }
    return head + block.repeated(size / block.size()) + tail;
}

} // namespace

void TestDocumentReaders::eachKindReadsAsShown_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("paragraphs");
    const QString title = QStringLiteral("第一章 开始");
    const QString note = QStringLiteral("[1] 注释 note");
    QTest::newRow("docx")
        << writeZipFile(QStringLiteral("a.docx"), docxEntries(SampleDocxBody))
        << (QStringList{title, Styled, QStringLiteral("1. one"), QStringLiteral("2. two")} + Table +
            QStringList{QStringLiteral("See[1] kept 7"), QStringLiteral("框中文字"), note});
    QTest::newRow("odt")
        << writeZipFile(QStringLiteral("a.odt"), odtEntries(SampleOdtText))
        << (QStringList{title, Styled, QStringLiteral("1. one"), QStringLiteral("2. two")} + Table +
            QStringList{QStringLiteral("See[1] kept 7"), QStringLiteral("框中文字"), note});
    // The first chapter opens with its own title; the second is given its title.
    const QStringList book = QStringList{title, Styled + QStringLiteral("\u00A0—"),
                                         QStringLiteral("1. one"), QStringLiteral("2. two")} +
                             Table +
                             QStringList{QStringLiteral("See[1] kept"), note,
                                         QStringLiteral("第二章"), QStringLiteral("第二章的文字")};
    QTest::newRow("epub 3") << writeZipFile(QStringLiteral("a.epub"),
                                            epubEntries(true, SampleEpubChapter))
                            << book;
    QTest::newRow("epub 2") << writeZipFile(QStringLiteral("b.epub"),
                                            epubEntries(false, SampleEpubChapter))
                            << book;
    QTest::newRow("fb2") << write(QStringLiteral("a.fb2"), SampleFictionBook)
                         << (QStringList{title, Styled, QStringLiteral("1. one"),
                                         QStringLiteral("2. two")} +
                             Table + QStringList{QStringLiteral("See[1] kept"), note});
    QTest::newRow("markdown") << write(QStringLiteral("a.md"), SampleMarkdown)
                              << QStringList{title, Styled, QStringLiteral("one"),
                                             QStringLiteral("two")};
}

void TestDocumentReaders::eachKindReadsAsShown() {
    QFETCH(QString, path);
    QFETCH(QStringList, paragraphs);
    QTextDocument document;
    loadFormattedDocument(path, document);
    QCOMPARE(document.toRawText().split(QChar::ParagraphSeparator), paragraphs);
    QCOMPARE(document.begin().blockFormat().headingLevel(), 1);
    QVERIFY(document.begin().charFormat().fontWeight() >= QFont::Bold ||
            formatOf(document, paragraphs[0]).fontWeight() >= QFont::Bold);
    QCOMPARE(document.begin().next().blockFormat().headingLevel(), 0);
    QVERIFY(formatOf(document, QStringLiteral("bold")).fontWeight() >= QFont::Bold);
    QVERIFY(!formatOf(document, QStringLiteral("bold")).fontItalic());
    QVERIFY(formatOf(document, QStringLiteral("italic")).fontItalic());
    QVERIFY(formatOf(document, QStringLiteral("Plain")).fontWeight() < QFont::Bold);
}

namespace {

const QByteArray Xhtml =
    "<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\"><body>";
const QStringList SecondChapter = {QStringLiteral("第二章"), QStringLiteral("第二章的文字")};
const QByteArray Wp =
    "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\"";

// A numbered paragraph of the list, at the level.
QByteArray numbered(const char* numId, const char* text, int level = 0) {
    return "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"" + QByteArray::number(level) +
           "\"/><w:numId w:val=\"" + numId + "\"/></w:numPr></w:pPr><w:r><w:t>" + text +
           "</w:t></w:r></w:p>";
}

// The sample's parts with the main part, and the parts it refers to, under other names.
ZipEntries movedDocx(const QByteArray& body) {
    ZipEntries entries = docxEntries(body);
    for (auto& [name, bytes] : entries) {
        if (name == "word/document.xml") {
            name = "content/main.xml";
        } else if (name == "_rels/.rels") {
            bytes.replace("Target=\"word/document.xml\"", "Target=\"/content/main.xml\"");
        } else if (name == "word/_rels/document.xml.rels") {
            name = "content/_rels/main.xml.rels";
            bytes.replace("Target=\"styles.xml\"", "Target=\"../word/styles.xml\"")
                .replace("Target=\"numbering.xml\"", "Target=\"../word/numbering.xml\"")
                .replace("Target=\"footnotes.xml\"", "Target=\"../word/footnotes.xml\"");
        }
    }
    return entries;
}

} // namespace

void TestDocumentReaders::structuresReadAsShown_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("paragraphs");
    // EPUB: the paragraphs of an item are on its number's line, a cell's on its row's line.
    QTest::newRow("epub items and cells of paragraphs")
        << writeZipFile(
               QStringLiteral("blocks.epub"),
               epubEntries(false, Xhtml + "<ol><li><p>one</p></li><li><p>two</p></li></ol>"
                                          "<ul><li><div><p>dot</p></div></li></ul>"
                                          "<table><tr><td><p>A</p></td><td><p>B</p><p>b</p>"
                                          "</td></tr><tr><th><h3>甲</h3></th><td><ul><li>"
                                          "x</li><li>y</li></ul></td></tr></table>"
                                          "<p>前<img src=\"a.png\" alt=\"一只猫\"/>后</p>"
                                          "<p><img src=\"b.png\" alt=\"\"/>无</p></body></html>"))
        << QStringList{QStringLiteral("第一章 开始"),
                       QStringLiteral("1. one"),
                       QStringLiteral("2. two"),
                       QStringLiteral("• dot"),
                       QStringLiteral("A\tB b"),
                       QStringLiteral("甲\t• x • y"),
                       QStringLiteral("前 图片：一只猫 后"),
                       QStringLiteral("无")} +
               SecondChapter;

    // .docx numbering: a level defined again by one list leaves the others as they were, a list
    // from 0 counts on, cells keep their numbers.
    ZipEntries lists =
        docxEntries(numbered("2", "zero") + numbered("2", "one") + numbered("3", "override") +
                    numbered("1", "plain") + "<w:tbl><w:tr><w:tc>" + numbered("4", "cell") +
                    "</w:tc><w:tc><w:p><w:r><w:t>next</w:t>"
                    "</w:r></w:p></w:tc></w:tr></w:tbl>");
    for (auto& [name, bytes] : lists) {
        if (name != "word/numbering.xml")
            continue;
        bytes.replace(
            "<w:num w:numId=\"1\">",
            "<w:abstractNum w:abstractNumId=\"1\"><w:lvl w:ilvl=\"0\"><w:start w:val=\"0\"/>"
            "<w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1)\"/></w:lvl></w:abstractNum>"
            "<w:num w:numId=\"1\">");
        bytes.replace("</w:numbering>",
                      "<w:num w:numId=\"2\"><w:abstractNumId w:val=\"1\"/></w:num>"
                      "<w:num w:numId=\"3\"><w:abstractNumId w:val=\"0\"/><w:lvlOverride "
                      "w:ilvl=\"0\"><w:lvl w:ilvl=\"0\"><w:start w:val=\"3\"/><w:numFmt "
                      "w:val=\"lowerLetter\"/><w:lvlText w:val=\"(%1)\"/></w:lvl></w:lvlOverride>"
                      "</w:num><w:num w:numId=\"4\"><w:abstractNumId w:val=\"0\"/></w:num>"
                      "</w:numbering>");
    }
    QTest::newRow("docx lists") << writeZipFile(QStringLiteral("lists.docx"), lists)
                                << QStringList{QStringLiteral("0) zero"), QStringLiteral("1) one"),
                                               QStringLiteral("(c) override"),
                                               QStringLiteral("1. plain"),
                                               QStringLiteral("1. cell\tnext")};

    QTest::newRow("docx symbols, drop cap and picture")
        << writeZipFile(
               QStringLiteral("symbols.docx"),
               docxEntries(
                   "<w:p><w:r><w:sym w:font=\"Symbol\" w:char=\"F061\"/><w:t>=1 </w:t><w:sym "
                   "w:font=\"Wingdings\" w:char=\"F0FC\"/><w:sym w:font=\"Arial\" "
                   "w:char=\"2192\"/></w:r></w:p>"
                   "<w:p><w:pPr><w:framePr w:dropCap=\"drop\" w:lines=\"3\"/></w:pPr><w:r><w:t>D"
                   "</w:t></w:r></w:p><w:p><w:r><w:t>rop cap</w:t></w:r></w:p>"
                   "<w:p><w:r><w:t>前</w:t></w:r><w:r><w:drawing><wp:inline " +
                   Wp +
                   "><wp:docPr id=\"1\" name=\"Picture 1\" descr=\"一只猫\"/></wp:inline>"
                   "</w:drawing></w:r><w:r><w:t>后</w:t></w:r></w:p>"))
        << QStringList{QStringLiteral("α=1 ✓→"), QStringLiteral("Drop cap"),
                       QStringLiteral("前 图片：一只猫 后")};

    // Found through the package's relationships, as office suites find it.
    QTest::newRow("docx main part elsewhere")
        << writeZipFile(QStringLiteral("moved.docx"), movedDocx(SampleDocxBody))
        << (QStringList{QStringLiteral("第一章 开始"), Styled, QStringLiteral("1. one"),
                        QStringLiteral("2. two")} +
            Table +
            QStringList{QStringLiteral("See[1] kept 7"), QStringLiteral("框中文字"),
                        QStringLiteral("[1] 注释 note")});

    QTest::newRow("odt picture")
        << writeZipFile(
               QStringLiteral("picture.odt"),
               odtEntries("<text:p>前<draw:frame "
                          "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\">"
                          "<draw:image/><svg:title>猫</svg:title><svg:desc>一只猫</svg:desc>"
                          "</draw:frame>后</text:p><text:p>题<draw:frame xmlns:svg=\"urn:oasis:"
                          "names:tc:opendocument:xmlns:svg-compatible:1.0\"><draw:image/>"
                          "<svg:title>只有标题</svg:title></draw:frame></text:p>"))
        << QStringList{QStringLiteral("前 图片：一只猫 后"), QStringLiteral("题 图片：只有标题")};
}

void TestDocumentReaders::structuresReadAsShown() {
    QFETCH(QString, path);
    QFETCH(QStringList, paragraphs);
    QTextDocument document;
    loadFormattedDocument(path, document);
    QCOMPARE(document.toRawText().split(QChar::ParagraphSeparator), paragraphs);
}

void TestDocumentReaders::authorsAreRead_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("author");
    ZipEntries docx = docxEntries(SampleDocxBody);
    for (auto& [name, bytes] : docx) {
        if (name == "_rels/.rels")
            bytes.replace("</Relationships>",
                          "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/"
                          "package/2006/relationships/metadata/core-properties\" "
                          "Target=\"docProps/core.xml\"/></Relationships>");
    }
    docx.append(std::pair<QByteArray, QByteArray>{
        "docProps/core.xml",
        "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/"
        "metadata/core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
        "<dc:title>书</dc:title><dc:creator> 鲁迅 </dc:creator></cp:coreProperties>"});
    QTest::newRow("docx") << writeZipFile(QStringLiteral("author.docx"), docx)
                          << QStringLiteral("鲁迅");
    ZipEntries odt = odtEntries(SampleOdtText);
    odt.append(std::pair<QByteArray, QByteArray>{
        "meta.xml",
        "<office:document-meta xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:"
        "1.0\" xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\" xmlns:dc=\""
        "http://purl.org/dc/elements/1.1/\"><office:meta><dc:creator>Editor</dc:creator>"
        "<meta:initial-creator>老舍</meta:initial-creator></office:meta>"
        "</office:document-meta>"});
    QTest::newRow("odt") << writeZipFile(QStringLiteral("author.odt"), odt)
                         << QStringLiteral("老舍");
    ZipEntries epub = epubEntries(true, SampleEpubChapter);
    for (auto& [name, bytes] : epub) {
        if (name == "OEBPS/content.opf")
            bytes.replace("<manifest>",
                          "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>书"
                          "</dc:title><dc:creator>Jane Austen</dc:creator><dc:creator>Other"
                          "</dc:creator></metadata><manifest>");
    }
    QTest::newRow("epub") << writeZipFile(QStringLiteral("author.epub"), epub)
                          << QStringLiteral("Jane Austen");
    QByteArray fb2 = SampleFictionBook;
    fb2.replace("<book-title>书名</book-title>",
                "<author><first-name>Лев</first-name><middle-name>Николаевич</middle-name>"
                "<last-name>Толстой</last-name></author><book-title>书名</book-title><author>"
                "<nickname>second</nickname></author>");
    QTest::newRow("fb2") << write(QStringLiteral("author.fb2"), fb2)
                         << QStringLiteral("Лев Николаевич Толстой");
    QTest::newRow("none") << writeZipFile(QStringLiteral("anonymous.docx"),
                                          docxEntries(SampleDocxBody))
                          << QString();
}

// The author that a document's description names, kept with the document for the audiobook.
void TestDocumentReaders::authorsAreRead() {
    QFETCH(QString, path);
    QFETCH(QString, author);
    QTextDocument document;
    loadDocument(path, documentKind(path), false, document);
    QCOMPARE(documentAuthor(document), author);
    // The text is read as before.
    QVERIFY(document.toPlainText().contains(QStringLiteral("第一章 开始")));
}

void TestDocumentReaders::hostileInputIsRefused_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    const QByteArray encrypted = QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) +
                                 QByteArray(504, '\0') +
                                 QByteArray("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);
    QTest::newRow("encrypted docx")
        << write(QStringLiteral("locked.docx"), encrypted) << QStringLiteral("文档已加密");
    ZipEntries lockedOdt = odtEntries(SampleOdtText);
    lockedOdt[1].second =
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
        "<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:encryption-data/>"
        "</manifest:file-entry></manifest:manifest>";
    QTest::newRow("encrypted odt")
        << writeZipFile(QStringLiteral("locked.odt"), lockedOdt) << QStringLiteral("文档已加密");
    const QString whole = writeZipFile(QStringLiteral("whole.docx"), docxEntries(SampleDocxBody));
    QFile file(whole);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QTest::newRow("truncated docx")
        << write(QStringLiteral("cut.docx"), bytes.first(bytes.size() / 2))
        << QStringLiteral("不完整或已损坏");
    QTest::newRow("not a zip") << write(QStringLiteral("text.odt"), "plain words")
                               << QStringLiteral("不完整或已损坏");
    QTest::newRow("missing main part")
        << writeZipFile(QStringLiteral("empty.docx"), {{"[Content_Types].xml", "<Types/>"}})
        << QStringLiteral("缺少正文部分");
    QTest::newRow("missing content")
        << writeZipFile(QStringLiteral("empty.odt"), {{"mimetype", "x"}})
        << QStringLiteral("缺少正文部分");
    QTest::newRow("epub without container")
        << writeZipFile(QStringLiteral("empty.epub"), {{"mimetype", "application/epub+zip"}})
        << QStringLiteral("container.xml");
    // Some ten kilobytes that inflate to 64 MB.
    QTest::newRow("zip bomb") << writeZipFile(
                                     QStringLiteral("bomb.docx"),
                                     docxEntries(filledPart("<w:p><w:r><w:t>x</w:t></w:r></w:p>",
                                                            64 * 1024 * 1024, false, {})))
                              << QStringLiteral("压缩炸弹");
    const QByteArray laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
        "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:body><w:p><w:r><w:t>&c;&c;&c;</w:t></w:r></w:p></w:body></w:document>";
    ZipEntries entities = docxEntries({});
    entities.last().second = laughs;
    QTest::newRow("entity expansion in docx")
        << writeZipFile(QStringLiteral("laughs.docx"), entities) << QStringLiteral("XML 实体");
    ZipEntries chapter = epubEntries(true, laughs);
    QTest::newRow("entity expansion in epub")
        << writeZipFile(QStringLiteral("laughs.epub"), chapter) << QStringLiteral("XML 实体");
    QTest::newRow("entity expansion in fb2")
        << write(QStringLiteral("laughs.fb2"), laughs) << QStringLiteral("XML 实体");
    // The parser's reasons are English: the user is told in Chinese.
    QTest::newRow("broken XML") << writeZipFile(QStringLiteral("broken.docx"),
                                                docxEntries("<w:p><w:r>"))
                                << QStringLiteral("XML 有误（第 1 行第");
    QTest::newRow("mismatched tags")
        << write(QStringLiteral("mismatched.fb2"), "<FictionBook><body><p>x</b></body>")
        << QStringLiteral("的 XML 有误（第 1 行第 27 列）：标记的写法不正确");
    QTest::newRow("XML cut off")
        << write(QStringLiteral("cut.fb2"), "<FictionBook><body><section><p>x")
        << QStringLiteral("cut.fb2 的 XML 有误（第 1 行第 32 列）：内容没有写完就结束了");
    QTest::newRow("deep nesting") << write(QStringLiteral("deep.fb2"),
                                           "<FictionBook>" +
                                               QByteArray("<section>").repeated(100'000))
                                  << QStringLiteral("嵌套过深");
    // Text beyond what the editor opens, in a part that compresses as ordinary text does.
    QTest::newRow("text beyond 32 MB")
        << writeZipFile(QStringLiteral("long.docx"),
                        docxEntries(filledPart("<w:p><w:r><w:t>", 33 * 1024 * 1024, true,
                                               "</w:t></w:r></w:p>")))
        << QStringLiteral("超过 32 MB");
    ZipEntries many;
    for (int i = 0; i <= ZipArchive::MaxEntries; ++i)
        many.append({QByteArray::number(i), QByteArray("x")});
    QTest::newRow("too many entries")
        << writeZipFile(QStringLiteral("many.epub"), many) << QStringLiteral("条目过多");
}

// Each refusal names the file and the reason; the reader's memory stays bounded.
void TestDocumentReaders::hostileInputIsRefused() {
    QFETCH(QString, path);
    QFETCH(QString, reason);
    const Refusal refusal = readInChild(path);
    QVERIFY2(refusal.message.contains(path), qPrintable(refusal.message));
    QVERIFY2(refusal.message.contains(reason), qPrintable(refusal.message));
    // AddressSanitizer keeps freed memory in quarantine and maps its shadow; the bound is the
    // reader's, measured without it.
#ifndef __SANITIZE_ADDRESS__
    QVERIFY2(refusal.growthMegabytes <= 200,
             qPrintable(QStringLiteral("%1 MB").arg(refusal.growthMegabytes)));
#endif
}

namespace {

// The item, count times, each with three letters of its own so that the part compresses as text.
QByteArray repeatedItems(const QByteArray& before, const QByteArray& after, int count) {
    QByteArray all;
    all.reserve(qsizetype(count) * (before.size() + after.size() + 3));
    quint32 state = 7;
    for (int i = 0; i < count; ++i) {
        all += before;
        for (int k = 0; k < 3; ++k) {
            state = state * 1664525u + 1013904223u;
            all += char('a' + (state >> 24) % 26);
        }
        all += after;
    }
    return all;
}

} // namespace

void TestDocumentReaders::manySmallParagraphsStayWithinMemory_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason"); // empty: read
    const QString memory = QStringLiteral("需要的内存超过");
    for (const auto& [count, name] :
         {std::pair(300'000, "read"), std::pair(3'000'000, "refused")}) {
        const bool refused = count > 1'000'000;
        const QString tag = QString::fromLatin1(name);
        QTest::newRow(qPrintable(QStringLiteral("docx %1").arg(tag)))
            << writeZipFile(
                   QStringLiteral("many-%1.docx").arg(tag),
                   docxEntries(repeatedItems("<w:p><w:r><w:t>", "</w:t></w:r></w:p>", count)))
            << (refused ? memory : QString());
        QTest::newRow(qPrintable(QStringLiteral("odt %1").arg(tag)))
            << writeZipFile(QStringLiteral("many-%1.odt").arg(tag),
                            odtEntries(repeatedItems("<text:p>", "</text:p>", count)))
            << (refused ? memory : QString());
        QTest::newRow(qPrintable(QStringLiteral("epub %1").arg(tag)))
            << writeZipFile(
                   QStringLiteral("many-%1.epub").arg(tag),
                   epubEntries(false, "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body>" +
                                          repeatedItems("<p>", "</p>", count) + "</body></html>"))
            << (refused ? memory : QString());
        QTest::newRow(qPrintable(QStringLiteral("fb2 %1").arg(tag)))
            << write(QStringLiteral("many-%1.fb2").arg(tag),
                     "<FictionBook><body><section>" + repeatedItems("<p>", "</p>", count) +
                         "</section></body></FictionBook>")
            << (refused ? memory : QString());
        QTest::newRow(qPrintable(QStringLiteral("md %1").arg(tag)))
            << write(QStringLiteral("many-%1.md").arg(tag),
                     repeatedItems("", "\n\n", refused ? count : count / 2))
            << (refused ? memory : QString());
    }
    // Styles that change at every letter: each piece costs as a paragraph nearly does.
    QTest::newRow("docx pieces refused")
        << writeZipFile(
               QStringLiteral("pieces.docx"),
               docxEntries("<w:p>" +
                           repeatedItems("<w:r><w:rPr><w:b/></w:rPr><w:t>",
                                         "</w:t></w:r><w:r><w:t>x</w:t></w:r>", 2'000'000) +
                           "</w:p>"))
        << memory;
    QTest::newRow("fb2 larger than its limit")
        << write(QStringLiteral("large.fb2"),
                 filledPart("<FictionBook><body><section><p>", 130 * 1024 * 1024, true,
                            "</p></section></body></FictionBook>"))
        << QStringLiteral("最多只能打开 128 MB");
}

// Documents of many short paragraphs (each costs far more than its letters) are read or
// refused within the reader's memory bound, never past it.
void TestDocumentReaders::manySmallParagraphsStayWithinMemory() {
    QFETCH(QString, path);
    QFETCH(QString, reason);
    const Refusal refusal = readInChild(path);
    qInfo("%ld MB", refusal.growthMegabytes);
    if (reason.isEmpty()) {
        QVERIFY2(refusal.message.isEmpty(), qPrintable(refusal.message));
    } else {
        QVERIFY2(refusal.message.contains(path) && refusal.message.contains(reason),
                 qPrintable(refusal.message));
    }
#ifndef __SANITIZE_ADDRESS__
    QVERIFY2(refusal.growthMegabytes <= 200,
             qPrintable(QStringLiteral("%1 MB").arg(refusal.growthMegabytes)));
#endif
    QFile::remove(path);
}

void TestDocumentReaders::unsafeEntryNames_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("parent folder") << QByteArray("../evil.txt");
    QTest::newRow("inner parent folder") << QByteArray("word/../../evil.txt");
    QTest::newRow("backslashes") << QByteArray("..\\evil.txt");
    QTest::newRow("absolute") << QByteArray("/etc/evil");
    QTest::newRow("drive") << QByteArray("C:/evil");
}

// One such name refuses the whole file, however sound the rest.
void TestDocumentReaders::unsafeEntryNames() {
    QFETCH(QByteArray, name);
    ZipEntries entries = docxEntries(SampleDocxBody);
    entries.append({name, QByteArray("x")});
    const QString path = writeZipFile(QStringLiteral("unsafe.docx"), entries);
    QTextDocument document;
    try {
        loadFormattedDocument(path, document);
        QFAIL("the document was read");
    } catch (const AppError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("不安全的条目名")),
                 qPrintable(error.message()));
    }
}

void TestDocumentReaders::pipesAreRefusedByEveryReader_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("direct"); // the reader itself, past the road's check
    for (const char* name : {"p.txt", "p.rtf", "p.docx", "p.docm", "p.odt", "p.epub", "p.fb2",
                             "p.md", "p.doc", "p.pdf", "p.htm", "p.png", "p"}) {
        QTest::newRow(name) << QString::fromLatin1(name) << false;
    }
    for (const char* name : {"p.docx", "p.odt", "p.epub", "p.fb2", "p.md"})
        QTest::newRow(qPrintable(QStringLiteral("%1 read directly").arg(QLatin1StringView(name))))
            << QString::fromLatin1(name) << true;
}

// A named pipe in a document's place is refused before it is opened: an open of it would wait
// for a writer. The readers open what they read without waiting, so that a pipe put in the
// file's place after the road's check is refused as well.
void TestDocumentReaders::pipesAreRefusedByEveryReader() {
    QFETCH(QString, name);
    QFETCH(bool, direct);
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    const Refusal refusal = runInChild([&] {
        if (direct) {
            QTextDocument document;
            loadFormattedDocument(path, document);
            return;
        }
        const DocumentKind kind = documentKind(path);
        NoConverter converter;
        QTextDocument document;
        switch (checkedReadingRoad(path, kind)) {
        case ReadingRoad::Loaded:
            loadDocument(path, kind, false, document);
            break;
        case ReadingRoad::Converted:
            convertDocument(converter, path, kind, {}, {});
            break;
        case ReadingRoad::WebPage:
            throw AppError(QStringLiteral("the page was asked"));
        }
    });
    QVERIFY2(refusal.message.contains(path) &&
                 refusal.message.contains(QStringLiteral("这不是普通文件")),
             qPrintable(refusal.message));
}

// Pictures and style sheets that a Markdown file names are not loaded, neither by the reader
// nor when the text is laid out: a device would fill the memory, a pipe would never end.
// A picture is read as its description.
void TestDocumentReaders::markdownLoadsNothingFromOutside() {
    const QString fifo = m_dir.filePath(QStringLiteral("picture.png"));
    QFile::remove(fifo);
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const QString path =
        write(QStringLiteral("pictures.md"),
              "# 图\n\n前 ![一只猫](/dev/zero) 后\n\n![](picture.png)\n\n![管道](file://" +
                  QFile::encodeName(fifo) +
                  ")\n\n末\n\n<img src=\"/dev/zero\" alt=\"x\">\n\n<link rel=\"stylesheet\" "
                  "href=\"/dev/zero\">\n\n<p style=\"background-image: url(/dev/zero)\">p</p>\n");
    QString text;
    const Refusal refusal = runInChild([&] {
        QTextDocument document;
        loadFormattedDocument(path, document);
        // Laid out as the editor lays it out, pictures and all.
        document.setTextWidth(400);
        (void)document.documentLayout()->documentSize();
        bool picture = false;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it)
                picture = picture || it.fragment().charFormat().isImageFormat();
        }
        throw AppError(document.toPlainText() + (picture ? QStringLiteral("|picture") : QString()));
    });
    QVERIFY2(refusal.message.contains(QStringLiteral("前 图片：一只猫 后")),
             qPrintable(refusal.message));
    QVERIFY2(refusal.message.contains(QStringLiteral("图片：管道")), qPrintable(refusal.message));
    QVERIFY2(refusal.message.contains(QStringLiteral("末")), qPrintable(refusal.message));
    QVERIFY2(!refusal.message.contains(QStringLiteral("|picture")), qPrintable(refusal.message));
#ifndef __SANITIZE_ADDRESS__
    QVERIFY2(refusal.growthMegabytes <= 100,
             qPrintable(QStringLiteral("%1 MB").arg(refusal.growthMegabytes)));
#endif
}

void TestDocumentReaders::documentWithoutTextIsRefused_data() {
    QTest::addColumn<QString>("path");
    QFile formula(QStringLiteral(FIXTURES "/formula_only.odt"));
    QVERIFY(formula.open(QIODevice::ReadOnly));
    QTest::newRow("odt of a formula") << write(QStringLiteral("formula.odt"), formula.readAll());
    QTest::newRow("empty docx") << writeZipFile(QStringLiteral("blank.docx"),
                                                docxEntries("<w:p><w:r><w:t> </w:t></w:r></w:p>"));
    QTest::newRow("markdown of blanks") << write(QStringLiteral("blank.md"), "\n\n   \n");
}

// Said as such; the document given keeps what it had.
void TestDocumentReaders::documentWithoutTextIsRefused() {
    QFETCH(QString, path);
    QTextDocument document;
    document.setPlainText(QStringLiteral("earlier"));
    try {
        loadDocument(path, documentKind(path), false, document);
        QFAIL(qPrintable(QStringLiteral("read: ") + document.toPlainText()));
    } catch (const AppError& error) {
        QVERIFY2(error.message().contains(path) &&
                     error.message().contains(QStringLiteral("没有可以朗读的文字")),
                 qPrintable(error.message()));
    }
    QCOMPARE(document.toPlainText(), QStringLiteral("earlier"));
}

QTEST_MAIN(TestDocumentReaders)
#include "tst_document_readers.moc"
