#pragma once

#include <soxr.h>

// A resampler of mono 16-bit samples, high quality and without dither (silence stays digital
// silence); null when the rates are refused.
inline soxr_t createResampler(double inputRate, double outputRate) {
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    return soxr_create(inputRate, outputRate, 1, nullptr, &io, &quality, nullptr);
}
