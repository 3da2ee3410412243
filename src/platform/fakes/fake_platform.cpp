#include "fake_platform.h"

#include "app/app_error.h"

QString FakeDataDirectory::path() {
    if (failing || !m_dir.isValid())
        throw AppError(QStringLiteral("Unable to create directory /nonexistent/parlora/"));
    return m_dir.path() + u'/';
}
