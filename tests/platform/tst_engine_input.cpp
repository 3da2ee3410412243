// What the engine is given for each voice, and where what it says came from.
#include "platform/speech/engine_input.h"

#include <QtTest>

class TestEngineInput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mandarinText_data();
    void mandarinText();
    void wordsMapToTheWrittenText_data();
    void wordsMapToTheWrittenText();
    void chunks_data();
    void chunks();
};

namespace {

const QString Mandarin = QStringLiteral("sit/cmn");
const QString Pinyin = QStringLiteral("sit/cmn-Latn-pinyin");
const QString Cantonese = QStringLiteral("sit/yue");
const QString English = QStringLiteral("gmw/en");

// The words of a plain engine text (blank-separated), each as "word start-end" in the text
// given, as the engine's word reports are mapped back.
QStringList mappedWords(const EngineInput& input) {
    const QString text = QString::fromUtf8(input.text);
    const QList<uint> characters = text.toUcs4();
    QStringList words;
    qsizetype start = -1;
    for (qsizetype k = 0; k <= characters.size(); ++k) {
        const bool blank = k == characters.size() || characters[k] == u' ';
        if (blank && start >= 0) {
            const QString word = QString::fromUcs4(
                reinterpret_cast<const char32_t*>(characters.constData() + start), k - start);
            words << QStringLiteral("%1 %2-%3")
                         .arg(word)
                         .arg(input.start(int(start)))
                         .arg(input.end(int(k)));
            start = -1;
        } else if (!blank && start < 0) {
            start = k;
        }
    }
    return words;
}

} // namespace

void TestEngineInput::mandarinText_data() {
    QTest::addColumn<QString>("voice");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("engineVoice");
    QTest::addColumn<QString>("engineText");
    QTest::addColumn<bool>("markup");
    QTest::newRow("characters as pinyin with the spoken tones")
        << Mandarin << "你好，一个人不对。" << Pinyin << "ni3 hao3 ，yi2 ge4 ren2 bu2 dui4 。"
        << false;
    QTest::newRow("a retroflex ending joins its syllable")
        << Mandarin << "一点儿，女儿" << Pinyin << "yi4 dian3r ，nv3 er2 " << false;
    QTest::newRow("numbers written out first")
        << Mandarin << "2024年" << Pinyin << "er4 ling2 er4 si4 nian2 " << false;
    QTest::newRow("English words to an English voice")
        << Mandarin << "我用Windows系统" << Pinyin
        << "wo3 yong4 <voice name=\"en-us\">Windows</voice><voice "
           "name=\"cmn-latn-pinyin\">xi4 tong3 </voice>"
        << true;
    QTest::newRow("an English phrase stays one")
        << Mandarin << "用Microsoft Office。" << Pinyin
        << "yong4 <voice name=\"en-us\">Microsoft Office。</voice>" << true;
    QTest::newRow("capitals said letter by letter")
        << Mandarin << "用APP和GPU，MySQL" << Pinyin
        << "yong4 <voice name=\"en-us\">A-P-P</voice><voice name=\"cmn-latn-pinyin\">he2 "
           "</voice><voice name=\"en-us\">G-P-U，MySQL</voice>"
        << true;
    QTest::newRow("markup characters escaped")
        << Mandarin << "R&D部" << Pinyin
        << "<voice name=\"en-us\">R&amp;D</voice><voice name=\"cmn-latn-pinyin\">bu4 </voice>"
        << true;
    QTest::newRow("no Chinese: the English voice, without markup")
        << Mandarin << "Right Shift" << QStringLiteral("gmw/en-US") << "Right Shift" << false;
    QTest::newRow("no Chinese, capitals spelled")
        << Mandarin << "My APP." << QStringLiteral("gmw/en-US") << "My A-P-P." << false;
    QTest::newRow("pinyin the user wrote, as written")
        << Mandarin << "[hang2 zhang3]好" << Pinyin << "hang2 zhang3 hao3 " << false;
    QTest::newRow("Cantonese: numbers written out, characters as they are")
        << Cantonese << "2024年" << Cantonese << "二零二四年" << false;
    QTest::newRow("the pinyin voice: numbers written out")
        << Pinyin << "ni3 3个" << Pinyin << "ni3 三个" << false;
    QTest::newRow("English: as written")
        << English << "2024年 a<b" << English << "2024年 a<b" << false;
}

