#include "voice_display_name.h"

#include "built_language_names.h"
#include "icu_language_name.h"
#include "platform/speech/neural_voice_folder.h"

#include <QHash>
#include <algorithm>

namespace {

QString fileName(const VoiceToken& voice) {
    return voice.id.mid(voice.id.lastIndexOf(u'/') + 1).toLower();
}

// Keyed by the voice's file name: both Cantonese voices speak the language "yue".
QString chineseVoiceName(const VoiceToken& voice) {
    static const QHash<QString, QString> names{
        {QStringLiteral("cmn"), QStringLiteral("中文（普通话）")},
        {QStringLiteral("cmn-latn-pinyin"), QStringLiteral("中文（普通话，拼音）")},
        {QStringLiteral("yue"), QStringLiteral("中文（粤语）")},
        {QStringLiteral("yue-latn-jyutping"), QStringLiteral("中文（粤语，粤拼）")},
        {QStringLiteral("hak"), QStringLiteral("客家话")},
    };
    return names.value(fileName(voice));
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
    if (!neuralVoiceFolder(voice.id).isEmpty()) {
        const int speaker = neuralVoiceDescribedSpeaker(voice.description);
        if (speaker >= 0)
            return QStringLiteral("%1（自然，%2，说话人 %3）")
                .arg(languageName(voice.language), voice.description.section(u'/', 0, 0))
                .arg(speaker);
        return QStringLiteral("%1（自然，%2）")
            .arg(languageName(voice.language), voice.description);
    }
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

QString voiceDescription(const VoiceToken& voice) {
    static const QString numbers = QStringLiteral("数字、日期、时间、金额和单位按中文习惯读出");
    static const QHash<QString, QString> descriptions{
        {QStringLiteral("cmn"),
         QStringLiteral("汉字按普通话读，多音字按词语和上下文定音，变调照口语；%1；"
                        "英文单词用英语读，大写缩写逐个字母读")
             .arg(numbers)},
        {QStringLiteral("cmn-latn-pinyin"),
         QStringLiteral("读用拼音写的文字（如 ni3 hao3）；%1").arg(numbers)},
        {QStringLiteral("yue"), QStringLiteral("汉字按粤语读；%1").arg(numbers)},
        {QStringLiteral("yue-latn-jyutping"), QStringLiteral("读用粤拼写的文字；%1").arg(numbers)},
        {QStringLiteral("hak"), QStringLiteral("按客家话读；%1").arg(numbers)},
    };
    return descriptions.value(fileName(voice));
}
