#pragma once

#include <QByteArray>
#include <QString>

// A file that appears under its name only once it is complete, replacing the earlier one in a
// single step. It is written as an unnamed file in the target's folder (O_TMPFILE), so that even
// a killed program leaves nothing behind; on a file system without unnamed files, as a hidden
// file beside the target, which an abandoned write removes. A replaced file keeps its
// permissions; a new one gets those the user's umask gives it.
class AtomicFile {
public:
    // NamedOnly writes as on a file system without unnamed files.
    enum class Naming { UnnamedFirst, NamedOnly };
    explicit AtomicFile(QString path, Naming naming = Naming::UnnamedFirst);
    ~AtomicFile(); // a file never committed is dropped
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const QString& path() const { return m_path; }
    // False, with errorString(), when the folder takes no file.
    bool open();
    // A name that opens the file being written, for libraries that write by name.
    QString writingPath() const;
    bool write(const QByteArray& bytes);
    // Puts the written file in place of the target; false, with errorString(), on failure.
    bool commit();
    QString errorString() const { return m_error; }

private:
    bool fail();

    QString m_path;
    Naming m_naming;
    QString m_hiddenPath; // the named fallback's file; empty for an unnamed one
    int m_fd = -1;
    QString m_error;
};

// The whole file written atomically, after the parts of writes that never completed in its
// folder are removed; false, with the reason in error, on failure.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The hidden files of writes that never completed (a killed program on a file system without
// unnamed files) in the folder; removed when no program writes them any more.
void removeAbandonedParts(const QString& folder);
