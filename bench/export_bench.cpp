// Export timings, for bench/export.
//   export_bench text <voice> <text file> <audio file>   the text into one file, of the type its
//                                                        suffix names (.wav: 16 kHz WAV)
//   export_bench lines <voice> <text file> <folder>      each line into a WAV file of its own
// <voice> is the engine's voice identifier (gmw/en, sit/cmn).
#include "export/audio_export.h"
#include "export/export_names.h"
#include "platform/speech/espeak_voice.h"
#include "platform/speech/wav_file_stream.h"
#include "text_file.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

namespace {

bool always(qint64, qint64) {
    return true;
}

int formatOf(const QString& path) {
    for (const ExportFileType& type : exportFileTypes()) {
        if (QFileInfo(path).suffix() == type.suffix)
            return type.format;
    }
    return SpeechFileStream::Format16kHz16BitMono;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fputs("usage: export_bench text|lines <voice> <text file> <audio file|folder>\n",
                   stderr);
        return 2;
    }
    EspeakVoice voice;
    const QString voiceId = QString::fromLatin1(argv[2]);
    for (const VoiceToken& token : voice.GetVoices({}, {})) {
        if (token.id == voiceId)
            voice.setVoice(token);
    }
    const QString text = readText(argv[3]);
    WavFileStream stream(EspeakVoice::SampleRate);
    // As the window does: helpers when this machine has more than one core.
    const int helpers = SpeechWorkers::defaultCount();
    AudioExport exporter(
        voice, stream,
        helpers > 0 ? std::make_unique<SpeechWorkers>(SpeechWorkers::defaultProgram(), helpers)
                    : nullptr);
    exporter.setHelperVoice({voiceId, 0, 100});
    const QString target = QString::fromLocal8Bit(argv[4]);
    if (qstrcmp(argv[1], "lines") == 0)
        return exporter.exportLines(target, exportLines(text), always) ? 0 : 1;
    return exporter.exportText(target, text, formatOf(target), always) ? 0 : 1;
}
