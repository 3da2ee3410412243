#pragma once

#include "app/profile_file.h"

#include <QString>

// The texts of an interface language file: its section "Language", whose keys name a window or
// one of its components and a text property ("Fmain.Caption", "Fmain.NFile.Caption").
class LanguageFile {
public:
    // Real language files are a few tens of kilobytes; every text is looked up line by line, so
    // a larger file would hold the window up and gives no texts.
    static constexpr qint64 MaxFileSize = 128 * 1024;

    static LanguageFile load(const QString& path);

    // The text of "<name>.<property>", or an empty string.
    QString text(const QString& name, const QString& property) const;

private:
    ProfileFile m_profile;
};
