#include "app/app_error.h"
#include "documents/address_text.h"
#include "documents/document_file.h"
#include "documents/document_kind.h"
#include "documents/rtf_codec.h"
#include "documents/word_text.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

class TestDocumentFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void kinds_data();
    void kinds();
    void loads_data();
    void loads();
    void unreadableFilesAreReported_data();
    void unreadableFilesAreReported();
    void plainTextBytes_data();
    void plainTextBytes();
    void savedPathLowerCasesTheNameOnly();
    void failedWriteLeavesTheEarlierFile();
    void recentList();
    void addresses_data();
    void addresses();
    void wordConverterText();

private:
    QString write(const QString& name, const QByteArray& bytes);
    QTemporaryDir m_dir;
};

QString TestDocumentFile::write(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestDocumentFile::kinds_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<int>("kind");
    const auto row = [](const char* name, const char* path, const char* extension,
                        DocumentKind kind) {
        QTest::newRow(name) << QString::fromUtf8(path) << QString::fromUtf8(extension) << int(kind);
    };
    row("upper-case TXT is text", "/home/u/Docs/Note.TXT", ".TXT", DocumentKind::Text);
    row("rtf", "a.rtf", ".rtf", DocumentKind::Text);
    row("ini", "/x/set.Ini", ".Ini", DocumentKind::Text);
    row(".text is other", "a.text", ".text", DocumentKind::Other);
    row("txt with a blank is other", "a.txt ", ".txt ", DocumentKind::Other);
    row("dot in a folder name", "/home/u/my.txt/readme", "", DocumentKind::Other);
    row("no extension", "/home/u/README", "", DocumentKind::Other);
    row("htm", "p.htm", ".htm", DocumentKind::WebPage);
    row("HTML", "p.HTML", ".HTML", DocumentKind::WebPage);
    row("mht", "p.mht", ".mht", DocumentKind::WebPage);
    row("xml", "p.xml", ".xml", DocumentKind::WebPage);
    row("doc", "/a b/-x.DOC", ".DOC", DocumentKind::Word);
    row("docx", "x.DOCX", ".DOCX", DocumentKind::WordXml);
    row("docm", "x.docm", ".docm", DocumentKind::WordXml);
    row("odt", "x.odt", ".odt", DocumentKind::OpenDocument);
    row("epub", "/b/x.Epub", ".Epub", DocumentKind::Epub);
    row("md", "x.md", ".md", DocumentKind::Markdown);
    row("markdown", "x.markdown", ".markdown", DocumentKind::Markdown);
    row("fb2", "x.fb2", ".fb2", DocumentKind::FictionBook);
    row("docx with a blank is other", "x.docx ", ".docx ", DocumentKind::Other);
    row("odp is other", "x.odp", ".odp", DocumentKind::Other);
    row("pdf", "x.pdf", ".pdf", DocumentKind::Pdf);
    row("png", "/scans/Page 1.PNG", ".PNG", DocumentKind::Picture);
    row("jpg", "x.jpg", ".jpg", DocumentKind::Picture);
    row("jpeg", "x.Jpeg", ".Jpeg", DocumentKind::Picture);
    row("tif", "x.tif", ".tif", DocumentKind::Picture);
    row("tiff", "x.TIFF", ".TIFF", DocumentKind::Picture);
    row("bmp", "x.bmp", ".bmp", DocumentKind::Picture);
    row("webp", "x.webp", ".webp", DocumentKind::Picture);
    row("gif is other", "x.gif", ".gif", DocumentKind::Other);
    row("only A to Z are lowered", "x.TXT\u0130", ".TXT\u0130", DocumentKind::Other);
}

void TestDocumentFile::kinds() {
    QFETCH(QString, path);
    QFETCH(QString, extension);
    QFETCH(int, kind);
    QCOMPARE(pathExtension(path), extension);
    QCOMPARE(int(documentKind(path)), kind);
}

void TestDocumentFile::loads_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("plainText");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("bold"); // the first character's weight
    const QString chinese = QStringLiteral("第一行：朗读中文文本，检查编码是否正确。\n第二行");
    const QByteArray rtf = "{\\rtf1\\ansi {\\b Bold} plain\\par next}";
    QTest::newRow("UTF-8") << chinese.toUtf8() << false << chinese << false;
    QTest::newRow("GB18030") << QByteArray(QStringEncoder("GB18030")(chinese)) << false << chinese
                             << false;
    QTest::newRow("UTF-16 with CR LF")
        << QByteArray("\xFF\xFE", 2) +
               QByteArray(QStringEncoder(QStringEncoder::Utf16LE)(QStringLiteral("a\r\nb\rc\r\n")))
        << true << QStringLiteral("a\nb\nc") << false;
    QTest::newRow("RTF formatted") << rtf << false << QStringLiteral("Bold plain\nnext") << true;
    QTest::newRow("RTF as its source when plain")
        << rtf << true << QString::fromLatin1(rtf) << false;
}

void TestDocumentFile::loads() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, plainText);
    QFETCH(QString, text);
    QFETCH(bool, bold);
    QTextDocument document;
    document.setPlainText(QStringLiteral("earlier content"));
    loadDocumentBytes(readDocumentFile(write(QStringLiteral("f"), bytes)), plainText, document);
    QCOMPARE(document.toPlainText(), text);
    QTextCursor cursor(document.begin());
    cursor.movePosition(QTextCursor::NextCharacter);
    QCOMPARE(cursor.charFormat().fontWeight() >= QFont::Bold, bold);
}

