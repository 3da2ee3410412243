#include "documents/rtf_codec.h"
#include "documents/text_codec.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>
#include <QtTest>

class TestRtf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsLikeLibreOffice_data();
    void readsLikeLibreOffice();
    void readsLibreOfficeFormats();
    void decodesText_data();
    void decodesText();
    void refusesWhatIsNotRtf();
    void roundTripKeepsTextAndFormats();
    void roundTripKeepsPictures();
    void roundTripKeepsControlCharacters();
    void survivesHostileInput_data();
    void survivesHostileInput();

private:
    static QString read(const QByteArray& rtf);
};

namespace {

QByteArray fixture(const QString& name) {
    QFile file(QStringLiteral(FIXTURES "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs of line breaks and tabs as one break: how LibreOffice and this reader lay out cells differs.
QString cellsAsLines(QString text) {
    text.replace(u'\t', u'\n');
    return splitLines(text).join(u'\n');
}

const QTextFragment fragmentWith(const QTextDocument& document, const QString& text) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().text().contains(text))
                return it.fragment();
        }
    }
    return {};
}

} // namespace

QString TestRtf::read(const QByteArray& rtf) {
    QTextDocument document;
    if (!readRtf(rtf, document))
        return QStringLiteral("<not RTF>");
    return document.toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

void TestRtf::readsLikeLibreOffice_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("formats") << "formats";
    QTest::newRow("table") << "table";
}

void TestRtf::readsLikeLibreOffice() {
    QFETCH(QString, name);
    const QByteArray rtf = fixture(name + QStringLiteral(".rtf"));
    QVERIFY(!rtf.isEmpty());
    const QString expected = decodeText(fixture(name + QStringLiteral(".lo.txt")));
    QCOMPARE(cellsAsLines(read(rtf)), cellsAsLines(expected));
}

void TestRtf::readsLibreOfficeFormats() {
    QTextDocument document;
    QVERIFY(readRtf(fixture(QStringLiteral("formats.rtf")), document));
    QVERIFY(fragmentWith(document, QStringLiteral("bold")).charFormat().font().bold());
    QVERIFY(fragmentWith(document, QStringLiteral("italic")).charFormat().font().italic());
    QVERIFY(fragmentWith(document, QStringLiteral("underlined")).charFormat().font().underline());
    QVERIFY(fragmentWith(document, QStringLiteral("struck")).charFormat().font().strikeOut());
    const QTextFragment red = fragmentWith(document, QStringLiteral("Red centred"));
    QCOMPARE(red.charFormat().foreground().color(), QColor(Qt::red));
    QVERIFY(document.findBlock(red.position()).blockFormat().alignment() & Qt::AlignHCenter);
    const QTextFragment right = fragmentWith(document, QStringLiteral("Right aligned"));
    QVERIFY(document.findBlock(right.position()).blockFormat().alignment() & Qt::AlignRight);
    const QTextFragment big = fragmentWith(document, QStringLiteral("大号字体"));
    QVERIFY(big.charFormat().fontPointSize() >= 14);
    QCOMPARE(big.charFormat().fontFamilies().toStringList().value(0),
             QStringLiteral("Noto Sans CJK SC"));
}

void TestRtf::decodesText_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("GBK bytes in a charset 134 font")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
                      "\\f0 \\'d6\\'d0\\'ce\\'c4\\par ok}")
        << "中文\nok";
    QTest::newRow("GBK by the document code page")
        << QByteArray("{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0\\'ce\\'c4}") << "中文";
    QTest::newRow("Big5 font") << QByteArray(
                                      "{\\rtf1{\\fonttbl{\\f1\\fcharset136 M;}}\\f1 \\'a4\\'a4}")
                               << "中";
    QTest::newRow("Shift-JIS font")
        << QByteArray("{\\rtf1{\\fonttbl{\\f2\\fcharset128 M;}}\\f2 \\'93\\'fa\\'96\\'7b}")
        << "日本";
    QTest::newRow("Windows-1252 by default") << QByteArray("{\\rtf1 caf\\'e9}") << "café";
    QTest::newRow("unicode with one fallback byte")
        << QByteArray("{\\rtf1\\uc1\\u20013\\'3fA}") << "中A";
    QTest::newRow("unicode with two fallback bytes")
        << QByteArray("{\\rtf1\\uc2\\u20013\\'d6\\'d0B}") << "中B";
    QTest::newRow("negative unicode") << QByteArray("{\\rtf1\\u-3971?}") << "\uF07D";
    QTest::newRow("skip count ends at a group") << QByteArray("{\\rtf1\\uc2\\u65?}C}") << "AC";
    QTest::newRow("specials and symbols")
        << QByteArray("{\\rtf1 a\\tab b\\line c\\emdash\\~\\{\\}\\\\\\lquote\\rdblquote}")
        << "a\tb\u2028c\u2014\u00A0{}\\\u2018\u201D";
    QTest::newRow("hidden destinations")
        << QByteArray("{\\rtf1{\\info{\\title T}}{\\stylesheet{\\s0 Normal;}}{\\*\\unknown x}"
                      "{\\*\\fldinst HYPERLINK}{\\fldrslt shown}\\par\\par end}")
        << "shown\n\nend";
    QTest::newRow("table rows as tab-separated lines")
        << QByteArray("{\\rtf1\\trowd\\cellx1000\\cellx2000 a\\cell b\\cell\\row "
                      "c\\cell d\\cell\\row}")
        << "a\tb\nc\td\n";
    QTest::newRow("unknown control words ignored")
        << QByteArray("{\\rtf1\\madeupword12 x\\another-3 y}") << "xy";
}

