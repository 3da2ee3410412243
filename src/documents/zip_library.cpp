#include "zip_library.h"

#include "app/shared_library.h"

namespace {

ZipLibrary open() {
    const SharedLibrary library("libzip.so.4", "libzip4");
    ZipLibrary calls{};
    library.resolve("zip_fdopen", calls.fdopen);
    library.resolve("zip_get_num_entries", calls.numEntries);
    library.resolve("zip_get_name", calls.name);
    library.resolve("zip_discard", calls.discard);
    library.resolve("zip_stat_init", calls.statInit);
    library.resolve("zip_stat_index", calls.statIndex);
    library.resolve("zip_fopen_index", calls.openIndex);
    library.resolve("zip_fclose", calls.closeFile);
    library.resolve("zip_fread", calls.read);
    library.resolve("zip_get_error", calls.error);
    library.resolve("zip_file_get_error", calls.fileError);
    library.resolve("zip_error_code_zip", calls.errorCode);
    library.resolve("zip_error_init_with_code", calls.errorInit);
    library.resolve("zip_error_strerror", calls.errorText);
    library.resolve("zip_error_fini", calls.errorFini);
    return calls;
}

} // namespace

const ZipLibrary& zipLibrary() {
    static const ZipLibrary calls = open();
    return calls;
}
