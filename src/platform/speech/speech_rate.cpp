#include "speech_rate.h"

#include <algorithm>
#include <cmath>

RateSetting espeakRate(int rate) {
    constexpr double Normal = 175;
    constexpr int Slowest = 80;
    const double wpm = Normal * std::pow(3.0, std::clamp(rate, -10, 10) / 10.0);
    if (wpm >= Slowest)
        return {int(std::lround(wpm)), 0};
    // A word lasts 60/wpm seconds; the gap makes up the difference to the slowest speed.
    const double gapSeconds = 60.0 / wpm - 60.0 / Slowest;
    return {Slowest, int(std::lround(gapSeconds * 100))};
}