void TestRtf::decodesText() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(read(rtf), text);
}

void TestRtf::refusesWhatIsNotRtf() {
    QTextDocument document;
    document.setPlainText(QStringLiteral("keep"));
    QVERIFY(!readRtf("plain text {\\rtf1}", document));
    QVERIFY(!readRtf("", document));
    QCOMPARE(document.toPlainText(), QStringLiteral("keep"));
}

void TestRtf::roundTripKeepsTextAndFormats() {
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setFontPointSize(14);
    bold.setFontFamilies({QStringLiteral("Noto Sans")});
    cursor.insertText(QStringLiteral("粗体 {bold} \\ "), bold);
    QTextCharFormat styled;
    styled.setFontItalic(true);
    styled.setFontUnderline(true);
    styled.setFontStrikeOut(true);
    styled.setForeground(QColor(10, 20, 30));
    styled.setBackground(QColor(Qt::yellow));
    cursor.insertText(QStringLiteral("styled\ttab 😀"), styled);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setLeftMargin(20);
    centred.setRightMargin(10);
    centred.setTextIndent(-8);
    centred.setTopMargin(4);
    centred.setBottomMargin(6);
    cursor.insertBlock(centred);
    QTextCharFormat chineseFont; // a font name outside the code page survives too
    chineseFont.setFontFamilies({QStringLiteral("宋体")});
    cursor.insertText(QStringLiteral("second paragraph"), chineseFont);

    const QByteArray rtf = writeRtf(document);
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl"));
    for (const char byte : rtf)
        QVERIFY2(uchar(byte) < 0x80, "non-ASCII byte written"); // \uN for everything else

    QTextDocument reread;
    QVERIFY(readRtf(rtf, reread));
    QCOMPARE(reread.toPlainText(), document.toPlainText());
    const QTextCharFormat b = fragmentWith(reread, QStringLiteral("粗体")).charFormat();
    QVERIFY(b.font().bold());
    QCOMPARE(b.fontPointSize(), 14.0);
    QCOMPARE(b.fontFamilies().toStringList().value(0), QStringLiteral("Noto Sans"));
    const QTextCharFormat s = fragmentWith(reread, QStringLiteral("styled")).charFormat();
    QVERIFY(s.fontItalic() && s.fontUnderline() && s.fontStrikeOut() && !s.font().bold());
    QCOMPARE(s.foreground().color(), QColor(10, 20, 30));
    QCOMPARE(s.background().color(), QColor(Qt::yellow));
    const QTextBlockFormat c = reread.lastBlock().blockFormat();
    QVERIFY(c.alignment() & Qt::AlignHCenter);
    QCOMPARE(c.leftMargin(), 20.0);
    QCOMPARE(c.rightMargin(), 10.0);
    QCOMPARE(c.textIndent(), -8.0);
    QCOMPARE(c.topMargin(), 4.0);
    QCOMPARE(c.bottomMargin(), 6.0);
    QCOMPARE(
        fragmentWith(reread, QStringLiteral("second")).charFormat().fontFamilies().toStringList(),
        QStringList{"宋体"});
    QCOMPARE(writeRtf(reread), rtf);
}

void TestRtf::roundTripKeepsPictures() {
    QTextDocument document;
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::blue);
    document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("mem://a")), image);
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("x"));
    cursor.insertImage(QStringLiteral("mem://a"));
    QTextDocument reread;
    QVERIFY(readRtf(writeRtf(document), reread));
    const QTextFragment picture = fragmentWith(reread, QString(QChar::ObjectReplacementCharacter));
    QVERIFY(picture.charFormat().isImageFormat());
    const QImage back = reread
                            .resource(QTextDocument::ImageResource,
                                      QUrl(picture.charFormat().toImageFormat().name()))
                            .value<QImage>();
    QCOMPARE(back.size(), QSize(8, 6));
    QCOMPARE(back.pixelColor(3, 3), QColor(Qt::blue));
}

void TestRtf::roundTripKeepsControlCharacters() {
    QTextDocument document;
    QVERIFY(readRtf("{\\rtf1 a\\'1cb\\'01}", document));
    QTextDocument reread;
    QVERIFY(readRtf(writeRtf(document), reread));
    QCOMPARE(reread.toRawText(), QStringLiteral("a\x1c"
                                                "b\x01"));
}

void TestRtf::survivesHostileInput_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::newRow("deep nesting") << "{\\rtf1" + QByteArray(200000, '{') + "x";
    QTest::newRow("closing braces") << QByteArray("{\\rtf1 a}}}}}}b");
    QTest::newRow("truncated hex") << QByteArray("{\\rtf1\\'");
    QTest::newRow("truncated control word") << QByteArray("{\\rtf1\\u");
    QTest::newRow("huge numbers") << QByteArray("{\\rtf1\\fs99999999999999\\u-99999999999 x}");
    QTest::newRow("binary beyond the end") << QByteArray("{\\rtf1\\bin999999999 x}");
    QTest::newRow("broken picture") << QByteArray("{\\rtf1{\\pict\\pngblip 89504e47zz}}");
    QTest::newRow("colour index beyond the table") << QByteArray("{\\rtf1\\cf99\\cb-4 x}");
    QTest::newRow("font of an unknown number") << QByteArray("{\\rtf1\\f77\\'e9}");
}

void TestRtf::survivesHostileInput() {
    QFETCH(QByteArray, rtf);
    QElapsedTimer clock;
    clock.start();
    QTextDocument document;
    QVERIFY(readRtf(rtf, document));
    QVERIFY(clock.elapsed() < 5000);
}

QTEST_MAIN(TestRtf)
#include "tst_rtf.moc"
