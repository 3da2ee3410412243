#include "speech/chinese/dictionary_readings.h"
#include "speech/chinese/mandarin_pinyin.h"
#include "speech/chinese/pinyin_table.h"
#include "speech/chinese/word_segmenter.h"

#include <QtTest>

// Readings are checked in their word and context; each row names the syllable expected for one
// character of the text, found by its position.
class TestMandarinPinyin : public QObject {
    Q_OBJECT

private slots:
    void polyphoneInContext_data();
    void polyphoneInContext();
    void dictionaryForm_data();
    void dictionaryForm();
    void traditional_data();
    void traditional();
    void line_data();
    void line();
    void readingsPerUnit();
    void characterClasses_data();
    void characterClasses();
    void dictionaryReadings_data();
    void dictionaryReadings();
};

namespace {

QString readingAt(const QString& text, const QString& marked) {
    const qsizetype at = text.indexOf(marked);
    return at < 0 ? QStringLiteral("<missing>") : MandarinPinyin::readings(text).value(at);
}

void addReadingRows(std::initializer_list<std::array<const char*, 3>> rows) {
    for (const auto& [text, character, syllable] : rows)
        QTest::addRow("%s %s", text, character)
            << QString::fromUtf8(text) << QString::fromUtf8(character)
            << QString::fromUtf8(syllable);
}

} // namespace

void TestMandarinPinyin::polyphoneInContext_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("character"); // the first occurrence in text is checked
    QTest::addColumn<QString>("syllable");
    addReadingRows({
        {"他去银行取钱", "行", "hang2"},
        {"我们一起行走在街上", "行", "xing2"},
        {"他下个月去重庆出差", "重", "chong2"},
        {"这件事很重要", "重", "zhong4"},
        {"孩子们都长大了", "长", "zhang3"},
        {"我们去爬长城", "长", "chang2"},
        {"他吃了饭就走", "了", "le5"},
        {"我终于了解他的想法", "了", "liao3"},
        {"他跑得很快", "得", "de5"},
        {"他获得了冠军", "得", "de2"},
        {"我得走了", "得", "dei3"},
        {"他还在学校里", "还", "hai2"},
        {"他把书还给了我", "还", "huan2"},
        {"这是我的书", "的", "de5"},
        {"他的确很聪明", "的", "di2"},
        {"射击要瞄准目的", "的", "di4"},
        {"他看着窗外", "着", "zhe5"},
        {"他终于睡着了", "着", "zhao2"},
        {"他为我们做饭", "为", "wei4"},
        {"他被选为班长", "为", "wei2"},
        {"他高兴地笑了", "地", "de5"},
        {"这块土地很肥沃", "地", "di4"},
        {"我们都是学生", "都", "dou1"},
        {"北京是中国的首都", "都", "du1"},
        {"我只有一本书", "只", "zhi3"},
        {"他买了一只小狗", "只", "zhi1"},
        {"老师教我们唱歌", "教", "jiao1"},
        {"他在大学教育系工作", "教", "jiao4"},
        {"我觉得很好", "觉", "jue2"},
        {"他每天睡午觉", "觉", "jiao4"},
        {"这里交通很方便", "便", "bian4"},
        {"这件衣服很便宜", "便", "pian2"},
        {"银行行长说了", "长", "zhang3"},
        {"我们为人民服务", "为", "wei4"},
        {"我明天还你钱", "还", "huan2"},
        {"他还钱了", "还", "huan2"},
        {"我去图书馆还书", "还", "huan2"},
        {"你得早点回家", "得", "dei3"},
        {"我买了很多东西", "西", "xi5"},
        {"这条路是东西方向的", "西", "xi1"},
        {"东西南北", "西", "xi1"},
        // Read as the second dictionary's words read them.
        {"他去寺里拜地藏菩萨", "地", "di4"},
        {"武装分子袭击了村庄", "分", "fen4"},
        {"这片低地森林很茂密", "地", "di4"},
        {"他是光禄大夫", "夫", "fu1"},
        {"他在葵涌上班", "涌", "chong1"},
    });
}

void TestMandarinPinyin::polyphoneInContext() {
    QFETCH(QString, text);
    QFETCH(QString, character);
    QFETCH(QString, syllable);
    QCOMPARE(readingAt(text, character), syllable);
}

void TestMandarinPinyin::dictionaryForm_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("character");
    QTest::addColumn<QString>("syllable");
    // Said yí and bú before a fourth tone, written in their own tone.
    addReadingRows({
        {"等一下", "一", "yi1"},
        {"一样", "一", "yi1"},
        {"不是", "不", "bu4"},
        {"一丝不苟", "不", "bu4"},
        {"绿色的叶子", "绿", "lv4"},
        {"女人", "女", "nv3"},
        {"我们", "们", "men5"},
        // A retroflex ending is neutral; 儿 of its own keeps its tone.
        {"等一会儿", "儿", "er5"},
        {"你去哪儿", "儿", "er5"},
        {"他的女儿", "儿", "er2"},
        {"儿子", "儿", "er2"},
    });
}

void TestMandarinPinyin::dictionaryForm() {
    QFETCH(QString, text);
    QFETCH(QString, character);
    QFETCH(QString, syllable);
    QCOMPARE(readingAt(text, character), syllable);
}

