#include "app/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// So distinct that no file of the user's is ever taken for a part of ours.
const QString PartPrefix = QStringLiteral(".parlora-");
const QString PartSuffix = QStringLiteral(".part");
constexpr int PartDigits = 16;

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

QString procPath(int fd) {
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

QString hiddenName(const QString& folder) {
    const QString digits = QStringLiteral("%1").arg(QRandomGenerator::global()->generate64(),
                                                    PartDigits, 16, QChar(u'0'));
    return QDir(folder).filePath(PartPrefix + digits + PartSuffix);
}

} // namespace

AtomicFile::AtomicFile(QString path, Naming naming) : m_path(std::move(path)), m_naming(naming) {}

AtomicFile::~AtomicFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_hiddenPath.isEmpty())
        ::unlink(encoded(m_hiddenPath).constData());
}

bool AtomicFile::fail() {
    m_error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool AtomicFile::open() {
    const QString folder = QFileInfo(m_path).absolutePath();
    // Held locked while written, so that a clean-up can tell an abandoned part: also the
    // unnamed file, which has a name for an instant while it is put in place.
    if (m_naming == Naming::UnnamedFirst) {
        m_fd = ::open(encoded(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            ::flock(m_fd, LOCK_EX);
            return true;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return fail();
    }
    for (;;) {
        m_hiddenPath = hiddenName(folder);
        m_fd = ::open(encoded(m_hiddenPath).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC,
                      0666);
        if (m_fd < 0) {
            m_hiddenPath.clear();
            return fail();
        }
        ::flock(m_fd, LOCK_EX);
        // Another program's clean-up may have removed it before it was locked.
        if (struct stat part{}; ::fstat(m_fd, &part) != 0 || part.st_nlink > 0)
            return true;
        ::close(m_fd);
    }
}

QString AtomicFile::writingPath() const {
    return m_hiddenPath.isEmpty() ? procPath(m_fd) : m_hiddenPath;
}

bool AtomicFile::write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written =
            ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return fail();
        done += written;
    }
    return true;
}

bool AtomicFile::commit() {
    if (m_fd < 0)
        return false;
    if (struct stat target{}; ::stat(encoded(m_path).constData(), &target) == 0)
        ::fchmod(m_fd, target.st_mode & 07777);
    if (::fsync(m_fd) != 0)
        return fail();
    if (m_hiddenPath.isEmpty()) {
        // An unnamed file is given a hidden name for the instant before the rename.
        m_hiddenPath = hiddenName(QFileInfo(m_path).absolutePath());
        if (::linkat(AT_FDCWD, encoded(procPath(m_fd)).constData(), AT_FDCWD,
                     encoded(m_hiddenPath).constData(), AT_SYMLINK_FOLLOW) != 0) {
            m_hiddenPath.clear();
            return fail();
        }
    }
    if (::rename(encoded(m_hiddenPath).constData(), encoded(m_path).constData()) != 0)
        return fail();
    m_hiddenPath.clear();
    ::close(m_fd);
    m_fd = -1;
    return true;
}

// Only regular files of exactly our names; a link or a pipe in their place is left alone and
// never waited for.
void removeAbandonedParts(const QString& folder) {
    static const QRegularExpression partName(QStringLiteral("^%1[0-9a-f]{%2}%3$")
                                                 .arg(QRegularExpression::escape(PartPrefix))
                                                 .arg(PartDigits)
                                                 .arg(QRegularExpression::escape(PartSuffix)));
    const QStringList names = QDir(folder).entryList(
        {PartPrefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (!partName.match(name).hasMatch())
            continue;
        const QByteArray path = encoded(QDir(folder).filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat part {};
        if (::fstat(fd, &part) == 0 && S_ISREG(part.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}

// A program killed between the link and the rename of its unnamed file leaves a part; the next
// write to the folder takes it away.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    removeAbandonedParts(QFileInfo(path).absolutePath());
    AtomicFile file(path);
    const bool written = file.open() && file.write(bytes) && file.commit();
    if (!written && error)
        *error = file.errorString();
    return written;
}
