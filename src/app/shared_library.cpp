#include "shared_library.h"

#include "app/app_error.h"

#include <dlfcn.h>

namespace {

AppError notLoaded(const QString& fileName, const QString& package, const char* reason) {
    return AppError(QStringLiteral("无法载入 %1（请安装 %2）：%3")
                        .arg(fileName, package, QString::fromLocal8Bit(reason)));
}

} // namespace

SharedLibrary::SharedLibrary(const char* fileName, const char* package)
    : m_fileName(QString::fromLatin1(fileName)), m_package(QString::fromLatin1(package)),
      m_handle(dlopen(fileName, RTLD_NOW | RTLD_LOCAL)) {
    if (!m_handle)
        throw notLoaded(m_fileName, m_package, dlerror());
}

void* SharedLibrary::symbol(const char* name) const {
    void* found = dlsym(m_handle, name);
    if (!found)
        throw notLoaded(m_fileName, m_package, name);
    return found;
}
