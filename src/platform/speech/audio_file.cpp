#include "audio_file.h"

#include "app/app_error.h"
#include "mp3_file.h"
#include "speech_voice.h"

#include <sndfile.h>

namespace {
struct FileFormat {
    int type;
    int sndfileFormat; // 0: encoded here, not by libsndfile
    int rate;          // 0: the engine's own
};
constexpr FileFormat Formats[] = {
    {SpeechFileStream::Format16kHz16BitMono, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000},
    {SpeechFileStream::FormatMp3, 0, 0},
    {SpeechFileStream::FormatOggVorbis, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0},
    {SpeechFileStream::FormatOpus, SF_FORMAT_OGG | SF_FORMAT_OPUS,
     24000}, // Opus takes no 22.05 kHz
    {SpeechFileStream::FormatFlac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0},
};

const FileFormat* findFormat(int type) {
    for (const FileFormat& format : Formats) {
        if (format.type == type)
            return &format;
    }
    return nullptr;
}

class SndfileFile : public AudioFile {
public:
    explicit SndfileFile(SNDFILE* file) : m_file(file) {}
    ~SndfileFile() override {
        if (m_file)
            sf_close(m_file);
    }
    bool write(const qint16* samples, size_t count) override {
        return sf_write_short(m_file, samples, sf_count_t(count)) == sf_count_t(count);
    }
    bool finish() override {
        const bool closed = sf_close(m_file) == 0;
        m_file = nullptr;
        return closed;
    }

private:
    SNDFILE* m_file;
};
} // namespace

bool isAudioFileFormat(int formatType) {
    return findFormat(formatType) != nullptr;
}

int audioFileRate(int formatType, int engineRate) {
    const int rate = findFormat(formatType)->rate;
    return rate ? rate : engineRate;
}

std::unique_ptr<AudioFile> createAudioFile(const QString& path, int formatType, int rate) {
    const FileFormat& format = *findFormat(formatType);
    if (!format.sndfileFormat)
        return createMp3File(path, rate);
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = format.sndfileFormat;
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    if (!file)
        throw AppError(QStringLiteral("无法创建文件 %1").arg(path));
    return std::make_unique<SndfileFile>(file);
}
