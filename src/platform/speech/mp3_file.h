#pragma once

#include "audio_file.h"

// An MP3 file, constant bit rate at the encoder's default for the rate, with the Info frame that
// tells players its length and the encoder's delay and padding (so decoders give back exactly the
// samples written). Throws AppError when the file cannot be created.
std::unique_ptr<AudioFile> createMp3File(const QString& path, int rate);
