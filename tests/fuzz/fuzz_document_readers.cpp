// libFuzzer target: any bytes read as a .docx, .odt, .epub or .fb2 (chosen by the first byte)
// without crashing, hanging or growing without bound; a refusal is an AppError and leaves the
// document empty.
#include "app/app_error.h"
#include "documents/formatted_document.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextDocument>
#include <cstdint>
#include <cstdlib>

namespace {
QTemporaryDir* work = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv); // fonts need one
    static QTemporaryDir dir;
    work = &dir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static const char* const extensions[] = {"docx", "odt", "epub", "fb2"};
    const QString path =
        work->filePath(QStringLiteral("input.") + QLatin1StringView(extensions[data[0] % 4]));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char*>(data + 1), qint64(size - 1));
    file.close();
    QTextDocument document;
    try {
        loadFormattedDocument(path, document);
    } catch (const AppError& error) {
        if (!document.isEmpty() || !error.message().contains(path))
            std::abort();
    }
    return 0;
}
