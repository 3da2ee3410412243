#include "neural_voice_folder.h"

#include <QBuffer>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString IdPrefix = QStringLiteral("neural:");

// The protocol buffer wire format, as far as a model's metadata needs it.
class WireReader {
public:
    explicit WireReader(QIODevice& in) : m_in(in) {}

    bool varint(quint64& value) {
        value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            char byte = 0;
            if (!m_in.getChar(&byte))
                return false;
            value |= quint64(uchar(byte) & 0x7f) << shift;
            if (!(uchar(byte) & 0x80))
                return true;
        }
        return false;
    }
    bool tag(quint64& field, int& wireType) {
        quint64 key = 0;
        if (!varint(key))
            return false;
        field = key >> 3;
        wireType = int(key & 7);
        return true;
    }
    // The bytes of a length-delimited field, when no longer than limit and all there.
    bool bytes(quint64 length, quint64 limit, QByteArray& out) {
        if (length > limit || length > quint64(m_in.size() - m_in.pos()))
            return false;
        out = m_in.read(qint64(length));
        return out.size() == qint64(length);
    }
    // Passes over a field's value; false on a wire type that cannot be skipped or past the end.
    bool skip(int wireType) {
        quint64 length = 0;
        switch (wireType) {
        case 0:
            return varint(length);
        case 1:
            length = 8;
            break;
        case 2:
            if (!varint(length))
                return false;
            break;
        case 5:
            length = 4;
            break;
        default:
            return false;
        }
        if (length > quint64(m_in.size() - m_in.pos()))
            return false;
        return m_in.seek(m_in.pos() + qint64(length));
    }

private:
    QIODevice& m_in;
};

constexpr quint64 MetadataField = 14; // ModelProto.metadata_props
constexpr quint64 EntryLimit = 1 << 16;

// A StringStringEntryProto: key 1, value 2.
void readEntry(QByteArray bytes, QHash<QString, QString>& metadata) {
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    WireReader reader(in);
    QString key;
    QString value;
    quint64 field = 0;
    int wireType = 0;
    while (reader.tag(field, wireType)) {
        quint64 length = 0;
        QByteArray text;
        if ((field == 1 || field == 2) && wireType == 2) {
            if (!reader.varint(length) || !reader.bytes(length, EntryLimit, text))
                return;
            (field == 1 ? key : value) = QString::fromUtf8(text);
        } else if (!reader.skip(wireType)) {
            return;
        }
    }
    if (!key.isEmpty())
        metadata.insert(key, value);
}

// A language's English name ("Chinese") or code ("zh") as a tag; empty when unknown.
QString languageCode(const QString& name) {
    if (name.isEmpty())
        return {};
    const QLocale::Language byCode = QLocale::codeToLanguage(name);
    if (byCode != QLocale::AnyLanguage)
        return QLocale::languageToCode(byCode);
    for (int l = QLocale::AnyLanguage + 1; l <= QLocale::LastLanguage; ++l) {
        const auto language = QLocale::Language(l);
        if (QLocale::languageToString(language).compare(name, Qt::CaseInsensitive) == 0)
            return QLocale::languageToCode(language);
    }
    return {};
}

// A Matcha voice's vocoder, which the releases name after its kind.
bool isVocoder(const QString& fileName) {
    return fileName.startsWith(QStringLiteral("vocos"), Qt::CaseInsensitive) ||
           fileName.startsWith(QStringLiteral("hifigan"), Qt::CaseInsensitive);
}

// The metadata of a folder's model; empty unless the folder has exactly one.
QHash<QString, QString> folderMetadata(const QString& folder) {
    const QStringList models = neuralModelFiles(QDir(folder));
    return models.size() == 1 ? onnxMetadata(models.first()) : QHash<QString, QString>();
}

int speakerCount(const QHash<QString, QString>& metadata) {
    return std::clamp(metadata.value(QStringLiteral("n_speakers")).toInt(), 1, 1000);
}

