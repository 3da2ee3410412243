#pragma once

#include <QByteArray>
#include <QHash>
#include <QIODevice>
#include <QString>
#include <memory>

struct zip;
struct zip_file;
class ZipEntryDevice;

// A zip container opened for reading its parts, refusing what a hostile file could use against
// the reader: names that climb out of the container, more entries than any document holds, and
// entries that inflate far beyond what their compressed size promises. Failures are AppError
// with the reason alone; the caller names the file.
class ZipArchive {
public:
    // Limits, checked on the bytes actually inflated, never on the sizes the file declares.
    static constexpr int MaxEntries = 20'000;
    static constexpr qint64 MaxEntrySize = 256LL * 1024 * 1024;
    static constexpr qint64 MaxTotalSize = 512LL * 1024 * 1024;
    // Ordinary documents compress XML about tenfold; a bomb a thousandfold.
    static constexpr qint64 MaxRatio = 200;
    static constexpr qint64 RatioCheckedFrom = 16LL * 1024 * 1024;

    // The file is opened as openRegularFile opens it (document_file.h), refused above maxSize.
    ZipArchive(const QString& path, qint64 maxSize);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Exact name first, then the same name in any letter case (part names ignore case).
    bool contains(const QString& name) const;
    // The part as a stream, inflated as it is read; it must not outlive the archive.
    std::unique_ptr<ZipEntryDevice> open(const QString& name);
    // The whole part, for small parts only.
    QByteArray read(const QString& name);

private:
    qint64 index(const QString& name) const;

    zip* m_zip = nullptr;
    QHash<QString, qint64> m_names;       // exact names
    QHash<QString, qint64> m_foldedNames; // lower-cased names
    qint64 m_inflated = 0;                // shared by every part read
    friend class ZipEntryDevice;
};

// One part, inflated as it is read. A limit passed or damaged data ends the stream with failure()
// set, so that the reader of the stream can give the reason rather than "unexpected end".
class ZipEntryDevice : public QIODevice {
public:
    ZipEntryDevice(ZipArchive& archive, zip_file* file, qint64 compressedSize);
    ~ZipEntryDevice() override;
    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_ended && QIODevice::atEnd(); }
    const QString& failure() const { return m_failure; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 fail(const QString& reason);

    ZipArchive& m_archive;
    zip_file* m_file;
    qint64 m_compressedSize;
    qint64 m_inflated = 0;
    bool m_ended = false;
    QString m_failure;
};

// The part a relative reference from another part names ("../media/a.png" from "word/document.xml"
// is "media/a.png"); references are percent-encoded. Empty when it would leave the container.
QString resolvePartName(const QString& fromPart, const QString& reference);

// True when the name could reach outside the folder the container were unpacked into.
bool isUnsafeEntryName(const QString& name);
