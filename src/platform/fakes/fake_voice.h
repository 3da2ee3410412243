#pragma once

#include "platform/fakes/call_recorder.h"
#include "platform/speech/speech_voice.h"

#include <QStringList>
#include <QThread>
#include <algorithm>
#include <atomic>

// A voice that records every call ("Speak:text", "Pause", ...) and fails the members named by
// setFailing with an AppError.
class FakeVoice : public SpeechVoice, public CallRecorder {
public:
    QList<VoiceToken> voices;
    VoiceToken voice;
    int rate = 0;
    int volume = 100;

    void Speak(const QString& text, int flags) override {
        call(QStringLiteral("Speak:%1:%2").arg(flags).arg(text));
    }
    void Pause() override { call(QStringLiteral("Pause")); }
    void Resume() override { call(QStringLiteral("Resume")); }
    void Skip(const QString& type, int count) override {
        call(QStringLiteral("Skip:%1:%2").arg(type).arg(count));
    }
    void ReleaseVoice() override { call(QStringLiteral("ReleaseVoice")); }
    QList<VoiceToken> GetVoices(const QString&, const QString&) override {
        call(QStringLiteral("GetVoices"));
        return voices;
    }
    void setVoice(const VoiceToken& token) override {
        call(QStringLiteral("Voice:") + token.id);
        voice = token;
    }
    int Rate() const override { return rate; }
    void setRate(int value) override {
        call(QStringLiteral("Rate:%1").arg(value));
        rate = std::clamp(value, -10, 10);
    }
    int Volume() const override { return volume; }
    void setVolume(int value) override {
        call(QStringLiteral("Volume:%1").arg(value));
        volume = std::clamp(value, 0, 100);
    }
    void setEventInterests(int interests) override {
        call(QStringLiteral("EventInterests:%1").arg(interests));
    }
    void setAllowAudioOutputFormatChangesOnNextSet(bool allow) override {
        call(QStringLiteral("AllowFormatChanges:%1").arg(allow));
    }
    void setAudioOutputStream(SpeechFileStream*) override { call(QStringLiteral("OutputStream")); }
    void setAudioOutputToDevice() override { call(QStringLiteral("OutputDevice")); }
    // While busy, speech never ends: a wait lasts its time and fails.
    std::atomic<bool> busy{false};
    bool WaitUntilDone(int milliseconds) override {
        if (busy) {
            QThread::msleep(std::max(milliseconds, 0));
            return false;
        }
        call(QStringLiteral("WaitUntilDone"));
        return true;
    }

    // Reports a sentence, word or end of the last text spoken as heard.
    void hear(SpeechBoundary boundary, int position = 0, int length = 0) {
        Q_EMIT Boundary(1, 0, boundary, position, length);
    }
};
