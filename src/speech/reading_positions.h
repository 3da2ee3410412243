#pragma once

#include <QList>
#include <QString>
#include <optional>

// Where the reading of a document last stopped: characters from the start of its text, and a
// fingerprint of the text there, so that an edited document does not send the reader astray.
struct ReadingPosition {
    QString address; // a file path or web address, as opened
    int position = 0;
    QString fingerprint;
    bool operator==(const ReadingPosition&) const = default;
};

// A short fingerprint of the text that starts at position: of its first FingerprintLength
// characters.
constexpr int FingerprintLength = 32;
QString textFingerprint(const QString& text, int position);

// Where the kept position stands in text: the same place when the text there is unchanged,
// else the sentence start nearest to it with the same fingerprint; nothing when neither is.
std::optional<int> findReadingPosition(const QString& text, const ReadingPosition& kept);

// The kept positions, newest first, in a file of their own.
class ReadingPositions {
public:
    static constexpr int Kept = 200;

    // A missing or unreadable file gives no positions.
    static ReadingPositions load(const QString& path);
    // Replaces the file atomically with the newest Kept positions; AppError on failure.
    void save(const QString& path) const;

    std::optional<ReadingPosition> find(const QString& address) const;
    // Keeps the position as the newest.
    void remember(const ReadingPosition& position);
    void forget(const QString& address);
    const QList<ReadingPosition>& entries() const { return m_entries; }

private:
    QList<ReadingPosition> m_entries;
};
