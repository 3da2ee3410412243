#include "reading_positions.h"

#include "app/app_error.h"
#include "speech/text_units.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cstdlib>

namespace {

// Long enough to tell sentences apart, short enough to survive edits elsewhere.

const QString AddressKey = QStringLiteral("address");
const QString PositionKey = QStringLiteral("position");
const QString FingerprintKey = QStringLiteral("fingerprint");

} // namespace

QString textFingerprint(const QString& text, int position) {
    // The editor gives paragraph breaks as U+2029 in a selection and as line feeds otherwise.
    QString piece = text.mid(position, FingerprintLength);
    piece.replace(QChar::ParagraphSeparator, u'\n');
    return QString::fromLatin1(
        QCryptographicHash::hash(piece.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

std::optional<int> findReadingPosition(const QString& text, const ReadingPosition& kept) {
    if (kept.position >= 0 && kept.position <= text.size() &&
        textFingerprint(text, kept.position) == kept.fingerprint)
        return kept.position;
    std::optional<int> nearest;
    for (const TextSpan& sentence : sentenceSpans(text)) {
        if (textFingerprint(text, sentence.start) != kept.fingerprint)
            continue;
        if (!nearest ||
            std::abs(sentence.start - kept.position) < std::abs(*nearest - kept.position))
            nearest = sentence.start;
    }
    return nearest;
}

ReadingPositions ReadingPositions::load(const QString& path) {
    ReadingPositions positions;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return positions;
    const QJsonArray entries = QJsonDocument::fromJson(file.readAll()).array();
    for (const QJsonValue& value : entries) {
        const QJsonObject entry = value.toObject();
        const QString address = entry.value(AddressKey).toString();
        if (address.isEmpty() || positions.find(address))
            continue;
        positions.m_entries << ReadingPosition{address, entry.value(PositionKey).toInt(),
                                               entry.value(FingerprintKey).toString()};
    }
    return positions;
}

void ReadingPositions::save(const QString& path) const {
    QJsonArray entries;
    for (const ReadingPosition& position :
         m_entries.first(std::min<qsizetype>(m_entries.size(), Kept))) {
        entries.append(QJsonObject{{AddressKey, position.address},
                                   {PositionKey, position.position},
                                   {FingerprintKey, position.fingerprint}});
    }
    QSaveFile file(path);
    const QByteArray bytes = QJsonDocument(entries).toJson();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw AppError(QStringLiteral("无法写入文件 %1").arg(path));
}

std::optional<ReadingPosition> ReadingPositions::find(const QString& address) const {
    for (const ReadingPosition& position : m_entries) {
        if (position.address == address)
            return position;
    }
    return std::nullopt;
}

void ReadingPositions::remember(const ReadingPosition& position) {
    forget(position.address);
    m_entries.prepend(position);
}

void ReadingPositions::forget(const QString& address) {
    m_entries.removeIf([&](const ReadingPosition& kept) { return kept.address == address; });
}
