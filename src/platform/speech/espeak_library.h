#pragma once

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

// The calls of the espeak-ng library that the voice makes. The library is opened on the
// engine's thread when it is first needed, not by the program's loader before main: it
// brings the sound libraries it links with it, and loading them all is a good part of the
// window's start-up.
struct EspeakLibrary {
    decltype(&espeak_ng_InitializePath) initializePath;
    decltype(&espeak_ng_Initialize) initialize;
    decltype(&espeak_ng_ClearErrorContext) clearErrorContext;
    decltype(&espeak_ng_InitializeOutput) initializeOutput;
    decltype(&espeak_ng_GetSampleRate) sampleRate;
    decltype(&espeak_SetSynthCallback) setSynthCallback;
    decltype(&espeak_ListVoices) listVoices;
    decltype(&espeak_SetVoiceByName) setVoiceByName;
    decltype(&espeak_SetParameter) setParameter;
    decltype(&espeak_Synth) synth;
    decltype(&espeak_Terminate) terminate;
};

// Opens the library the first time; AppError when it or one of its calls cannot be found.
const EspeakLibrary& espeakLibrary();
