#include "app/profile_file.h"
#include "app/settings.h"

#include <QtTest>

class TestSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void missingFileGivesDefaults();
    void readsKeysInAnyCase();
    void colourForms_data();
    void colourForms();
    void writesFourteenKeysInOrder();
    void keepsWhatIsNotWritten();
    void voiceIdBesideItsIndex();
    void letterDigitSpelling_data();
    void letterDigitSpelling();
    void highlightReading_data();
    void highlightReading();
};

namespace {

SettingsToSave everything() {
    SettingsToSave s;
    s.rate = -2;
    s.volume = 55;
    s.color = ColorValue::clWindow;
    s.font = QStringLiteral("\"Tahoma\", 8, [], [clWindowText]");
    s.wordWrap = false;
    s.bars = SettingsToSave::Bars{false, true, true, false};
    s.speakKey = QStringLiteral("Digit");
    s.showKeyWord = true;
    s.speakClipBrd = false;
    s.showClipBrdText = true;
    s.engine = 2;
    return s;
}

} // namespace

void TestSettings::missingFileGivesDefaults() {
    const Settings s = readSettings(ProfileFile());
    QCOMPARE(s.engine, -1);
    QCOMPARE(s.speakKey, QStringLiteral("All"));
    QCOMPARE(s.showKeyWord, QStringLiteral("No"));
    QCOMPARE(s.showClipBrdText, QStringLiteral("No"));
    QCOMPARE(s.speakClipBrd, QStringLiteral("Yes"));
    QCOMPARE(s.rate, 0);
    QCOMPARE(s.volume, 80);
    QVERIFY(s.font.isEmpty());
    QCOMPARE(s.color, qint32(-16777211));
    QVERIFY(s.wordWrap && s.toolBar && s.addressBar && s.progressBar && s.propertyBar);
}

void TestSettings::readsKeysInAnyCase() {
    const Settings s = readSettings(ProfileFile::fromText(
        QStringLiteral("[SET]\nengine=3\nSPEAKKEY=LetterDigit\nshowkeyword=Yes\n"
                       "showclipbrdtext=Yes\nspeakclipbrd=No\nrate=-4\nvolume=$20\n"
                       "font=\"A\", 9, [], [clRed]\ncolor=255\nwordwrap=0\ntoolbar=0x0\n"
                       "addressbar=0\nprogressbar=Yes\npropertybar=0\n")));
    QCOMPARE(s.engine, 3);
    QCOMPARE(s.speakKey, QStringLiteral("LetterDigit"));
    QCOMPARE(s.showKeyWord, QStringLiteral("Yes"));
    QCOMPARE(s.showClipBrdText, QStringLiteral("Yes"));
    QCOMPARE(s.speakClipBrd, QStringLiteral("No"));
    QCOMPARE(s.rate, -4);
    QCOMPARE(s.volume, 32);
    QCOMPARE(s.font, QStringLiteral("\"A\", 9, [], [clRed]"));
    QCOMPARE(s.color, 255);
    QVERIFY(!s.wordWrap);
    QVERIFY(!s.toolBar);
    QVERIFY(!s.addressBar);
    QVERIFY(s.progressBar); // "Yes" is no number: the default stands
    QVERIFY(!s.propertyBar);
}

void TestSettings::colourForms_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("decimal") << "-16777211";
    QTest::newRow("0x hexadecimal") << "0xFF000005";
    QTest::newRow("dollar hexadecimal") << "$FF000005";
    QTest::newRow("not a number gives the default") << "white";
}

void TestSettings::colourForms() {
    QFETCH(QString, text);
    const Settings s = readSettings(ProfileFile::fromText(QStringLiteral("[set]\nColor=") + text));
    QCOMPARE(s.color, ColorValue::clWindow);
}

