// The two extra voices, registered for the time the program runs on the one system version
// whose speech runtime reads them.
#include "app/tfmain.h"

#include "platform/data_directory.h"
#include "platform/system_info.h"
#include "speech/registry_store.h"
#include "speech/voice_tokens.h"

namespace {
const QString RegistryFile = QStringLiteral("voice-tokens.json");
constexpr int RegisteringVersion = 5;
} // namespace

void TFmain::registerVoices() {
    if (m_platform.systemInfo->majorVersion() != RegisteringVersion)
        return;
    const QString file = m_platform.dataDirectory->filePath(RegistryFile);
    RegistryStore store = RegistryStore::load(file);
    const VoiceTokenPlace place{m_platform.programDirectory,
                                drivePart(m_platform.programDirectory)};
    removeVoice(store, ExtraVoice::Mary);
    removeVoice(store, ExtraVoice::Mike);
    registerVoice(store, ExtraVoice::Mike, place);
    registerVoice(store, ExtraVoice::Mary, place);
    store.save(file);
}

void TFmain::removeVoices() {
    if (m_platform.systemInfo->majorVersion() != RegisteringVersion)
        return;
    const QString file = m_platform.dataDirectory->filePath(RegistryFile);
    RegistryStore store = RegistryStore::load(file);
    removeVoice(store, ExtraVoice::Mary);
    removeVoice(store, ExtraVoice::Mike);
    store.save(file);
}
