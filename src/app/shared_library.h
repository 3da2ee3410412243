#pragma once

#include <QString>

// A library the program opens itself when it is first needed, rather than having the loader
// open it before main: each library, and the ones it links, costs every start-up its loading
// time and memory, also when the user never needs what it does. Kept open until the end.
class SharedLibrary {
public:
    // AppError naming the Debian package when the library cannot be opened.
    SharedLibrary(const char* fileName, const char* package);

    // Sets function to the library's function of that name; AppError when it has none.
    template <typename Function> void resolve(const char* name, Function& function) const {
        function = reinterpret_cast<Function>(symbol(name));
    }

private:
    void* symbol(const char* name) const;

    QString m_fileName;
    QString m_package;
    void* m_handle;
};
