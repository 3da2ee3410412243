#include "icu_language_name.h"

#include <QByteArray>
#include <iterator>
#include <unicode/uloc.h>

namespace {

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

} // namespace

QString icuLanguageName(const QString& tag) {
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
