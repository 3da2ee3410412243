#include "app/language_file.h"

#include <QFileInfo>

namespace {
const QString Section = QStringLiteral("Language");
}

LanguageFile LanguageFile::load(const QString& path) {
    LanguageFile file;
    if (QFileInfo(path).size() <= MaxFileSize)
        file.m_profile = ProfileFile::load(path);
    return file;
}

QString LanguageFile::text(const QString& name, const QString& property) const {
    return m_profile.readString(Section, name + u'.' + property, QString());
}
