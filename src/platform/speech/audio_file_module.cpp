// The audio file module: sound files encoded through libsndfile and the MP3 encoder, tagged
// through TagLib.
#include "audio_file_module.h"

#include "app/app_error.h"
#include "audio_file_formats.h"
#include "mp3_file.h"

namespace {

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

AudioFile* createCodedFile(const QString& path, int formatType, int rate) {
    const AudioFileFormat& format = *findAudioFileFormat(formatType);
    if (!format.sndfileFormat)
        return createMp3File(path, rate).release();
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = format.sndfileFormat;
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    if (!file)
        throw AppError(QStringLiteral("无法创建文件 %1").arg(path));
    return new SndfileFile(file);
}

extern "C" Q_DECL_EXPORT const AudioFileModule* parloraAudioFileModule() {
    static const AudioFileModule module{createCodedFile, saveAudioTags};
    return &module;
}
