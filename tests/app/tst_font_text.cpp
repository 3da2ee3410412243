#include "app/color_value.h"
#include "app/font_text.h"

#include <QPalette>
#include <QtTest>

Q_DECLARE_METATYPE(FontSpec)

class TestFontText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writesText_data();
    void writesText();
    void readsText_data();
    void readsText();
    void colorNames_data();
    void colorNames();
    void colorsToPaint();
};

namespace {

FontSpec font(const QString& name, int size, const QString& styles, qint32 color) {
    FontSpec f;
    f.name = name;
    f.size = size;
    f.bold = styles.contains(u'B');
    f.italic = styles.contains(u'I');
    f.underline = styles.contains(u'U');
    f.strikeout = styles.contains(u'S');
    f.color = color;
    return f;
}

const qint32 clRed = 0x000000FF;

} // namespace

void TestFontText::writesText_data() {
    QTest::addColumn<FontSpec>("font");
    QTest::addColumn<QString>("text");
    QTest::newRow("built-in font") << FontSpec{} << "\"Tahoma\", 8, [], [clWindowText]";
    QTest::newRow("all styles in order")
        << font(QStringLiteral("宋体"), 12, QStringLiteral("SUIB"), clRed)
        << "\"宋体\", 12, [Bold|Italic|Underline|Strikeout], [clRed]";
    QTest::newRow("unnamed colour")
        << font(QStringLiteral("Noto Sans"), 10, QStringLiteral("I"), 0x00123456)
        << "\"Noto Sans\", 10, [Italic], [$00123456]";
    QTest::newRow("system colour") << font(QStringLiteral("A"), 9, QString(), qint32(0xFF000005))
                                   << "\"A\", 9, [], [clWindow]";
    QTest::newRow("unnamed system colour")
        << font(QStringLiteral("A"), 9, QString(), qint32(0xFF000030))
        << "\"A\", 9, [], [$FF000030]";
}

void TestFontText::writesText() {
    QFETCH(FontSpec, font);
    QFETCH(QString, text);
    QCOMPARE(fontToText(font), text);
    FontSpec reread = FontSpec{};
    reread.name.clear();
    textToFont(text, reread);
    QCOMPARE(reread, font);
}

void TestFontText::readsText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<FontSpec>("expected");
    const FontSpec start = font(QStringLiteral("Start"), 20, QStringLiteral("U"), 0x00111111);
    QTest::newRow("bold italic red")
        << "\"Tahoma\", 12, [Bold|Italic], [clRed]"
        << font(QStringLiteral("Tahoma"), 12, QStringLiteral("BI"), clRed);
    QTest::newRow("colour name in any case")
        << "\"Tahoma\", 12, [], [CLRED]" << font(QStringLiteral("Tahoma"), 12, {}, clRed);
    QTest::newRow("decimal colour") << "\"X\", 7, [Strikeout], [255]"
                                    << font(QStringLiteral("X"), 7, QStringLiteral("S"), clRed);
    QTest::newRow("hexadecimal colour")
        << "\"X\", 7, [], [$00123456]" << font(QStringLiteral("X"), 7, {}, 0x00123456);
    QTest::newRow("size not a number: only the name is set")
        << "\"Arial\", big, [Bold], [clRed]"
        << font(QStringLiteral("Arial"), 20, QStringLiteral("U"), 0x00111111);
    QTest::newRow("colour not a number: name and size set, styles kept")
        << "\"Arial\", 11, [Bold], [reddish]"
        << font(QStringLiteral("Arial"), 11, QStringLiteral("U"), 0x00111111);
    QTest::newRow("no comma at all changes nothing") << "Tahoma" << start;
    QTest::newRow("empty text changes nothing") << "" << start;
    QTest::newRow("style list missing its closing part")
        << "\"Arial\", 11" << font(QStringLiteral("Arial"), 20, QStringLiteral("U"), 0x00111111);
}

void TestFontText::readsText() {
    QFETCH(QString, text);
    QFETCH(FontSpec, expected);
    FontSpec f = font(QStringLiteral("Start"), 20, QStringLiteral("U"), 0x00111111);
    textToFont(text, f);
    QCOMPARE(f, expected);
}

void TestFontText::colorNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint32>("value");
    QTest::newRow("black") << "clBlack" << qint32(0);
    QTest::newRow("sky blue") << "clSkyBlue" << qint32(0x00F0CAA6);
    QTest::newRow("medium grey") << "clMedGray" << qint32(0x00A4A0A0);
    QTest::newRow("window") << "clWindow" << qint32(0xFF000005);
    QTest::newRow("3D dark shadow") << "cl3DDkShadow" << qint32(0xFF000015);
    QTest::newRow("none") << "clNone" << qint32(0x1FFFFFFF);
    QTest::newRow("default") << "clDefault" << qint32(0x20000000);
    QTest::newRow("menu bar") << "clMenuBar" << qint32(0xFF00001E);
    QTest::newRow("unnamed") << "$00010203" << qint32(0x00010203);
    QTest::newRow("unnamed negative") << "$FFFFFFFF" << qint32(-1);
}

void TestFontText::colorNames() {
    QFETCH(QString, name);
    QFETCH(qint32, value);
    QCOMPARE(ColorValue::toText(value), name);
    QCOMPARE(ColorValue::fromText(name), std::optional<qint32>(value));
    QCOMPARE(ColorValue::fromText(name.toLower()), std::optional<qint32>(value));
}

void TestFontText::colorsToPaint() {
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Base, QColor(1, 2, 3));
    palette.setColor(QPalette::Active, QPalette::Text, QColor(4, 5, 6));
    QCOMPARE(ColorValue::toQColor(0x00345678, palette), QColor(0x78, 0x56, 0x34));
    QCOMPARE(ColorValue::toQColor(ColorValue::clWindow, palette), QColor(1, 2, 3));
    QCOMPARE(ColorValue::toQColor(ColorValue::clWindowText, palette), QColor(4, 5, 6));
    QVERIFY(!ColorValue::toQColor(ColorValue::clNone, palette).isValid());
    QVERIFY(!ColorValue::toQColor(ColorValue::clDefault, palette).isValid());
}

QTEST_GUILESS_MAIN(TestFontText)
#include "tst_font_text.moc"
