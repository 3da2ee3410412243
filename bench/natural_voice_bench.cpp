// Timings of the natural voices, for bench/natural.
//   natural_voice_bench <voice folder> <text file> <runs>
// prints, per sentence of the text, what the helper alone takes to make its sound and what the
// program adds to it when the voice speaks the text into a file; and the median time from
// Speak to the first sentence being heard (the first sentence's generation included).
#include "platform/speech/neural_speech_text.h"
#include "platform/speech/neural_voice.h"
#include "platform/speech/neural_voice_folder.h"
#include "platform/speech/neural_worker.h"
#include "platform/speech/wav_file_stream.h"
#include "text_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

VoiceToken voiceNamed(const QString& name) {
    for (const VoiceToken& voice : installedNeuralVoices()) {
        if (voice.description == name)
            return voice;
    }
    return {};
}

// The helper alone: its time for each piece, the voice already open.
double helperMilliseconds(const QString& folder, const QString& text, int& pieces) {
    NeuralWorker worker;
    worker.open(folder);
    QElapsedTimer clock;
    clock.start();
    pieces = 0;
    for (const SpeechPiece& piece : speechPieces(text)) {
        worker.synthesise({folder}, text.sliced(piece.start, piece.end - piece.start),
                          [](const qint16*, size_t) { return true; });
        ++pieces;
    }
    return double(clock.nsecsElapsed()) / 1e6;
}

double voiceMilliseconds(const VoiceToken& token, const QString& text, const QString& wav) {
    NeuralVoice voice;
    voice.setVoice(token);
    WavFileStream stream(22050);
    stream.setFormatType(SpeechFileStream::Format16kHz16BitMono);
    stream.Open(wav, SpeechFileStream::CreateForWrite, false);
    voice.setAudioOutputStream(&stream);
    voice.Speak(QStringLiteral("。"), SpeechVoice::SpeakAsync); // opens the voice
    voice.WaitUntilDone(-1);
    QElapsedTimer clock;
    clock.start();
    voice.Speak(text, SpeechVoice::SpeakAsync);
    voice.WaitUntilDone(-1);
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    stream.Close();
    return elapsed;
}

double firstSoundMilliseconds(const VoiceToken& token, const QString& text, int runs) {
    NeuralVoice voice;
    voice.setVoice(token);
    std::vector<double> times;
    for (int i = 0; i <= runs; ++i) {
        voice.ReleaseVoice();
        QThread::msleep(100);
        bool heard = false;
        QElapsedTimer clock;
        const auto connection =
            QObject::connect(&voice, &SpeechVoice::Boundary, &voice,
                             [&](int, qint64, SpeechBoundary boundary, int, int) {
                                 if (boundary == SpeechBoundary::Sentence)
                                     heard = true;
                             });
        clock.start();
        voice.Speak(text, SpeechVoice::SpeakAsync);
        while (!heard)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (i > 0) // the first run also starts the helper and the sound device
            times.push_back(double(clock.nsecsElapsed()) / 1e6);
        QObject::disconnect(connection);
    }
    voice.ReleaseVoice();
    return median(times);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fputs("usage: natural_voice_bench <voice folder> <text file> <runs>\n", stderr);
        return 2;
    }
    // The voice is found where the program looks for natural voices.
    const QFileInfo folder(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir data;
    QDir(data.path()).mkpath(QStringLiteral("parlora/voices"));
    QFile::link(folder.absoluteFilePath(),
                data.filePath(QStringLiteral("parlora/voices/") + folder.fileName()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    const VoiceToken token = voiceNamed(folder.fileName());
    const QString text = readText(argv[2]);
    int pieces = 0;
    const double helper = helperMilliseconds(neuralVoiceFolder(token.id), text, pieces);
    const double spoken = voiceMilliseconds(token, text, data.filePath(QStringLiteral("out.wav")));
    const QString firstSentence = text.left(text.indexOf(u'。') + 1);
    const double seconds =
        double(QFileInfo(data.filePath(QStringLiteral("out.wav"))).size() - 44) / 2 / 22050;
    std::printf("pieces %d (%.1f s of speech), helper %.1f ms, voice %.1f ms, added per piece "
                "%.2f ms\n",
                pieces, seconds, helper, spoken, (spoken - helper) / std::max(pieces, 1));
    std::printf("first sound %.1f ms\n",
                firstSoundMilliseconds(token, firstSentence, std::atoi(argv[3])));
    return 0;
}
