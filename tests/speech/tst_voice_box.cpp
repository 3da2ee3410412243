#include "speech/voice_box.h"

#include <QtTest>

// What the closed voice box shows of a name, at the width the property bar gives it.
class TestVoiceBox : public QObject {
    Q_OBJECT

private slots:
    void shownText_data();
    void shownText();
    void speakersStayApart();
};

namespace {

constexpr int BoxWidth = 180;

QString shown(const QString& name) {
    VoiceBox box;
    box.addItem(name);
    box.setFixedWidth(BoxWidth);
    return box.shownText();
}

} // namespace

void TestVoiceBox::shownText_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("whole");
    QTest::newRow("short") << QStringLiteral("中文（普通话）") << true;
    QTest::newRow("natural voice with a speaker")
        << QStringLiteral("中文（自然，vits-zh-hf-fanchen-C，说话人 3）") << false;
    QTest::newRow("long engine name")
        << QStringLiteral("英语（美国）（English (America, New York City)）") << false;
}

// A name that fits is shown whole; one that does not keeps its beginning and its end.
void TestVoiceBox::shownText() {
    QFETCH(QString, name);
    QFETCH(bool, whole);
    const QString text = shown(name);
    if (whole) {
        QCOMPARE(text, name);
        return;
    }
    QVERIFY2(text.contains(QChar(0x2026)), qPrintable(text));
    QVERIFY2(text.startsWith(name.left(2)), qPrintable(text));
    QVERIFY2(text.endsWith(name.right(2)), qPrintable(text));
    QVERIFY(text.size() < name.size());
}

void TestVoiceBox::speakersStayApart() {
    const QString third = shown(QStringLiteral("中文（自然，vits-zh-hf-fanchen-C，说话人 3）"));
    const QString fourth = shown(QStringLiteral("中文（自然，vits-zh-hf-fanchen-C，说话人 4）"));
    QVERIFY2(third != fourth, qPrintable(third));
}

QTEST_MAIN(TestVoiceBox)
#include "tst_voice_box.moc"
