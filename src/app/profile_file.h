#pragma once

#include <QString>
#include <QStringList>

// An INI-style profile: "[section]" headers and "key=value" lines. Section and key names match
// without regard to letter case; values are kept exactly. Lines the profile does not understand
// (comments, other sections) survive a load and save unchanged.
class ProfileFile {
public:
    static constexpr qsizetype MaxValueLength = 2047;

    // A missing file gives an empty profile; an unreadable one raises AppError.
    static ProfileFile load(const QString& path);
    static ProfileFile fromText(const QString& text);

    QString readString(const QString& section, const QString& key, const QString& fallback) const;
    qint32 readInteger(const QString& section, const QString& key, qint32 fallback) const;
    bool readBool(const QString& section, const QString& key, bool fallback) const;

    // Replaces the key's line in place (with the key spelt as given), or appends it.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, qint32 value);
    void writeBool(const QString& section, const QString& key, bool value);

    QString toText() const;

    // Replaces the file atomically: a crash or a full disk leaves the previous file intact.
    // A file the user marked read-only is left alone. Failures raise
    // AppError("Unable to write to <path>").
    void save(const QString& path) const;

private:
    struct KeyLine {
        qsizetype index = -1;
        QString value;
    };
    qsizetype sectionHeader(const QString& section) const;
    qsizetype sectionEnd(qsizetype header) const;
    KeyLine findKey(const QString& section, const QString& key) const;

    QStringList m_lines;
    bool m_utf16 = false; // a file that came as UTF-16 is written back as UTF-16
};
