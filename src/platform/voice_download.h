#pragma once

#include "app/background_job.h"
#include "speech/natural_voice_store.h"
#include "speech/voice_catalogue.h"

#include <chrono>

// Downloads a voice of the catalogue into the voices folder's hidden area, checks it against the
// size the server announced and the catalogue's checksum, and installs it as an archive would be
// installed. The download is gone again in every outcome. Returns the installed voice's name;
// empty when the user cancelled. AppError, in Chinese, saying why it failed.
QString downloadVoice(const CatalogueVoice& voice, BackgroundJob::Control& control,
                      const NaturalVoiceStore::VoiceCheck& check,
                      std::chrono::milliseconds stall = std::chrono::seconds(30));
