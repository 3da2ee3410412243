// libFuzzer target: any bytes read as RTF without crashing, hanging or growing without bound,
// and what was read writes and reads back to the same text.
#include "documents/rtf_codec.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv); // fonts and images need one
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument document;
    if (!readRtf(bytes, document))
        return 0;
    QTextDocument reread;
    if (!readRtf(writeRtf(document), reread) || reread.toRawText() != document.toRawText())
        std::abort();
    return 0;
}