void TestEngineInput::mandarinText() {
    QFETCH(QString, voice);
    QFETCH(QString, text);
    QFETCH(QString, engineVoice);
    QFETCH(QString, engineText);
    QFETCH(bool, markup);
    const EngineInput input = engineInput(voice, text);
    QCOMPARE(input.voice, engineVoice);
    QCOMPARE(QString::fromUtf8(input.text), engineText);
    QCOMPARE(input.markup, markup);
    QCOMPARE(input.map.size(), QString::fromUtf8(input.text).toUcs4().size() + 1);
}

void TestEngineInput::wordsMapToTheWrittenText_data() {
    QTest::addColumn<QString>("voice");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("a syllable marks its character")
        << Mandarin << "银行" << QStringList{"yin2 0-1", "hang2 1-2"};
    QTest::newRow("a number's syllables mark the number")
        << Mandarin << "在2024年"
        << QStringList{"zai4 0-1", "er4 1-5", "ling2 1-5", "er4 1-5", "si4 1-5", "nian2 5-6"};
    QTest::newRow("the user's pinyin marks what it stands for")
        << Mandarin << "[hang2 zhang3]说"
        << QStringList{"hang2 0-14", "zhang3 0-14", "shuo1 14-15"};
    QTest::newRow("a retroflex ending marks its character too")
        << Mandarin << "这儿" << QStringList{"zhe4r 0-2"};
    QTest::newRow("characters outside the first plane")
        << English << "a😀 b" << QStringList{"a😀 0-3", "b 4-5"};
}

void TestEngineInput::wordsMapToTheWrittenText() {
    QFETCH(QString, voice);
    QFETCH(QString, text);
    QFETCH(QStringList, words);
    QCOMPARE(mappedWords(engineInput(voice, text)), words);
}

void TestEngineInput::chunks_data() {
    QTest::addColumn<QString>("voice");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");        // of chunks
    QTest::addColumn<bool>("atSentences"); // every chunk but the last ends a sentence
    const QString sentence = QStringLiteral("今天的天气很好，我们去公园散步。");
    QTest::newRow("other voices take the text whole")
        << English << sentence.repeated(200) << 1 << false;
    QTest::newRow("a short text whole") << Mandarin << sentence << 1 << false;
    QTest::newRow("a long text by sentences") << Mandarin << sentence.repeated(200) << 11 << true;
    QTest::newRow("a long sentence at its clauses")
        << Mandarin << QStringLiteral("很长很长的一句话，").repeated(300) << 4 << false;
}

// The chunks follow one another over the whole text, each of a size the engine takes at once.
void TestEngineInput::chunks() {
    QFETCH(QString, voice);
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(bool, atSentences);
    const std::vector<SpeechChunk> chunks = speechChunks(voice, text);
    QCOMPARE(int(chunks.size()), count);
    int at = 0;
    for (const SpeechChunk& chunk : chunks) {
        QCOMPARE(chunk.start, at);
        QVERIFY(chunk.end > chunk.start);
        at = chunk.end;
        const bool last = &chunk == &chunks.back();
        QCOMPARE(chunk.sentenceEnd, atSentences && !last);
        if (count > 1)
            QVERIFY2(chunk.end - chunk.start <= 800, qPrintable(QString::number(chunk.end)));
        if (atSentences && !last)
            QCOMPARE(text.at(chunk.end - 1), u'。');
    }
    QCOMPARE(at, int(text.size()));
}

QTEST_GUILESS_MAIN(TestEngineInput)
#include "tst_engine_input.moc"
