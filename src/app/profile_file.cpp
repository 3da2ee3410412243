#include "profile_file.h"

#include "app_error.h"
#include "atomic_file.h"
#include "profile_number.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

const QByteArray Utf16LeMark("\xFF\xFE", 2);
const QByteArray Utf8Mark("\xEF\xBB\xBF", 3);

// The section name of a header line, or a null string for any other line.
QString headerName(const QString& line) {
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(u'['))
        return {};
    const qsizetype close = trimmed.indexOf(u']');
    return close < 0 ? QString() : trimmed.mid(1, close - 1).trimmed();
}

QString decode(const QByteArray& bytes, bool& utf16) {
    utf16 = bytes.startsWith(Utf16LeMark);
    if (utf16)
        return QStringDecoder(QStringDecoder::Utf16LE)(bytes.mid(2));
    const QByteArray body = bytes.startsWith(Utf8Mark) ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(body);
    return utf8.hasError() ? QString::fromLatin1(body) : text;
}

} // namespace

ProfileFile ProfileFile::load(const QString& path) {
    // A file that cannot be read (a folder of that name, no permission) is as good as missing:
    // the defaults hold, and the write at exit says what is wrong.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    bool utf16 = false;
    ProfileFile profile = fromText(decode(file.readAll(), utf16));
    profile.m_utf16 = utf16;
    return profile;
}

ProfileFile ProfileFile::fromText(const QString& text) {
    ProfileFile profile;
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    profile.m_lines = normalized.split(u'\n');
    if (!profile.m_lines.isEmpty() && profile.m_lines.last().isEmpty())
        profile.m_lines.removeLast();
    return profile;
}

qsizetype ProfileFile::sectionHeader(const QString& section) const {
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (headerName(m_lines[i]).compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype ProfileFile::sectionEnd(qsizetype header) const {
    qsizetype i = header + 1;
    while (i < m_lines.size() && headerName(m_lines[i]).isNull())
        ++i;
    return i;
}

ProfileFile::KeyLine ProfileFile::findKey(const QString& section, const QString& key) const {
    const qsizetype header = sectionHeader(section);
    if (header < 0)
        return {};
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const QString& line = m_lines[i];
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        if (line.left(equals).trimmed().compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            return {i, line.mid(equals + 1).trimmed()};
    }
    return {};
}

QString ProfileFile::readString(const QString& section, const QString& key,
                                const QString& fallback) const {
    const KeyLine found = findKey(section, key);
    return found.index < 0 ? fallback : found.value.left(MaxValueLength);
}

qint32 ProfileFile::readInteger(const QString& section, const QString& key, qint32 fallback) const {
    const KeyLine found = findKey(section, key);
    if (found.index < 0)
        return fallback;
    return parseProfileInteger(found.value.left(MaxValueLength)).value_or(fallback);
}

bool ProfileFile::readBool(const QString& section, const QString& key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

void ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
    const QString line = key + u'=' + value;
    const KeyLine found = findKey(section, key);
    if (found.index >= 0) {
        m_lines[found.index] = line;
        return;
    }
    const qsizetype header = sectionHeader(section);
    if (header < 0) {
        m_lines << u'[' + section + u']' << line;
        return;
    }
    // After the section's last key, before any blank lines that separate it from the next.
    qsizetype insertAt = sectionEnd(header);
    while (insertAt > header + 1 && m_lines[insertAt - 1].trimmed().isEmpty())
        --insertAt;
    m_lines.insert(insertAt, line);
}

void ProfileFile::writeInteger(const QString& section, const QString& key, qint32 value) {
    writeString(section, key, QString::number(value));
}

void ProfileFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QString ProfileFile::toText() const {
    QString text;
    for (const QString& line : m_lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

void ProfileFile::save(const QString& path) const {
    const AppError failure(QStringLiteral("Unable to write to %1").arg(path));
    QFile existing(path);
    if (existing.exists() && !(existing.permissions() & QFileDevice::WriteOwner))
        throw failure;

    QByteArray bytes;
    if (m_utf16)
        bytes = Utf16LeMark + QStringEncoder(QStringEncoder::Utf16LE)(toText());
    else
        bytes = toText().toUtf8();

    if (!writeFileAtomically(path, bytes))
        throw failure;
}
