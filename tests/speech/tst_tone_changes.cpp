// The tones as spoken, from the dictionary's.
#include "speech/chinese/tone_changes.h"

#include <QtTest>

class TestToneChanges : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void spokenTones_data();
    void spokenTones();
};

namespace {

// The syllables, given in order for the Chinese characters of the text, as one entry per unit.
QList<QString> perUnit(const QString& text, const QString& syllables) {
    QStringList given = syllables.split(u' ');
    QList<QString> units(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (QChar::script(text.at(i).unicode()) == QChar::Script_Han && !given.isEmpty())
            units[i] = given.takeFirst();
    }
    return units;
}

QString joined(const QList<QString>& units) {
    QStringList syllables;
    for (const QString& syllable : units) {
        if (!syllable.isEmpty())
            syllables << syllable;
    }
    return syllables.join(u' ');
}

} // namespace

void TestToneChanges::spokenTones_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("dictionary");
    QTest::addColumn<QString>("spoken");
    // 一 rises before a fourth tone, falls before the others, and keeps its tone in numbers,
    // orders, dates and at the end of a word.
    QTest::newRow("一个") << "一个"
                          << "yi1 ge4"
                          << "yi2 ge4";
    QTest::newRow("一天") << "一天"
                          << "yi1 tian1"
                          << "yi4 tian1";
    QTest::newRow("一起") << "一起"
                          << "yi1 qi3"
                          << "yi4 qi3";
    QTest::newRow("一百") << "一百"
                          << "yi1 bai3"
                          << "yi4 bai3";
    QTest::newRow("一万") << "一万"
                          << "yi1 wan4"
                          << "yi2 wan4";
    QTest::newRow("第一") << "第一名"
                          << "di4 yi1 ming2"
                          << "di4 yi1 ming2";
    QTest::newRow("十一") << "十一个"
                          << "shi2 yi1 ge4"
                          << "shi2 yi1 ge4";
    QTest::newRow("一九八四") << "一九八四"
                              << "yi1 jiu3 ba1 si4"
                              << "yi1 jiu3 ba1 si4";
    QTest::newRow("一月") << "一月"
                          << "yi1 yue4"
                          << "yi1 yue4";
    QTest::newRow("统一思想") << "统一思想"
                              << "tong3 yi1 si1 xiang3"
                              << "tong3 yi1 si1 xiang3";
    QTest::newRow("一 alone") << "一。"
                              << "yi1"
                              << "yi1";
    QTest::newRow("看一看") << "看一看"
                            << "kan4 yi1 kan4"
                            << "kan4 yi5 kan4";
    // 不 rises before a fourth tone and is neutral between a doubled word.
    QTest::newRow("不对") << "不对"
                          << "bu4 dui4"
                          << "bu2 dui4";
    QTest::newRow("不好") << "不好"
                          << "bu4 hao3"
                          << "bu4 hao3";
    QTest::newRow("好不好") << "好不好"
                            << "hao3 bu4 hao3"
                            << "hao3 bu5 hao3";
    QTest::newRow("是不是") << "是不是"
                            << "shi4 bu4 shi4"
                            << "shi4 bu5 shi4";
    // A doubled verb's second syllable is neutral; other doubled words keep their tones.
    QTest::newRow("看看") << "看看"
                          << "kan4 kan4"
                          << "kan4 kan5";
    QTest::newRow("想想办法") << "想想办法"
                              << "xiang3 xiang3 ban4 fa3"
                              << "xiang3 xiang5 ban4 fa3";
    QTest::newRow("天天") << "天天"
                          << "tian1 tian1"
                          << "tian1 tian1";
    QTest::newRow("人人") << "人人"
                          << "ren2 ren2"
                          << "ren2 ren2";
    // Something between two characters keeps them apart.
    QTest::newRow("一, 个") << "一，个"
                            << "yi1 ge4"
                            << "yi1 ge4";
    QTest::newRow("看 看") << "看，看"
                           << "kan4 kan4"
                           << "kan4 kan4";
    QTest::newRow("no Chinese") << "abc"
                                << ""
                                << "";
}

void TestToneChanges::spokenTones() {
    QFETCH(QString, text);
    QFETCH(QString, dictionary);
    QFETCH(QString, spoken);
    const QList<QString> result = ::spokenTones(text, perUnit(text, dictionary));
    QCOMPARE(result.size(), text.size());
    QCOMPARE(joined(result), spoken);
}

QTEST_GUILESS_MAIN(TestToneChanges)
#include "tst_tone_changes.moc"
