#include "zip_archive.h"

#include "app/app_error.h"
#include "document_file.h"

#include "zip_library.h"
#include <QDir>
#include <QFile>
#include <QUrl>
#include <unistd.h>

namespace {

const QByteArray CompoundFileMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// An office file saved with a password is a compound file holding the encrypted package.
[[noreturn]] void refuseCompoundFile(QFile& file) {
    const QByteArray head = file.read(MaxDocumentFileSize);
    const QString marker = QStringLiteral("EncryptedPackage");
    const QByteArray utf16(reinterpret_cast<const char*>(marker.utf16()), marker.size() * 2);
    if (head.contains(utf16))
        throw AppError(QStringLiteral("文档已加密"));
    throw AppError(QStringLiteral("这是旧格式的文档（扩展名与内容不符），不是 zip 压缩包"));
}

QString zipReason(int code) {
    switch (code) {
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
    case ZIP_ER_EOF:
        return QStringLiteral("文件不完整或已损坏");
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_ENCRNOTSUPP:
        return QStringLiteral("文档已加密");
    case ZIP_ER_COMPNOTSUPP:
        return QStringLiteral("文档使用了不支持的压缩方式");
    case ZIP_ER_CRC:
        return QStringLiteral("文件已损坏（校验和不符）");
    case ZIP_ER_MEMORY:
        return QStringLiteral("内存不足");
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_OPEN:
        return QStringLiteral("读取文件时出错");
    default:
        // libzip's own reasons are English: the user is given its number.
        return QStringLiteral("无法读取压缩包（libzip 错误 %1）").arg(code);
    }
}

QString bombReason() {
    return QStringLiteral("压缩包中的条目解压后大得异常，可能是恶意构造的压缩炸弹");
}

} // namespace

bool isUnsafeEntryName(const QString& name) {
    QString path = name;
    path.replace(u'\\', u'/');
    if (path.startsWith(u'/') || (path.size() >= 2 && path[1] == u':'))
        return true;
    const QStringList parts = path.split(u'/');
    return parts.contains(QStringLiteral(".."));
}

QString resolvePartName(const QString& fromPart, const QString& reference) {
    QString target = QUrl::fromPercentEncoding(reference.section(u'#', 0, 0).toUtf8());
    if (!target.startsWith(u'/'))
        target = fromPart.section(u'/', 0, -2) + u'/' + target;
    const QString clean = QDir::cleanPath(target);
    if (clean.startsWith(QStringLiteral("..")))
        return {};
    return clean.startsWith(u'/') ? clean.sliced(1) : clean;
}

ZipArchive::ZipArchive(const QString& path, qint64 maxSize) {
    // Opened once, without waiting for a writer; libzip reads from the same descriptor.
    const int fd = openRegularFile(path, maxSize);
    {
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
            ::close(fd);
            throw AppError(QStringLiteral("读取文件时出错"));
        }
        if (file.peek(CompoundFileMagic.size()) == CompoundFileMagic) {
            try {
                refuseCompoundFile(file);
            } catch (...) {
                file.close();
                ::close(fd);
                throw;
            }
        }
    }
    ::lseek(fd, 0, SEEK_SET);
    int code = 0;
    // On success the archive owns the descriptor; on failure it is still ours.
    m_zip = zipLibrary().fdopen(fd, ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!m_zip) {
        ::close(fd);
        throw AppError(zipReason(code));
    }
    const zip_int64_t count = zipLibrary().numEntries(m_zip, 0);
    if (count > MaxEntries) {
        zipLibrary().discard(m_zip);
        throw AppError(QStringLiteral("压缩包中的条目过多（%1 个）").arg(count));
    }
    for (zip_int64_t i = 0; i < count; ++i) {
        const QString name =
            QString::fromUtf8(zipLibrary().name(m_zip, zip_uint64_t(i), ZIP_FL_ENC_GUESS));
        if (isUnsafeEntryName(name)) {
            zipLibrary().discard(m_zip);
            throw AppError(QStringLiteral("压缩包中含有不安全的条目名 \"%1\"").arg(name));
        }
        m_names.insert(name, i);
        m_foldedNames.insert(name.toLower(), i);
    }
}

ZipArchive::~ZipArchive() {
    zipLibrary().discard(m_zip);
}

qint64 ZipArchive::index(const QString& name) const {
    return m_names.value(name, m_foldedNames.value(name.toLower(), -1));
}

bool ZipArchive::contains(const QString& name) const {
    return index(name) >= 0;
}

std::unique_ptr<ZipEntryDevice> ZipArchive::open(const QString& name) {
    const qint64 i = index(name);
    if (i < 0)
        throw AppError(QStringLiteral("缺少 %1 部分").arg(name));
    zip_stat_t stat;
    zipLibrary().statInit(&stat);
    if (zipLibrary().statIndex(m_zip, zip_uint64_t(i), 0, &stat) != 0)
        throw AppError(zipReason(zipLibrary().errorCode(zipLibrary().error(m_zip))));
    zip_file_t* file = zipLibrary().openIndex(m_zip, zip_uint64_t(i), 0);
    if (!file)
        throw AppError(zipReason(zipLibrary().errorCode(zipLibrary().error(m_zip))));
    const qint64 compressed = (stat.valid & ZIP_STAT_COMP_SIZE) ? qint64(stat.comp_size) : 0;
    auto device = std::make_unique<ZipEntryDevice>(*this, file, compressed);
    device->open(QIODevice::ReadOnly);
    return device;
}

QByteArray ZipArchive::read(const QString& name) {
    const auto device = open(name);
    QByteArray bytes = device->readAll();
    if (!device->failure().isEmpty())
        throw AppError(device->failure());
    return bytes;
}

ZipEntryDevice::ZipEntryDevice(ZipArchive& archive, zip_file* file, qint64 compressedSize)
    : m_archive(archive), m_file(file), m_compressedSize(compressedSize) {}

ZipEntryDevice::~ZipEntryDevice() {
    zipLibrary().closeFile(m_file);
}

qint64 ZipEntryDevice::fail(const QString& reason) {
    if (m_failure.isEmpty())
        m_failure = reason;
    return -1;
}

qint64 ZipEntryDevice::readData(char* data, qint64 maxSize) {
    if (!m_failure.isEmpty())
        return -1;
    const zip_int64_t n = zipLibrary().read(m_file, data, zip_uint64_t(maxSize));
    if (n < 0)
        return fail(zipReason(zipLibrary().errorCode(zipLibrary().fileError(m_file))));
    m_ended = n == 0;
    m_inflated += n;
    m_archive.m_inflated += n;
    if (m_inflated > ZipArchive::MaxEntrySize || m_archive.m_inflated > ZipArchive::MaxTotalSize)
        return fail(bombReason());
    if (m_inflated > ZipArchive::RatioCheckedFrom &&
        m_inflated > ZipArchive::MaxRatio * std::max<qint64>(m_compressedSize, 1))
        return fail(bombReason());
    return n;
}