QString language(const QHash<QString, QString>& metadata) {
    // Voices that read through espeak-ng's phonemes name its voice ("en-us").
    static const QRegularExpression tag(QStringLiteral("^[a-z]{2,3}(-[a-z0-9]{2,8})*$"));
    const QString voice = metadata.value(QStringLiteral("voice")).trimmed().toLower();
    if (tag.match(voice).hasMatch())
        return voice;
    // Otherwise a name, the first of several ("Chinese + English").
    static const QRegularExpression between(QStringLiteral("[+,/&]"));
    const QString named =
        metadata.value(QStringLiteral("language")).section(between, 0, 0).trimmed();
    if (const QString code = languageCode(named); !code.isEmpty())
        return code;
    return QStringLiteral("zh");
}

} // namespace

QString neuralVoicesFolder() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    // Only an absolute XDG_DATA_HOME counts, as for every other program.
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/parlora/voices");
}

QStringList installedNeuralVoiceFolders() {
    return QDir(neuralVoicesFolder())
        .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

QList<VoiceToken> installedNeuralVoices() {
    const QDir voices(neuralVoicesFolder());
    QList<VoiceToken> tokens;
    for (const QString& name : installedNeuralVoiceFolders()) {
        const QHash<QString, QString> metadata = folderMetadata(voices.filePath(name));
        const QString spoken = language(metadata);
        const int speakers = speakerCount(metadata);
        if (speakers == 1) {
            tokens << VoiceToken{IdPrefix + name, name, spoken};
            continue;
        }
        for (int speaker = 0; speaker < speakers; ++speaker) {
            const QString number = u'/' + QString::number(speaker);
            tokens << VoiceToken{IdPrefix + name + (speaker ? number : QString()), name + number,
                                 spoken};
        }
    }
    return tokens;
}

QString neuralVoiceFolder(const QString& voiceId) {
    if (!voiceId.startsWith(IdPrefix) || voiceId.size() == IdPrefix.size())
        return {};
    const QString name = voiceId.mid(IdPrefix.size()).section(u'/', 0, 0);
    if (name.isEmpty() || name == QStringLiteral("..") || name == QStringLiteral("."))
        return {};
    return neuralVoicesFolder() + u'/' + name;
}

int neuralVoiceSpeaker(const QString& voiceId) {
    return neuralVoiceFolder(voiceId).isEmpty() ? 0 : qMax(0, voiceId.section(u'/', 1, 1).toInt());
}

int neuralVoiceDescribedSpeaker(const QString& description) {
    bool number = false;
    const int speaker = description.section(u'/', 1, 1).toInt(&number);
    return number ? speaker : -1;
}

QStringList neuralModelFiles(const QDir& folder) {
    if (QFileInfo(folder.filePath(QStringLiteral("model.onnx"))).isFile())
        return {folder.filePath(QStringLiteral("model.onnx"))};
    QStringList models;
    for (const QString& name : folder.entryList({QStringLiteral("*.onnx")}, QDir::Files))
        if (!isVocoder(name))
            models << folder.filePath(name);
    return models;
}

QStringList neuralVocoderFiles(const QDir& folder) {
    QStringList vocoders;
    for (const QString& name :
         folder.entryList({QStringLiteral("*.onnx")}, QDir::Files, QDir::Name))
        if (isVocoder(name))
            vocoders << folder.filePath(name);
    return vocoders;
}

QHash<QString, QString> onnxMetadata(const QString& path) {
    QHash<QString, QString> metadata;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return metadata;
    WireReader reader(file);
    quint64 field = 0;
    int wireType = 0;
    while (reader.tag(field, wireType)) {
        if (field == MetadataField && wireType == 2) {
            quint64 length = 0;
            QByteArray entry;
            if (!reader.varint(length) || !reader.bytes(length, EntryLimit, entry))
                break;
            readEntry(entry, metadata);
        } else if (!reader.skip(wireType)) {
            break;
        }
    }
    return metadata;
}

int neuralSpeakerCount(const QString& folder) {
    return speakerCount(folderMetadata(folder));
}

QString neuralVoiceLanguage(const QString& folder) {
    return language(folderMetadata(folder));
}
