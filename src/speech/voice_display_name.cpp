#include "voice_display_name.h"

#include <QHash>
#include <iterator>
#include <unicode/uloc.h>

namespace {

// Keyed by the voice's file name: both Cantonese voices speak the language "yue".
QString chineseVoiceName(const VoiceToken& voice) {
    static const QHash<QString, QString> names{
        {QStringLiteral("cmn"), QStringLiteral("中文（普通话）")},
        {QStringLiteral("cmn-latn-pinyin"), QStringLiteral("中文（普通话，拼音）")},
        {QStringLiteral("yue"), QStringLiteral("中文（粤语）")},
        {QStringLiteral("yue-latn-jyutping"), QStringLiteral("中文（粤语，粤拼）")},
        {QStringLiteral("hak"), QStringLiteral("客家话")},
    };
    return names.value(voice.id.mid(voice.id.lastIndexOf(u'/') + 1).toLower());
}

using DisplayFunction = int32_t (*)(const char*, const char*, UChar*, int32_t, UErrorCode*);

// Empty when ICU fails, or answers with the code itself for a name it does not have.
QString displayed(DisplayFunction function, const QByteArray& locale) {
    UChar text[256];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = function(locale.constData(), "zh", text, std::size(text), &status);
    if (U_FAILURE(status) || status == U_USING_DEFAULT_WARNING ||
        status == U_STRING_NOT_TERMINATED_WARNING)
        return {};
    return QString::fromUtf16(text, length);
}

// Language, script and region of a language tag in Chinese ("en-gb" gives 英语（英国）);
// variants and private parts ("-x-rp") are left out. Empty when ICU does not know the
// language.
QString languageName(const QString& tag) {
    UErrorCode status = U_ZERO_ERROR;
    char parsed[ULOC_FULLNAME_CAPACITY];
    uloc_forLanguageTag(tag.toLatin1().constData(), parsed, sizeof parsed, nullptr, &status);
    char language[ULOC_LANG_CAPACITY];
    char script[ULOC_SCRIPT_CAPACITY];
    char region[ULOC_COUNTRY_CAPACITY];
    uloc_getLanguage(parsed, language, sizeof language, &status);
    uloc_getScript(parsed, script, sizeof script, &status);
    uloc_getCountry(parsed, region, sizeof region, &status);
    if (U_FAILURE(status) || !*language || displayed(uloc_getDisplayLanguage, language).isEmpty())
        return {};
    QByteArray locale = language;
    if (*script)
        locale += QByteArray("_") + script;
    if (*region)
        locale += QByteArray("_") + region;
    return displayed(uloc_getDisplayName, locale);
}

QString ownName(const VoiceToken& voice) {
    QString name = chineseVoiceName(voice);
    if (name.isEmpty())
        name = languageName(voice.language);
    return name.isEmpty() ? voice.description : name;
}

} // namespace

QStringList voiceDisplayNames(const QList<VoiceToken>& voices) {
    QStringList names;
    QHash<QString, int> uses;
    for (const VoiceToken& voice : voices) {
        names << ownName(voice);
        ++uses[names.back()];
    }
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (uses[names[i]] > 1 && names[i] != voices[i].description)
            names[i] += QStringLiteral("（%1）").arg(voices[i].description);
    }
    return names;
}
