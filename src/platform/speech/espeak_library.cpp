#include "espeak_library.h"

#include "app/shared_library.h"

namespace {

EspeakLibrary open() {
    const SharedLibrary library("libespeak-ng.so.1", "libespeak-ng1");
    EspeakLibrary calls{};
    library.resolve("espeak_ng_InitializePath", calls.initializePath);
    library.resolve("espeak_ng_Initialize", calls.initialize);
    library.resolve("espeak_ng_ClearErrorContext", calls.clearErrorContext);
    library.resolve("espeak_ng_InitializeOutput", calls.initializeOutput);
    library.resolve("espeak_ng_GetSampleRate", calls.sampleRate);
    library.resolve("espeak_SetSynthCallback", calls.setSynthCallback);
    library.resolve("espeak_ListVoices", calls.listVoices);
    library.resolve("espeak_SetVoiceByName", calls.setVoiceByName);
    library.resolve("espeak_SetParameter", calls.setParameter);
    library.resolve("espeak_Synth", calls.synth);
    library.resolve("espeak_Terminate", calls.terminate);
    return calls;
}

} // namespace

const EspeakLibrary& espeakLibrary() {
    static const EspeakLibrary calls = open();
    return calls;
}
