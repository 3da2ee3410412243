#include "pronunciation_file.h"

#include "app/app_error.h"
#include "app/atomic_file.h"
#include "documents/text_codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

namespace {

QString unescaped(const QString& side) {
    return QString(side).replace(QStringLiteral("\\="), QStringLiteral("=")).trimmed();
}

QString escaped(const QString& side) {
    return QString(side).replace(u'=', QStringLiteral("\\="));
}

// A written side that starts with "#" is written "\#", or the line would read as a comment.
const QString EscapedHash = QStringLiteral("\\#");

QString unescapedWritten(const QString& side) {
    const QString written = unescaped(side);
    return written.startsWith(EscapedHash) ? written.mid(1) : written;
}

QString escapedWritten(const QString& side) {
    return side.startsWith(u'#') ? u'\\' + escaped(side) : escaped(side);
}

std::optional<PronunciationRule> ruleOf(const QString& line) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
        return std::nullopt;
    for (qsizetype at = 0; at < line.size(); ++at) {
        if (line.at(at) == u'\\' && at + 1 < line.size() && line.at(at + 1) == u'=')
            ++at;
        else if (line.at(at) == u'=')
            return PronunciationRule{unescapedWritten(line.left(at)), unescaped(line.mid(at + 1))};
    }
    return std::nullopt;
}

} // namespace

const QString PronunciationFile::FileName = QStringLiteral("pronunciation.txt");

QList<PronunciationRule> PronunciationList::rules() const {
    QList<PronunciationRule> rules;
    for (const PronunciationEntry& entry : entries)
        rules << entry.rule;
    return rules;
}

PronunciationList parsePronunciation(const QString& text) {
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(u'\n');
    if (text.endsWith(u'\n'))
        lines.removeLast();
    PronunciationList list;
    QStringList notes;
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (const std::optional<PronunciationRule> rule = ruleOf(line)) {
            list.entries << PronunciationEntry{*rule, notes};
            notes.clear();
        } else {
            notes << line;
        }
    }
    list.trailing = notes;
    return list;
}

QString pronunciationText(const PronunciationList& list) {
    QStringList lines;
    for (const PronunciationEntry& entry : list.entries) {
        lines << entry.notes;
        // A blank keeps a backslash at the end of the written side from escaping the divider.
        const QString divider =
            entry.rule.written.endsWith(u'\\') ? QStringLiteral(" =") : QStringLiteral("=");
        lines << escapedWritten(entry.rule.written) + divider + escaped(entry.rule.spoken);
    }
    lines << list.trailing;
    return lines.isEmpty() ? QString() : lines.join(u'\n') + u'\n';
}

PronunciationFile::PronunciationFile(QString path) : m_path(std::move(path)) {}

SharedPronunciation PronunciationFile::dictionary() {
    const QFileInfo file(m_path);
    const bool exists = file.exists();
    if (!m_dictionary || exists != m_existed || file.size() != m_size ||
        file.lastModified() != m_modified) {
        m_existed = exists;
        m_size = file.size();
        m_modified = file.lastModified();
        m_dictionary = std::make_shared<const PronunciationDictionary>(read().rules());
    }
    return m_dictionary;
}

PronunciationList PronunciationFile::read() const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parsePronunciation(decodeText(file.readAll()));
}

void PronunciationFile::save(const PronunciationList& list) {
    QString error;
    if (!writeFileAtomically(m_path, pronunciationText(list).toUtf8(), &error))
        throw AppError(
            QStringLiteral("无法保存发音词典 %1：%2").arg(QDir::toNativeSeparators(m_path), error));
    m_dictionary.reset(); // read anew, whatever the file's time says
}
