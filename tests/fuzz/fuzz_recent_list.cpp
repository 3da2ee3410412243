// libFuzzer target: any bytes read as the recent list; the entries read write and read back
// unchanged.
#include "documents/recent_list_file.h"
#include "fuzz_input.h"

#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder(QStringLiteral("/dev/shm/fuzz-recent-XXXXXX"));
    const InputFile input(data, size);
    const QStringList entries = readRecentListFile(input.path());
    const QString written = folder.filePath(QStringLiteral("files.ini"));
    writeRecentListFile(written, entries);
    if (readRecentListFile(written) != entries)
        std::abort();
    return 0;
}