void TestMandarinPinyin::traditional_data() {
    QTest::addColumn<QString>("traditional");
    QTest::addColumn<QString>("simplified");
    QTest::newRow("bank") << QStringLiteral("銀行") << QStringLiteral("银行");
    QTest::newRow("grow up") << QStringLiteral("長大") << QStringLiteral("长大");
    QTest::newRow("important") << QStringLiteral("這件事很重要") << QStringLiteral("这件事很重要");
    QTest::newRow("mixed") << QStringLiteral("圖書館的書") << QStringLiteral("图书馆的书");
}

void TestMandarinPinyin::traditional() {
    QFETCH(QString, traditional);
    QFETCH(QString, simplified);
    QCOMPARE(MandarinPinyin::readings(traditional), MandarinPinyin::readings(simplified));
    QVERIFY(!MandarinPinyin::readings(traditional).first().isEmpty());
}

void TestMandarinPinyin::line_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("pinyin");
    QTest::newRow("bank manager") << QStringLiteral("银行行长说了")
                                  << QStringLiteral("yin2 hang2 hang2 zhang3 shuo1 le5");
    QTest::newRow("digits") << QStringLiteral("第3天") << QStringLiteral("di4 3 tian1");
    QTest::newRow("latin word") << QStringLiteral("用Qt写") << QStringLiteral("yong4 Q t xie3");
    QTest::newRow("blanks") << QStringLiteral("你 好\t!") << QStringLiteral("ni3 _ hao3 _ !");
    QTest::newRow("outside the basic plane")
        << QStringLiteral("𠮷a好") << QStringLiteral("𠮷 a hao3");
    QTest::newRow("punctuation") << QStringLiteral("好，吗？") << QStringLiteral("hao3 ， ma5 ？");
    QTest::newRow("empty") << QString() << QString();
}

void TestMandarinPinyin::line() {
    QFETCH(QString, line);
    QFETCH(QString, pinyin);
    QCOMPARE(MandarinPinyin::pinyinLine(line), pinyin);
}

void TestMandarinPinyin::readingsPerUnit() {
    const QString text = QStringLiteral("𠮷的A");
    const QList<QString> readings = MandarinPinyin::readings(text);
    QCOMPARE(readings.size(), text.size());
    QCOMPARE(readings, (QList<QString>{QString(), QString(), QStringLiteral("de5"), QString()}));
}

// Characters that stand in like places share a class; the model reads them off the table.
void TestMandarinPinyin::characterClasses_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("alike");
    QTest::newRow("numerals") << QStringLiteral("三") << QStringLiteral("七") << true;
    QTest::newRow("surnames") << QStringLiteral("李") << QStringLiteral("陈") << true;
    QTest::newRow("final particles") << QStringLiteral("吗") << QStringLiteral("呢") << true;
    QTest::newRow("numeral and particle") << QStringLiteral("三") << QStringLiteral("吗") << false;
    QTest::newRow("surname and numeral") << QStringLiteral("李") << QStringLiteral("七") << false;
}

void TestMandarinPinyin::characterClasses() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, alike);
    const PinyinTable& table = PinyinTable::instance();
    const PinyinTable::Classes a = table.classesOf(first.at(0).unicode());
    const PinyinTable::Classes b = table.classesOf(second.at(0).unicode());
    QVERIFY(a.fine < PinyinTable::UnknownClass && b.fine < PinyinTable::UnknownClass);
    QCOMPARE(a.fine == b.fine && a.coarse == b.coarse, alike);
    QCOMPARE(table.classesOf(U'\U00020BB7').fine, PinyinTable::UnknownClass);
}

// The second dictionary's readings of a character, in the longest of its words over the
// character and in any of them, without the words that cross the lexicon's cut.
void TestMandarinPinyin::dictionaryReadings_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("character");
    QTest::addColumn<QString>("longest");
    QTest::addColumn<QString>("anywhere");
    const auto row = [](const char* text, const char* character, const char* longest,
                        const char* anywhere) {
        QTest::addRow("%s %s", text, character)
            << QString::fromUtf8(text) << QString::fromUtf8(character) << QString::fromUtf8(longest)
            << QString::fromUtf8(anywhere);
    };
    row("山西垣曲县", "曲", "qu3", "qu3");
    row("曲", "曲", "", "");
    row("他和孙子一起玩", "子", "zi3 zi5", "zi3 zi5");
    row("他是光禄大夫", "夫", "fu5", "fu1 fu5");
    // 进行 crosses 先进 and 行列, 要角 crosses 重要 and 角色.
    row("我们处于先进行列", "行", "hang2", "hang2");
    row("他在剧中扮演重要角色", "角", "jue2", "jue2");
}

void TestMandarinPinyin::dictionaryReadings() {
    QFETCH(QString, text);
    QFETCH(QString, character);
    QFETCH(QString, longest);
    QFETCH(QString, anywhere);
    std::vector<char32_t> characters;
    for (QChar c : text)
        characters.push_back(c.unicode());
    const int at = int(text.indexOf(character));
    const QList<SegmentedWord> words = segmentWords(characters);
    int wordIndex = 0;
    while (words[wordIndex].start + words[wordIndex].length <= at)
        ++wordIndex;
    const DictionaryReadings readings = dictionaryReadingsAt(characters, at, words, wordIndex);
    const auto named = [](const DictionaryReadings::Syllables& syllables) {
        QStringList out;
        for (quint16 s : syllables)
            out.append(PinyinTable::instance().syllable(s));
        return out.join(u' ');
    };
    QCOMPARE(named(readings.longest), longest);
    QCOMPARE(named(readings.anywhere), anywhere);
}

QTEST_GUILESS_MAIN(TestMandarinPinyin)
#include "tst_mandarin_pinyin.moc"
