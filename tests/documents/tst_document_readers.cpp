#include "app/app_error.h"
#include "documents/formatted_document.h"
#include "documents/zip_archive.h"
#include "sample_documents.h"

#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// The program's own readers of .docx, .odt, .epub, .md and .fb2, on documents the test writes.
class TestDocumentReaders : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eachKindReadsAsShown_data();
    void eachKindReadsAsShown();
    void hostileInputIsRefused_data();
    void hostileInputIsRefused();
    void unsafeEntryNames_data();
    void unsafeEntryNames();

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

// Read in a child process, whose peak memory earlier rows cannot mask: the refusal's message
// (empty when the document was read) and how far the peak rose above the memory at the start.
Refusal readInChild(const QString& path) {
    int channel[2];
    if (pipe(channel) != 0)
        qFatal("pipe");
    const long before = residentMegabytes();
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        QByteArray message;
        try {
            QTextDocument document;
            loadFormattedDocument(path, document);
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
    QTest::newRow("broken XML") << writeZipFile(QStringLiteral("broken.docx"),
                                                docxEntries("<w:p><w:r>"))
                                << QStringLiteral("XML 有误");
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

QTEST_MAIN(TestDocumentReaders)
#include "tst_document_readers.moc"
