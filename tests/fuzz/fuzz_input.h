#pragma once

// Helpers shared by the fuzz targets.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

// The fuzzer's bytes as a file the readers open by path, kept in memory: no disk per run.
class InputFile {
public:
    InputFile(const uint8_t* data, size_t size) : m_fd(memfd_create("fuzz-input", MFD_CLOEXEC)) {
        if (m_fd < 0 || write(m_fd, data, size) != ssize_t(size))
            std::abort();
    }
    ~InputFile() { close(m_fd); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    QString path() const { return QStringLiteral("/proc/self/fd/%1").arg(m_fd); }

private:
    int m_fd;
};

// Splits size bytes into the pieces a reader's reads might return; the sizes follow the first
// bytes of the input, so the fuzzer explores them too.
template <typename Feed> void feedInPieces(const uint8_t* data, size_t size, Feed feed) {
    const uint8_t pattern[4] = {size > 0 ? data[0] : uint8_t(0), size > 1 ? data[1] : uint8_t(0),
                                size > 2 ? data[2] : uint8_t(0), size > 3 ? data[3] : uint8_t(0)};
    for (size_t at = 0, turn = 0; at < size; ++turn) {
        const size_t piece = std::min<size_t>(size - at, size_t(pattern[turn % 4] % 9) + 1);
        feed(reinterpret_cast<const char*>(data + at), piece);
        at += piece;
    }
}
