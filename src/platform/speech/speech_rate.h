#pragma once

// The engine's speaking speed for a rate of -10 to 10: 0 is the normal 175 words a minute,
// each step of 10 multiplies or divides the speed by three. Below the engine's slowest speed
// the words are spaced apart instead.
struct RateSetting {
    int wordsPerMinute;
    int wordGap; // in units of 10 ms
};

RateSetting espeakRate(int rate);
