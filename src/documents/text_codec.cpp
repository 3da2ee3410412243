#include "text_codec.h"

#include <QStringDecoder>
#include <uchardet/uchardet.h>

#include <memory>

namespace {

const QByteArray Utf16LeMark("\xFF\xFE", 2);
const QByteArray Utf16BeMark("\xFE\xFF", 2);
const QByteArray Utf8Mark("\xEF\xBB\xBF", 3);

// The detector sees enough of a file in its first megabyte; looking further costs time only.
constexpr qsizetype DetectionSample = 1 << 20;

// The mark is gone by now: a second U+FEFF is text and stays.
constexpr auto KeepBom = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;

QString decode(QByteArrayView body, QStringDecoder::Encoding encoding) {
    return QStringDecoder(encoding, KeepBom)(body);
}

// An odd last byte of UTF-16 is dropped.
QString decodeUtf16(QByteArrayView body, QStringDecoder::Encoding encoding) {
    return decode(body.first(body.size() & ~qsizetype(1)), encoding);
}

// The legacy encoding the detector names, or an empty name when it has none to offer.
QByteArray detectEncoding(QByteArrayView bytes) {
    std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(
        uchardet_new(), uchardet_delete);
    const QByteArrayView sample = bytes.first(std::min(bytes.size(), DetectionSample));
    if (uchardet_handle_data(detector.get(), sample.data(), size_t(sample.size())) != 0)
        return {};
    uchardet_data_end(detector.get());
    return QByteArray(uchardet_get_charset(detector.get()));
}

QString decodeWithoutMark(QByteArrayView bytes) {
    // Validation stops at the first foreign byte, so a legacy file is decoded only once.
    if (bytes.isValidUtf8())
        return decode(bytes, QStringDecoder::Utf8);
    const QByteArray encoding = detectEncoding(bytes);
    if (!encoding.isEmpty() && encoding != "ASCII" && encoding != "UTF-8") {
        QStringDecoder legacy(encoding.constData(), QStringDecoder::Flag::Stateless);
        if (legacy.isValid()) {
            QString text = legacy(bytes);
            if (!legacy.hasError())
                return text;
        }
    }
    return QString::fromLatin1(bytes);
}

} // namespace

QString decodeText(const QByteArray& bytes) {
    const QByteArrayView view(bytes);
    if (view.size() >= 2 && view.startsWith(Utf16LeMark))
        return decodeUtf16(view.sliced(2), QStringDecoder::Utf16LE);
    if (view.size() >= 2 && view.startsWith(Utf16BeMark))
        return decodeUtf16(view.sliced(2), QStringDecoder::Utf16BE);
    if (view.size() >= 3 && view.startsWith(Utf8Mark))
        return decode(view.sliced(3), QStringDecoder::Utf8);
    return decodeWithoutMark(view);
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.sliced(start, i - start);
        if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines << text.sliced(start);
    return lines;
}

QByteArray encodeTextLines(const QStringList& lines) {
    QString text;
    qsizetype length = 0;
    for (const QString& line : lines)
        length += line.size() + 2;
    text.reserve(length);
    for (const QString& line : lines)
        text.append(line).append(u"\r\n");
    QByteArray bytes = Utf16LeMark;
    bytes.append(QStringEncoder(QStringEncoder::Utf16LE)(text));
    return bytes;
}