void TestDocumentFile::unreadableFilesAreReported_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << m_dir.filePath(QStringLiteral("missing.txt"))
                             << QStringLiteral("No such file");
    QTest::newRow("directory") << m_dir.path() << QStringLiteral("这不是普通文件");
    QTest::newRow("device") << QStringLiteral("/dev/zero") << QStringLiteral("这不是普通文件");
    QFile big(m_dir.filePath(QStringLiteral("big.txt")));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(MaxDocumentFileSize + 1));
    QTest::newRow("larger than the limit")
        << big.fileName() << QStringLiteral("最多只能打开 32 MB");
}

void TestDocumentFile::unreadableFilesAreReported() {
    QFETCH(QString, path);
    QFETCH(QString, reason);
    try {
        readDocumentFile(path);
        QFAIL("no failure");
    } catch (const AppError& error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(path)),
                 qPrintable(error.message()));
        QVERIFY2(error.message().contains(reason, Qt::CaseInsensitive),
                 qPrintable(error.message()));
    }
}

void TestDocumentFile::plainTextBytes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");
    QTest::newRow("empty editor gives the mark alone") << QString() << QString();
    QTest::newRow("paragraphs end in CR LF")
        << QStringLiteral("a\nb") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("final empty paragraph not written")
        << QStringLiteral("a\n") << QStringLiteral("a\r\n");
    QTest::newRow("inner empty paragraph kept")
        << QStringLiteral("a\n\nb") << QStringLiteral("a\r\n\r\nb\r\n");
    const QString longParagraph(100'000, u'字');
    QTest::newRow("no line length limit")
        << longParagraph << longParagraph + QStringLiteral("\r\n");
    QTest::newRow("soft break is a line")
        << QStringLiteral("a\u2028b") << QStringLiteral("a\r\nb\r\n");
}

void TestDocumentFile::plainTextBytes() {
    QFETCH(QString, text);
    QFETCH(QString, written);
    QTextDocument document;
    document.setPlainText(text);
    QCOMPARE(plainTextFileBytes(document),
             QByteArray("\xFF\xFE", 2) + QStringEncoder(QStringEncoder::Utf16LE)(written));
}

void TestDocumentFile::savedPathLowerCasesTheNameOnly() {
    QCOMPARE(savedFilePath(QStringLiteral("/home/U/Docs.X/Notes.TXT")),
             QStringLiteral("/home/U/Docs.X/notes.txt"));
    QCOMPARE(savedFilePath(QStringLiteral("Notes.RTF")), QStringLiteral("notes.rtf"));
}

void TestDocumentFile::failedWriteLeavesTheEarlierFile() {
    const QString path = write(QStringLiteral("old.txt"), "old");
    writeDocumentFile(path, "new");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("new"));
    // A folder that is a file cannot take the new file.
    const QString blocked = write(QStringLiteral("plain"), "x") + QStringLiteral("/a.txt");
    try {
        writeDocumentFile(blocked, "bytes");
        QFAIL("no failure");
    } catch (const AppError& error) {
        QVERIFY2(
            error.message().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(blocked)),
            qPrintable(error.message()));
    }
}

void TestDocumentFile::recentList() {
    QStringList fifteen;
    for (int i = 0; i < 15; ++i)
        fifteen << QString::number(i);
    QCOMPARE(recentEntriesToSave(fifteen), fifteen.mid(4));
    QCOMPARE(recentEntriesToSave({QStringLiteral("a")}), QStringList{QStringLiteral("a")});
    const QStringList entries = {QStringLiteral("http://a.example/long/path"),
                                 QStringLiteral("/tmp/with blank.txt")};
    QVERIFY(!containsAddress(entries, QStringLiteral("http://a.example/")));
    QVERIFY(!containsAddress(entries, QStringLiteral("path,/tmp")));
    QVERIFY(containsAddress(entries, QStringLiteral("/tmp/with blank.txt")));
    QVERIFY(!containsAddress(entries, QStringLiteral("/TMP/with blank.txt")));
}

void TestDocumentFile::addresses_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("trimmed");
    QTest::addColumn<QString>("web");
    QTest::newRow("blanks and controls trimmed, case kept")
        << QStringLiteral("  \t/Docs/A.TXT\r\n") << QStringLiteral("/Docs/A.TXT")
        << QStringLiteral("file:///Docs/A.TXT");
    QTest::newRow("scheme and host lowered, path kept")
        << QStringLiteral("HTTP://Example.COM/Path") << QStringLiteral("HTTP://Example.COM/Path")
        << QStringLiteral("http://example.com/Path");
    QTest::newRow("no scheme") << QStringLiteral(" www.Example.com/A ")
                               << QStringLiteral("www.Example.com/A")
                               << QStringLiteral("http://www.example.com/A");
}

void TestDocumentFile::addresses() {
    QFETCH(QString, typed);
    QFETCH(QString, trimmed);
    QFETCH(QString, web);
    QCOMPARE(trimmedAddress(typed), trimmed);
    QCOMPARE(webAddress(trimmed).toString(), web);
}

void TestDocumentFile::wordConverterText() {
    const QByteArray output =
        "\nFirst paragraph whole.\n\n|Name     |Value     |\n"
        "|Rate     |5         |\n\nEmoji \xF0\x9F\x98\x80 and bad \xFF byte\n";
    QCOMPARE(::wordConverterText(output),
             QStringLiteral("\nFirst paragraph whole.\n\nName\tValue\nRate\t5\n\n"
                            "Emoji \U0001F600 and bad \uFFFD byte"));
}

QTEST_GUILESS_MAIN(TestDocumentFile)
#include "tst_document_file.moc"
