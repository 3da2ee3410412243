#pragma once

#include <zip.h>

// The calls of libzip that the document readers make, opened with the first document that
// needs them: the library and the compression and cryptography libraries it links are a
// large part of what the loader would otherwise map before main.
struct ZipLibrary {
    decltype(&zip_fdopen) fdopen;
    decltype(&zip_get_num_entries) numEntries;
    decltype(&zip_get_name) name;
    decltype(&zip_discard) discard;
    decltype(&zip_stat_init) statInit;
    decltype(&zip_stat_index) statIndex;
    decltype(&zip_fopen_index) openIndex;
    decltype(&zip_fclose) closeFile;
    decltype(&zip_fread) read;
    decltype(&zip_get_error) error;
    decltype(&zip_file_get_error) fileError;
    decltype(&zip_error_code_zip) errorCode;
    decltype(&zip_error_init_with_code) errorInit;
    decltype(&zip_error_strerror) errorText;
    decltype(&zip_error_fini) errorFini;
};

// Opens the library the first time; AppError when it or one of its calls cannot be found.
const ZipLibrary& zipLibrary();
