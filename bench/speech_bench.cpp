// Speech timings of the engine, for bench/speech.
//   speech_bench latency <text file> <runs> [voice]
//                                             median ms from Speak to the first audio handed
//                                             to the sound device (voice: gmw/en by default)
//   speech_bench export <text file> <wav>     writes the text as a 16 kHz WAV file
#include "platform/speech/espeak_voice.h"
#include "platform/speech/wav_file_stream.h"
#include "text_file.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {

VoiceToken voiceOf(EspeakVoice& voice, const QString& id = QStringLiteral("gmw/en")) {
    for (const VoiceToken& token : voice.GetVoices({}, {})) {
        if (token.id == id)
            return token;
    }
    return {};
}

int latency(const QString& text, int runs, const QString& voiceId) {
    EspeakVoice voice;
    voice.setVoice(voiceOf(voice, voiceId));
    QThread::msleep(2500); // let the sound server settle on the new stream
    std::atomic<qint64> startedAt{-1};
    QElapsedTimer clock;
    QObject::connect(
        &voice, &EspeakVoice::StartStream, &voice, [&](int) { startedAt = clock.nsecsElapsed(); },
        Qt::DirectConnection);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        voice.ReleaseVoice();
        QThread::msleep(100);
        startedAt = -1;
        clock.start();
        voice.Speak(text, SpeechVoice::SpeakAsync);
        while (startedAt < 0)
            QThread::usleep(100);
        times.push_back(double(startedAt) / 1e6);
    }
    voice.ReleaseVoice();
    std::sort(times.begin(), times.end());
    std::printf("%.2f\n", times[times.size() / 2]);
    return 0;
}

int exportWav(const QString& text, const char* path) {
    EspeakVoice voice;
    voice.setVoice(voiceOf(voice));
    WavFileStream stream(EspeakVoice::SampleRate);
    stream.setFormatType(SpeechFileStream::Format16kHz16BitMono);
    stream.Open(QString::fromLocal8Bit(path), SpeechFileStream::CreateForWrite, false);
    voice.setAudioOutputStream(&stream);
    voice.Speak(text, SpeechVoice::SpeakAsync);
    voice.WaitUntilDone(-1);
    stream.Close();
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if ((argc == 4 || argc == 5) && qstrcmp(argv[1], "latency") == 0)
        return latency(readText(argv[2]), std::atoi(argv[3]),
                       argc == 5 ? QString::fromLatin1(argv[4]) : QStringLiteral("gmw/en"));
    if (argc == 4 && qstrcmp(argv[1], "export") == 0)
        return exportWav(readText(argv[2]), argv[3]);
    std::fputs("usage: speech_bench latency <text> <runs> [voice] | export <text> <wav>\n", stderr);
    return 2;
}
