#pragma once

#include "speech/pronunciation.h"

#include <QDateTime>
#include <QStringList>

// pronunciation.txt as the user keeps it: each rule with the lines above it that are no rules
// (comments, blank lines), so that a save from the dictionary dialog keeps them.
struct PronunciationEntry {
    PronunciationRule rule;
    QStringList notes;
    bool operator==(const PronunciationEntry&) const = default;
};

struct PronunciationList {
    QList<PronunciationEntry> entries;
    QStringList trailing; // the lines after the last rule
    QList<PronunciationRule> rules() const;
};

// The text of the file (its byte-order mark already gone): one rule a line, "written=spoken": the
// first "=" not written "\=" divides them, and both sides lose their blanks at either end. A line
// whose first character other than a blank is "#" is a comment.
PronunciationList parsePronunciation(const QString& text);
// The file's text for the list, which reads back as the same list.
QString pronunciationText(const PronunciationList& list);

// The dictionary file, read again whenever it changed since it was last read.
class PronunciationFile {
public:
    static const QString FileName;

    explicit PronunciationFile(QString path);
    const QString& path() const { return m_path; }
    // The file's rules as they are now; none when the file is missing or cannot be read.
    SharedPronunciation dictionary();
    // UTF-8, or a legacy encoding that an editor of the user's saved it in.
    PronunciationList read() const;
    // Replaces the file in one step; AppError naming it when it cannot be written.
    void save(const PronunciationList& list);

private:
    QString m_path;
    SharedPronunciation m_dictionary;
    // What the file was like when m_dictionary was read.
    bool m_existed = false;
    qint64 m_size = -1;
    QDateTime m_modified;
};
