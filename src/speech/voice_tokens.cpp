#include "voice_tokens.h"

#include "speech/registry_store.h"

namespace {

const QString PhoneMap = QStringLiteral(
    "AA 000a AA1 000a0008 AA2 000a0009 AE 000b AE1 000b0008 AE2 000b0009 AH 000c AH1 000c0008 "
    "AH2 000c0009 AO 000d AO1 000d0008 AO2 000d0009 AW 000e AW1 000e0008 AW2 000e0009 AX 000f "
    "AX1 000f0008 AX2 000f0009 AY 0010 AY1 00100008 AY2 00100009 B 0011 CH 0012 D 0013 DH 0014 "
    "EH 0015 EH1 00150008 EH2 00150009 ER 0016 ER1 00160008 ER2 00160009 EY 0017 EY1 00170008 "
    "EY2 00170009 F 0018 G 0019 H 001a IH 001b  IH1 001b0008 IH2 001b0009 IY 001c IY1 001c0008 "
    "IY2 001c0009 JH 001d K 001e L 001f M 0020 N 0021 NG 0022 OW 0023 OW1 00230008 OW2 00230009 "
    "OY 0024 OY1 00240008 OY2 00240009 P 0025 R 0026 S 0027 SH 0028 T 0029 TH 002a UH 002b UH1 "
    "002b0008 UH2 002b0009 UW 002c UW1 002c0008 UW2 002c0009 V 002d W 002e Y 002f Z 0030 ZH "
    "0031");
const QString LexiconFolder =
    QStringLiteral("\\Program Files\\Common Files\\SpeechEngines\\Microsoft\\Lexicon\\1033\\");

struct VoiceData {
    QString token;   // the token key as the removal and the "open only" steps name it
    QString spelled; // the same key as the creating steps spell it
    QString name;
    QString gender;
    QString file; // base name of its data files in the "TTS" folder
};

VoiceData dataOf(ExtraVoice voice) {
    if (voice == ExtraVoice::Mary)
        return {QStringLiteral("MSMary"), QStringLiteral("MsMary"),
                QStringLiteral("Microsoft Mary"), QStringLiteral("Female"), QStringLiteral("mary")};
    return {QStringLiteral("MSMike"), QStringLiteral("MsMike"), QStringLiteral("Microsoft Mike"),
            QStringLiteral("Male"), QStringLiteral("mike")};
}

using Values = std::initializer_list<std::pair<QString, QString>>;

// Opens the key, creating it when missing, and writes the values in order.
void writeKey(RegistryStore& store, const QString& path, Values values) {
    store.create(path);
    for (const auto& [name, data] : values)
        store.setValue(path, name, data);
}

// Creates sub-keys of a key only when the key is already there.
void createBelowExisting(RegistryStore& store, const QString& path, const QStringList& subKeys) {
    if (!store.exists(path))
        return;
    for (const QString& subKey : subKeys)
        store.create(path + u'\\' + subKey);
}

} // namespace

void registerVoice(RegistryStore& store, ExtraVoice voice, const VoiceTokenPlace& place) {
    const VoiceData v = dataOf(voice);
    const QString token = VoiceTokensKey + u'\\' + v.token;
    const QString spelled = VoiceTokensKey + u'\\' + v.spelled;
    const QChar separator = place.programFolder.isEmpty() ? u'\\' : place.programFolder.back();
    const QString voiceFiles = place.programFolder + QStringLiteral("TTS") + separator + v.file;
    const QString lexicon = place.windowsDrive + LexiconFolder;

    createBelowExisting(store, VoiceTokensKey, {v.token});
    createBelowExisting(
        store, token, {QStringLiteral("Attributes"), QStringLiteral("Lex"), QStringLiteral("LTS")});
    writeKey(store, spelled,
             {{QString(), v.name},
              {QStringLiteral("409"), v.name},
              {QStringLiteral("CLSID"), QStringLiteral("{65DBDDEF-0725-11D3-B50C-00C04F797396}")},
              {QStringLiteral("VoiceData"), voiceFiles + QStringLiteral(".spd")},
              {QStringLiteral("VoiceDef"), voiceFiles + QStringLiteral(".sdf")}});
    writeKey(store, spelled + QStringLiteral("\\Attributes"),
             {{QString(), QString()},
              {QStringLiteral("Age"), QStringLiteral("Adult")},
              {QStringLiteral("Gender"), v.gender},
              {QStringLiteral("Language"), QStringLiteral("409;9")},
              {QStringLiteral("Name"), v.name},
              {QStringLiteral("Vender"), QStringLiteral("Microsoft")},
              {QStringLiteral("VendorPreferred"), QString()}});
    writeKey(store, spelled + QStringLiteral("\\Lex"),
             {{QString(), QString()},
              {QStringLiteral("CLSID"), QStringLiteral("{90903716-2F42-11D3-9C26-00C04F8EF87C}")},
              {QStringLiteral("DataFile"), lexicon + QStringLiteral("LTTS1033.LXA")}});
    createBelowExisting(store, token + QStringLiteral("\\LTS"), {QStringLiteral("PhoneConverter")});
    writeKey(store, spelled + QStringLiteral("\\LTS"),
             {{QString(), QString()},
              {QStringLiteral("CLSID"), QStringLiteral("{685879BA-3263-11D3-9C26-00C04F8EF87C}")},
              {QStringLiteral("DataFile"), lexicon + QStringLiteral("r1033tts.LXA")}});
    writeKey(store, spelled + QStringLiteral("\\LTS\\PhoneConverter"),
             {{QString(), QStringLiteral("Microsoft English LTS Phone Converter")},
              {QStringLiteral("CLSID"), QStringLiteral("{9185F743-1143-4C28-86B5-BFF14F20E5C8}")},
              {QStringLiteral("PhoneMap"), PhoneMap}});
}

void removeVoice(RegistryStore& store, ExtraVoice voice) {
    store.create(VoiceTokensKey);
    store.removeTree(VoiceTokensKey + u'\\' + dataOf(voice).token);
}

QString drivePart(const QString& path) {
    if (path.size() >= 2 && path[1] == u':' && path[0].isLetter())
        return path.left(2);
    return {};
}
