#include "documents/text_recognition.h"

#include <QtTest>

// The rules around the recogniser: its languages, which pages it reads, how its lines are joined.
class TestTextRecognition : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void languagesFollowTheVoice_data();
    void languagesFollowTheVoice();
    void dataPackages_data();
    void dataPackages();
    void scannedPages_data();
    void scannedPages();
    void extractedPages_data();
    void extractedPages();
    void recognisedParagraphs_data();
    void recognisedParagraphs();
};

void TestTextRecognition::languagesFollowTheVoice_data() {
    QTest::addColumn<QString>("voiceLanguage");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("languages");
    const QStringList chinese{"chi_sim", "chi_tra", "eng", "osd"};
    const auto row = [](const char* name, const char* voice, const QStringList& installed,
                        const char* languages) {
        QTest::newRow(name) << QString::fromLatin1(voice) << installed
                            << QString::fromLatin1(languages);
    };
    row("no voice", "", chinese, "chi_sim+eng");
    row("Mandarin", "cmn", chinese, "chi_sim+eng");
    row("Mandarin with pinyin", "cmn-latn-pinyin", chinese, "chi_sim+eng");
    row("Mandarin without its data asks for it", "cmn", {"eng"}, "chi_sim+eng");
    row("Chinese", "zh", chinese, "chi_sim+eng");
    row("Chinese of China", "zh-CN", chinese, "chi_sim+eng");
    row("Cantonese", "yue", chinese, "chi_tra+eng");
    row("Cantonese as Chinese", "zh-yue", chinese, "chi_tra+eng");
    row("Cantonese without its data asks for it", "yue", {"eng"}, "chi_tra+eng");
    row("Chinese of Taiwan", "zh-TW", chinese, "chi_tra+eng");
    row("Chinese of Hong Kong", "zh-hk", chinese, "chi_tra+eng");
    row("English", "en-gb", chinese, "eng");
    row("English of America", "en-us", {"eng"}, "eng");
    row("German installed", "de", {"deu", "eng"}, "deu+eng");
    row("German not installed", "de", chinese, "eng");
    row("Portuguese of Brazil", "pt-br", {"eng", "por"}, "por+eng");
    row("Norwegian Bokmål", "nb", {"eng", "nor"}, "nor+eng");
    row("Japanese", "ja", {"eng", "jpn"}, "jpn+eng");
    row("three-letter tag", "vie", {"eng", "vie"}, "vie+eng");
    row("Hakka has no data", "hak", chinese, "eng");
    row("unknown tag", "x-nonsense", chinese, "eng");
}

void TestTextRecognition::languagesFollowTheVoice() {
    QFETCH(QString, voiceLanguage);
    QFETCH(QStringList, installed);
    QFETCH(QString, languages);
    QCOMPARE(recognitionLanguages(voiceLanguage, installed).join(u'+'), languages);
}

void TestTextRecognition::dataPackages_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("package");
    QTest::newRow("simplified Chinese") << "chi_sim"
                                        << "tesseract-ocr-chi-sim";
    QTest::newRow("traditional Chinese") << "chi_tra"
                                         << "tesseract-ocr-chi-tra";
    QTest::newRow("English") << "eng"
                             << "tesseract-ocr-eng";
}

void TestTextRecognition::dataPackages() {
    QFETCH(QString, language);
    QFETCH(QString, package);
    QCOMPARE(recognitionDataPackage(language), package);
}

void TestTextRecognition::scannedPages_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("scanned");
    QTest::newRow("nothing") << "" << true;
    QTest::newRow("blanks only") << " \n\t\r\n  " << true;
    QTest::newRow("a page number") << "\n  12\n" << true;
    QTest::newRow("19 characters") << QString(19, u'x') << true;
    QTest::newRow("20 characters") << QString(20, u'x') << false;
    QTest::newRow("19 characters among blanks") << "a b c d e f g h i j k l m n o p q r s" << true;
    QTest::newRow("20 Chinese characters") << QString(20, u'字') << false;
    // Ten characters beyond the Basic Multilingual Plane are twenty UTF-16 units.
    QTest::newRow("ten characters of two units") << QString::fromUcs4(U"😀😀😀😀😀😀😀😀😀😀") << true;
}

void TestTextRecognition::scannedPages() {
    QFETCH(QString, text);
    QFETCH(bool, scanned);
    QCOMPARE(isScannedPage(text), scanned);
}

void TestTextRecognition::extractedPages_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("pages");
    QTest::newRow("two pages") << "one\n\ftwo\n\f" << QStringList{"one\n", "two\n"};
    QTest::newRow("empty middle page") << "a\f\fc\f" << QStringList{"a", "", "c"};
    QTest::newRow("two empty pages") << "\f\f" << QStringList{"", ""};
    QTest::newRow("no form feed") << "only" << QStringList{"only"};
    QTest::newRow("nothing") << "" << QStringList{""};
}

void TestTextRecognition::extractedPages() {
    QFETCH(QString, text);
    QFETCH(QStringList, pages);
    QCOMPARE(::extractedPages(text), pages);
}

void TestTextRecognition::recognisedParagraphs_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("paragraphs");
    QTest::newRow("English lines") << "Reading aloud\nhelps people.\n\nNext one\n"
                                   << "Reading aloud helps people.\nNext one";
    QTest::newRow("Chinese lines") << "今天的天气\n很好。\n"
                                   << "今天的天气很好。";
    QTest::newRow("English after Chinese") << "一起去\nParlora\n"
                                           << "一起去Parlora";
    QTest::newRow("Chinese after full stop") << "Done.\n下一句\n"
                                             << "Done.下一句";
    QTest::newRow("full-width comma") << "好，\nyes\n"
                                      << "好，yes";
    QTest::newRow("blanks around lines") << "  a  \n\t b \n"
                                         << "a b";
    QTest::newRow("several blank lines") << "a\n\n \n\nb\n"
                                         << "a\nb";
    QTest::newRow("character of two units") << "𠀀\nx\n"
                                            << "𠀀x";
    QTest::newRow("nothing") << "\n\n"
                             << "";
}

void TestTextRecognition::recognisedParagraphs() {
    QFETCH(QString, text);
    QFETCH(QString, paragraphs);
    QCOMPARE(recognisedText(text), paragraphs);
}

QTEST_APPLESS_MAIN(TestTextRecognition)
#include "tst_text_recognition.moc"
