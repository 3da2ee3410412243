#include "platform/speech/espeak_voice.h"
#include "speech/built_language_names.h"
#include "speech/icu_language_name.h"
#include "speech/voice_display_name.h"

#include <QSet>
#include <QtTest>
#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// "id|engine's name|language" for each voice, ";" between voices.
QList<VoiceToken> voicesOf(const QString& rows) {
    QList<VoiceToken> voices;
    for (const QString& row : rows.split(u';')) {
        const QStringList parts = row.split(u'|');
        voices << VoiceToken{parts.value(0), parts.value(1), parts.value(2)};
    }
    return voices;
}

} // namespace

class TestVoiceDisplayName : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void names_data();
    void names();
    void installedVoicesHaveDistinctChineseNames();
    void builtNamesAreIcus();
};

void TestVoiceDisplayName::names_data() {
    QTest::addColumn<QString>("voices");
    QTest::addColumn<QStringList>("names");
    const auto row = [](const char* name, const char16_t* voices, QStringList names) {
        QTest::newRow(name) << QString::fromUtf16(voices) << names;
    };
    row("Mandarin", u"sit/cmn|Chinese (Mandarin, latin as English)|cmn", {u"中文（普通话）"_s});
    row("pinyin, the file's spelling",
        u"sit/cmn-Latn-pinyin|Chinese (Mandarin, latin as Pinyin)|cmn-latn-pinyin",
        {u"中文（普通话，拼音）"_s});
    row("both Cantonese voices speak yue",
        u"sit/yue|Chinese (Cantonese)|yue;"
        u"sit/yue-Latn-jyutping|Chinese (Cantonese, latin as Jyutping)|yue",
        {u"中文（粤语）"_s, u"中文（粤语，粤拼）"_s});
    row("Hakka", u"sit/hak|Hakka Chinese|hak", {u"客家话"_s});
    row("Burmese is not Chinese", u"sit/my|Myanmar (Burmese)|my", {u"缅甸语"_s});
    row("region of the language tag", u"gmw/en|English (Great Britain)|en-gb", {u"英语（英国）"_s});
    row("numeric region", u"roa/es-419|Spanish (Latin America)|es-419",
        {u"西班牙语（拉丁美洲）"_s});
    row("script", u"ira/fa-Latn|Persian (Pinglish)|fa-latn", {u"波斯语（拉丁文）"_s});
    row("language only", u"gmw/de|German|de", {u"德语"_s});
    row("unknown language keeps the engine's name", u"art/piqd|Klingon|piqd", {u"Klingon"_s});
    row("no language keeps the engine's name", u"x/y|Some voice|", {u"Some voice"_s});
    row("same Chinese name: the engine's names tell them apart",
        u"gmw/en|English (Great Britain)|en-gb;gmw/en-GB-scotland|English (Scotland)|"
        u"en-gb-scotland;gmw/en-GB-x-rp|English (Received Pronunciation)|en-gb-x-rp;"
        u"gmw/en-US|English (America)|en-us",
        {u"英语（英国）（English (Great Britain)）"_s, u"英语（英国）（English (Scotland)）"_s,
         u"英语（英国）（English (Received Pronunciation)）"_s, u"英语（美国）"_s});
    row("natural voices by language and folder",
        u"neural:vits-zh-a|vits-zh-a|zh;neural:piper-en|piper-en|en-us;sit/cmn|Chinese|cmn",
        {u"中文（自然，vits-zh-a）"_s, u"英语（美国）（自然，piper-en）"_s, u"中文（普通话）"_s});
    row("a model's speakers by number",
        u"neural:vits-zh-b|vits-zh-b/0|zh;neural:vits-zh-b/12|vits-zh-b/12|zh",
        {u"中文（自然，vits-zh-b，说话人 0）"_s, u"中文（自然，vits-zh-b，说话人 12）"_s});
    row("a folder that names no voice is no natural voice", u"neural:|x|zh", {u"中文"_s});
    row("a region tells them apart",
        u"aav/vi|Vietnamese (Northern)|vi;aav/vi-VN-x-central|Vietnamese (Central)|"
        u"vi-vn-x-central",
        {u"越南语"_s, u"越南语（越南）"_s});
}

void TestVoiceDisplayName::names() {
    QFETCH(QString, voices);
    QFETCH(QStringList, names);
    QCOMPARE(voiceDisplayNames(voicesOf(voices)), names);
}

// What the voice list shows with the engine's data on this system: a Chinese name for every
// voice, none twice, in the engine's order; and every voice's language is in the table made at
// build time, so that the window never asks ICU when it starts.
void TestVoiceDisplayName::installedVoicesHaveDistinctChineseNames() {
    EspeakVoice engine;
    const QList<VoiceToken> voices = engine.GetVoices({}, {});
    QVERIFY(voices.size() > 10);
    const QStringList names = voiceDisplayNames(voices);
    QCOMPARE(names.size(), voices.size());
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    QCOMPARE(names.first(), u"中文（普通话）"_s);
    const qsizetype english =
        std::find_if(voices.begin(), voices.end(),
                     [](const VoiceToken& v) { return v.language == u"en-gb"_s; }) -
        voices.begin();
    QVERIFY(english < voices.size());
    QVERIFY2(names[english].startsWith(u"英语（英国）"_s), qPrintable(names[english]));
    const auto built = builtLanguageNames();
    for (const VoiceToken& voice : voices) {
        const QByteArray tag = voice.language.toLatin1();
        QVERIFY2(std::any_of(built.begin(), built.end(),
                             [&](const BuiltLanguageName& entry) { return tag == entry.tag; }),
                 tag.constData());
    }
}

// The table made at build time gives what ICU gives, and is sorted for its binary search.
void TestVoiceDisplayName::builtNamesAreIcus() {
    const auto names = builtLanguageNames();
    QVERIFY(names.size() > 10);
    for (const BuiltLanguageName& entry : names)
        QCOMPARE(QString::fromUtf8(entry.name), icuLanguageName(QString::fromLatin1(entry.tag)));
    QVERIFY(std::is_sorted(names.begin(), names.end(), [](const auto& a, const auto& b) {
        return std::strcmp(a.tag, b.tag) < 0;
    }));
}

QTEST_GUILESS_MAIN(TestVoiceDisplayName)
#include "tst_voice_display_name.moc"
