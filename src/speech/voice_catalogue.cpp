#include "voice_catalogue.h"

#include <QtGlobal>

namespace {

const QString ReleasesAddress =
    QStringLiteral("https://github.com/k2-fsa/sherpa-onnx/releases/download/tts-models/");

} // namespace

// Sizes, licences and checksums are given only where they were read from the release itself;
// the voice folder's own licence file is what holds.
QList<CatalogueVoice> voiceCatalogue() {
    return {
        {QStringLiteral("vits-melo-tts-zh_en"), QStringLiteral("中文（普通话）和英文"),
         QStringLiteral("zh")},
        {QStringLiteral("vits-zh-hf-fanchen-C"), QStringLiteral("中文（普通话）"),
         QStringLiteral("zh")},
        {QStringLiteral("vits-piper-en_US-amy-low"), QStringLiteral("英文（美国）"),
         QStringLiteral("en-US")},
        {QStringLiteral("vits-cantonese-hf-xiaomaiiwn"), QStringLiteral("粤语"),
         QStringLiteral("yue")},
    };
}

QUrl catalogueVoiceAddress(const CatalogueVoice& voice) {
    QString base = qEnvironmentVariable("PARLORA_VOICE_CATALOGUE_URL");
    if (base.isEmpty())
        base = ReleasesAddress;
    if (!base.endsWith(u'/'))
        base += u'/';
    return QUrl(base + voice.name + QStringLiteral(".tar.bz2"));
}
