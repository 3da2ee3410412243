#include "audio_file.h"

#include "app/app_error.h"
#include "audio_file_formats.h"
#include "audio_file_module.h"

#include <QCoreApplication>
#include <QLibrary>

bool isAudioFileFormat(int formatType) {
    return findAudioFileFormat(formatType) != nullptr;
}

int audioFileRate(int formatType, int engineRate) {
    const int rate = findAudioFileFormat(formatType)->rate;
    return rate ? rate : engineRate;
}

const AudioFileModule& audioFileModule() {
    // Loaded once and never unloaded: files and their encoders may outlive any one caller.
    static const AudioFileModule* const module = [] {
        QLibrary library(QCoreApplication::applicationDirPath() +
                         QStringLiteral("/parlora_audio_files.so"));
        library.setLoadHints(QLibrary::PreventUnloadHint);
        using Entry = const AudioFileModule* (*)();
        const auto entry = reinterpret_cast<Entry>(library.resolve("parloraAudioFileModule"));
        return entry ? entry() : nullptr;
    }();
    if (!module)
        throw AppError(
            QStringLiteral("找不到音频文件模块 parlora_audio_files.so，请重新安装 Parlora"));
    return *module;
}

std::unique_ptr<AudioFile> createAudioFile(const QString& path, int formatType, int rate) {
    return std::unique_ptr<AudioFile>(audioFileModule().createFile(path, formatType, rate));
}