void TestSettings::writesFourteenKeysInOrder() {
    ProfileFile profile;
    writeSettings(profile, everything());
    QCOMPARE(profile.toText(), QStringLiteral("[set]\r\nRate=-2\r\nVolume=55\r\nColor=-16777211\r\n"
                                              "Font=\"Tahoma\", 8, [], [clWindowText]\r\n"
                                              "WordWrap=0\r\nToolBar=0\r\nAddressBar=1\r\n"
                                              "ProgressBar=1\r\nPropertyBar=0\r\nSpeakKey=Digit\r\n"
                                              "ShowKeyWord=Yes\r\nSpeakClipBrd=No\r\n"
                                              "ShowClipBrdText=Yes\r\nEngine=2\r\n"));
    const Settings reread = readSettings(profile);
    QCOMPARE(reread.rate, -2);
    QCOMPARE(reread.speakKey, QStringLiteral("Digit"));
    QVERIFY(!reread.toolBar && reread.addressBar && !reread.propertyBar);
}

void TestSettings::keepsWhatIsNotWritten() {
    ProfileFile profile = ProfileFile::fromText(QStringLiteral("[set]\nEngine=5\nRate=3\n"));
    SettingsToSave values = everything();
    values.engine.reset(); // no voice selected
    values.rate.reset();   // its start-up step never ran
    writeSettings(profile, values);
    const Settings reread = readSettings(profile);
    QCOMPARE(reread.engine, 5);
    QCOMPARE(reread.rate, 3);
    QCOMPARE(profile.toText().count(u'='), 14);
}

void TestSettings::voiceIdBesideItsIndex() {
    ProfileFile profile = ProfileFile::fromText(QStringLiteral("[set]\nEngine=5\n"));
    QCOMPARE(readSettings(profile).engineId, QString()); // files of before keep their index
    SettingsToSave values;
    values.engine = 3;
    values.engineId = QStringLiteral("neural:vits-zh");
    writeSettings(profile, values);
    QCOMPARE(profile.toText(), QStringLiteral("[set]\r\nEngine=3\r\nEngineId=neural:vits-zh\r\n"));
    QCOMPARE(readSettings(profile).engineId, QStringLiteral("neural:vits-zh"));
}

void TestSettings::letterDigitSpelling_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("line");
    QTest::newRow("letter and digit") << "LetterDigit"
                                      << "Speakkey=LetterDigit";
    QTest::newRow("all") << "All"
                         << "SpeakKey=All";
    QTest::newRow("none") << "None"
                          << "SpeakKey=None";
}

void TestSettings::letterDigitSpelling() {
    QFETCH(QString, mode);
    QFETCH(QString, line);
    ProfileFile profile = ProfileFile::fromText(QStringLiteral("[set]\nSPEAKKEY=Letter\n"));
    SettingsToSave values;
    values.speakKey = mode;
    writeSettings(profile, values);
    QCOMPARE(profile.toText(), QStringLiteral("[set]\r\n%1\r\n").arg(line));
    QCOMPARE(readSettings(profile).speakKey, mode);
}

void TestSettings::highlightReading_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("on");
    QTest::newRow("missing key means on") << "[set]\nRate=1\n" << true;
    QTest::newRow("off") << "[set]\nhighlightreading=0\n" << false;
    QTest::newRow("on") << "[set]\nHighlightReading=1\n" << true;
    QTest::newRow("not a number gives the default") << "[set]\nHighlightReading=No\n" << true;
}

void TestSettings::highlightReading() {
    QFETCH(QString, file);
    QFETCH(bool, on);
    ProfileFile profile = ProfileFile::fromText(file);
    QCOMPARE(readSettings(profile).highlightReading, on);
    SettingsToSave values;
    values.highlightReading = !on;
    writeSettings(profile, values);
    QCOMPARE(readSettings(profile).highlightReading, !on);
    QVERIFY(profile.toText().contains(QStringLiteral("HighlightReading=%1\r\n").arg(int(!on)),
                                      Qt::CaseInsensitive));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
