#pragma once

#include "speech/pronunciation.h"

#include <QByteArray>
#include <QString>
#include <vector>

// What the engine is given to say a text with a voice, and where each of its characters came
// from. Every Chinese voice is given the text as a Chinese reader says it (numbers, dates and
// symbols written out). The Mandarin voice is given pinyin with the tones as spoken, through
// the engine's pinyin voice, and words in Latin letters through an English voice: the engine's
// own Mandarin voice says each character as letters and a tone number.
struct EngineInput {
    QString voice;        // the engine's identifier of the voice to set before synthesis
    QByteArray text;      // UTF-8, ended by the caller as the engine needs
    bool markup = false;  // the text is SSML: voices change inside it
    SpokenText spoken;    // the text as said, mapped into the text given
    std::vector<int> map; // for each character of text and one past it: its place in spoken

    // Where something that starts at the engine's character (counted from 0) starts in the
    // text given; where something that ends there ends.
    int start(int character) const;
    int end(int character) const;
};

// voiceId is the engine's identifier of the voice chosen ("sit/cmn").
EngineInput engineInput(const QString& voiceId, const QString& text);

// What the voice says, as text: for a Chinese voice with numbers, dates and symbols written
// out; the text itself for the others.
QString spokenForm(const QString& voiceId, const QString& text);

// A stretch [start, end) of a text given to the engine in one go; sentenceEnd: it ends where a
// sentence does, so the sentence's pause follows it when more speech comes after it.
struct SpeechChunk {
    int start = 0;
    int end = 0;
    bool sentenceEnd = false;
};

// Where a text is cut for the engine: a Chinese voice prepares its text piece by piece, a few
// sentences at a time, so that speech starts at once however long the text; any other voice
// takes it whole.
std::vector<SpeechChunk> speechChunks(const QString& voiceId, const QString& text);
