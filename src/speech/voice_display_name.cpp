#include "voice_display_name.h"

#include "built_language_names.h"
#include "icu_language_name.h"

#include <QHash>
#include <algorithm>

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

// The built table first: ICU only for a language installed after the program was built.
QString languageName(const QString& tag) {
    const QByteArray key = tag.toLatin1();
    const auto names = builtLanguageNames();
    const auto found = std::lower_bound(
        names.begin(), names.end(), key,
        [](const BuiltLanguageName& entry, const QByteArray& tag) { return tag > entry.tag; });
    if (found != names.end() && key == found->tag)
        return QString::fromUtf8(found->name);
    return icuLanguageName(tag);
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
