#include "neural_library.h"

#include "app/app_error.h"
#include "app/shared_library.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr const char* FileName = "libsherpa-onnx-c-api.so";

NeuralLibrary open() {
    const QString path = QDir(neuralLibraryFolder()).filePath(QString::fromLatin1(FileName));
    if (!QFileInfo::exists(path))
        throw AppError(QStringLiteral("自然语音的运行库没有安装：找不到 %1").arg(path));
    const SharedLibrary library(QFile::encodeName(path).constData(), "sherpa-onnx");
    NeuralLibrary calls{};
    library.resolve("SherpaOnnxGetVersionStr", calls.version);
    library.resolve("SherpaOnnxCreateOfflineTts", calls.create);
    library.resolve("SherpaOnnxDestroyOfflineTts", calls.destroy);
    library.resolve("SherpaOnnxOfflineTtsSampleRate", calls.sampleRate);
    library.resolve("SherpaOnnxOfflineTtsNumSpeakers", calls.speakerCount);
    library.resolve("SherpaOnnxOfflineTtsGenerateWithCallbackWithArg", calls.generate);
    library.resolve("SherpaOnnxDestroyOfflineTtsGeneratedAudio", calls.destroyAudio);
    // The structures in neural_runtime_api.h are those of one version: another may read them
    // differently.
    const QString version = QString::fromLatin1(calls.version());
    if (version != QLatin1String(NeuralLibrary::PinnedVersion))
        throw AppError(QStringLiteral("自然语音的运行库版本是 %1，本程序需要 %2：%3")
                           .arg(version, QLatin1String(NeuralLibrary::PinnedVersion), path));
    return calls;
}

} // namespace

QString neuralLibraryFolder() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + QStringLiteral("/neural");
}

const NeuralLibrary& neuralLibrary() {
    static const NeuralLibrary calls = open();
    return calls;
}
