#include "export/audio_tags.h"

#include "app/app_error.h"
#include "platform/speech/audio_file_module.h"

#include <QDir>

void writeAudioTags(const QString& path, int format, const AudioTags& tags,
                    const QString& shownPath) {
    if (!audioFileModule().saveTags(path, format, tags))
        throw AppError(
            QStringLiteral("无法写入文件 %1 的标签").arg(QDir::toNativeSeparators(shownPath)));
}
