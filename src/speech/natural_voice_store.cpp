#include "natural_voice_store.h"

#include "app/app_error.h"
#include "platform/speech/neural_voice_folder.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <tuple>
#include <utility>

namespace NaturalVoiceStore {

namespace {

// Beside a voice's own files: how fast it spoke when it was installed.
const QString SpeedFile = QStringLiteral(".parlora-speed");

constexpr int LicenceLength = 80;

const QStringList ArchiveSuffixes = {QStringLiteral(".tar.bz2"), QStringLiteral(".tbz2"),
                                     QStringLiteral(".tar.gz"), QStringLiteral(".tgz"),
                                     QStringLiteral(".tar.xz")};

// A name that stays one visible folder inside the voices folder.
bool validName(const QString& name) {
    return !name.isEmpty() && !name.startsWith(u'.') && !name.contains(u'/');
}

QString quoted(const QString& path) {
    return QStringLiteral("“%1”").arg(QDir::toNativeSeparators(path));
}

QFileInfoList entries(const QString& folder) {
    return QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                      QDir::NoDotAndDotDot);
}

// Gives the owner full use of a tree: an archive may unpack read-only folders, which would
// keep their content from being read or removed. Symlinks are not followed.
void takeOwnersRights(const QString& folder) {
    constexpr auto Rights = QFile::ReadOwner | QFile::WriteOwner;
    QFile::setPermissions(folder, QFile::permissions(folder) | Rights | QFile::ExeOwner);
    for (const QFileInfo& entry : entries(folder)) {
        if (entry.isSymLink())
            continue;
        if (entry.isDir())
            takeOwnersRights(entry.filePath());
        else if (entry.isFile())
            QFile::setPermissions(entry.filePath(), entry.permissions() | Rights);
    }
}

bool removeTree(const QString& folder) {
    takeOwnersRights(folder);
    return QDir(folder).removeRecursively();
}

// The hidden folder an install works in; gone again unless its voice was moved out of it.
class Staging {
public:
    explicit Staging(const QString& voices)
        : m_dir(voices + QStringLiteral("/.installing-XXXXXX")) {
        m_dir.setAutoRemove(false);
        if (!m_dir.isValid())
            throw AppError(QStringLiteral("无法在%1里创建文件夹").arg(quoted(voices)));
    }
    ~Staging() {
        if (QFileInfo::exists(m_dir.path()))
            removeTree(m_dir.path());
    }
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;

    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

void copyTree(const QString& from, const QString& to) {
    const QFileInfo source(from);
    if (!source.isReadable() || !source.isExecutable())
        throw AppError(QStringLiteral("无法读取%1").arg(quoted(from)));
    if (!QDir().mkdir(to))
        throw AppError(QStringLiteral("无法创建文件夹%1").arg(quoted(to)));
    for (const QFileInfo& entry : entries(from)) {
        const QString target = to + u'/' + entry.fileName();
        if (entry.isSymLink() || !(entry.isDir() || entry.isFile()))
            throw AppError(
                QStringLiteral("%1是链接或特殊文件，不能安装").arg(quoted(entry.filePath())));
        if (entry.isDir())
            copyTree(entry.filePath(), target);
        else if (!QFile::copy(entry.filePath(), target))
            throw AppError(QStringLiteral("无法复制%1").arg(quoted(entry.filePath())));
    }
}

QByteArray runTar(const QStringList& arguments, const QString& archive) {
    QProcess tar;
    tar.start(QStringLiteral("tar"), arguments);
    if (!tar.waitForStarted())
        throw AppError(QStringLiteral("找不到 tar 程序，无法解开%1").arg(quoted(archive)));
    tar.closeWriteChannel();
    tar.waitForFinished(-1);
    if (tar.exitStatus() != QProcess::NormalExit || tar.exitCode() != 0)
        throw AppError(
            QStringLiteral("无法解开压缩包%1（文件可能不完整或已损坏）").arg(quoted(archive)));
    return tar.readAllStandardOutput();
}

// Refuses an archive holding anything but plain files and folders, or a path leading out of
// the folder it is unpacked in, before anything is unpacked.
void checkListing(const QString& archive) {
    const QByteArray listing = runTar(
        {QStringLiteral("--list"), QStringLiteral("--verbose"), QStringLiteral("--numeric-owner"),
         QStringLiteral("--quoting-style=escape"), QStringLiteral("--file=") + archive},
        archive);
    // Mode, owner, size, date, time, then the name after a single blank.
    static const QRegularExpression line(
        QStringLiteral("^(\\S)\\S*\\s+\\S+\\s+\\S+\\s+\\S+\\s+\\S+ (.+)$"));
    for (const QByteArray& text : listing.split('\n')) {
        if (text.isEmpty())
            continue;
        const QString entry = QString::fromUtf8(text);
        const QRegularExpressionMatch match = line.match(entry);
        const QString type = match.captured(1);
        const QString name = match.hasMatch() ? match.captured(2) : entry;
        if (type != u"-" && type != u"d")
            throw AppError(QStringLiteral("压缩包%1里有链接或特殊文件，不能安装：%2")
                               .arg(quoted(archive), name));
        if (name.startsWith(u'/') || name.split(u'/').contains(QStringLiteral("..")))
            throw AppError(QStringLiteral("压缩包%1里有指向外面的路径，不能安装：%2")
                               .arg(quoted(archive), name));
    }
}

// The voice folder and its name: the archive's single top folder, else all it holds.
std::pair<QString, QString> unpack(const QString& archive, const QString& suffix,
                                   const QString& staging) {
    checkListing(archive);
    runTar({QStringLiteral("--extract"), QStringLiteral("--file=") + archive,
            QStringLiteral("--directory=") + staging, QStringLiteral("--no-same-owner"),
            QStringLiteral("--no-same-permissions"), QStringLiteral("--no-overwrite-dir")},
           archive);
    takeOwnersRights(staging);
    const QFileInfoList top = entries(staging);
    if (top.size() == 1 && top.first().isDir())
        return {top.first().filePath(), top.first().fileName()};
    const QString name = QFileInfo(archive).fileName();
    return {staging, name.left(name.size() - suffix.size())};
}

void checkFiles(const QString& source, const QString& folder) {
    const QDir dir(folder);
    const auto refuse = [&](const QString& why) {
        throw AppError(QStringLiteral("%1不是可用的语音：%2").arg(quoted(source), why));
    };
    const qsizetype models = neuralModelFiles(dir).size();
    if (models != 1)
        refuse(QStringLiteral("文件夹里应有一个模型文件（.onnx），现有 %1 个").arg(models));
    if (!QFileInfo(dir.filePath(QStringLiteral("tokens.txt"))).isFile())
        refuse(QStringLiteral("缺少 tokens.txt"));
    if (!QFileInfo(dir.filePath(QStringLiteral("lexicon.txt"))).isFile() &&
        !QFileInfo(dir.filePath(QStringLiteral("espeak-ng-data"))).isDir())
        refuse(QStringLiteral("缺少 lexicon.txt（或 espeak-ng-data 文件夹）"));
}

void checkNewName(const QString& voices, const QString& name) {
    if (!validName(name))
        throw AppError(QStringLiteral("“%1”不能用作语音的名字").arg(name));
    if (QFileInfo(voices + u'/' + name).exists() || QFileInfo(voices + u'/' + name).isSymLink())
        throw AppError(QStringLiteral("已安装名为“%1”的语音").arg(name));
}

QString licenceFromFiles(const QString& folder) {
    static const QRegularExpression licenceFile(
        QStringLiteral("^(licen[cs]e.*|copying.*|model_card)$"),
        QRegularExpression::CaseInsensitiveOption);
    const QFileInfoList files = QDir(folder).entryInfoList(
        QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& info : files) {
        if (!licenceFile.match(info.fileName()).hasMatch())
            continue;
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (line.isEmpty())
                continue;
            // Cut before, not inside, a character written as two code units.
            qsizetype length = qMin(line.size(), qsizetype(LicenceLength));
            if (length < line.size() && line.at(length - 1).isHighSurrogate())
                --length;
            return line.left(length);
        }
    }
    return {};
}

qint64 folderBytes(const QString& folder) {
    qint64 bytes = 0;
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                       QDirIterator::Subdirectories);
    while (files.hasNext())
        bytes += files.nextFileInfo().size();
    return bytes;
}

VoiceDetails details(const QString& folder) {
    VoiceDetails voice;
    voice.name = QFileInfo(folder).fileName();
    voice.language = neuralVoiceLanguage(folder);
    voice.bytes = folderBytes(folder);
    const QStringList models = neuralModelFiles(QDir(folder));
    const QHash<QString, QString> metadata =
        models.size() == 1 ? onnxMetadata(models.first()) : QHash<QString, QString>();
    voice.licence = metadata.value(QStringLiteral("license")).trimmed();
    if (voice.licence.isEmpty())
        voice.licence = metadata.value(QStringLiteral("licence")).trimmed();
    if (voice.licence.isEmpty())
        voice.licence = licenceFromFiles(folder);
    bool number = false;
    const double rate = metadata.value(QStringLiteral("sample_rate")).trimmed().toDouble(&number);
    if (number && rate >= 1 && rate <= 1e7)
        voice.sampleRate = qRound(rate);
    QFile speed(QDir(folder).filePath(SpeedFile));
    if (speed.open(QIODevice::ReadOnly)) {
        const double measured = QString::fromLatin1(speed.read(32)).trimmed().toDouble(&number);
        if (number && measured > 0 && measured < 1e6)
            voice.speed = measured;
    }
    return voice;
}

} // namespace

QList<VoiceDetails> installed() {
    QList<VoiceDetails> voices;
    for (const QString& name : installedNeuralVoiceFolders())
        voices << details(neuralVoicesFolder() + u'/' + name);
    return voices;
}

void removeAbandonedWork() {
    const QDir voices(neuralVoicesFolder());
    const QDateTime dayAgo = QDateTime::currentDateTimeUtc().addDays(-1);
    for (const QFileInfo& work :
         voices.entryInfoList({QStringLiteral(".installing-*"), QStringLiteral(".download-*")},
                              QDir::Dirs | QDir::Hidden | QDir::NoSymLinks)) {
        QDateTime changed = work.lastModified();
        QDirIterator inside(work.filePath(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                            QDirIterator::Subdirectories);
        while (inside.hasNext())
            changed = std::max(changed, inside.nextFileInfo().lastModified());
        if (changed < dayAgo)
            removeTree(work.filePath());
    }
}

QString install(const QString& archiveOrFolder, const VoiceCheck& check) {
    removeAbandonedWork();
    const QFileInfo source(QDir::cleanPath(archiveOrFolder));
    const QString path = source.absoluteFilePath();
    if (!source.exists())
        throw AppError(QStringLiteral("找不到%1").arg(quoted(archiveOrFolder)));
    if (!source.isReadable())
        throw AppError(QStringLiteral("无法读取%1").arg(quoted(archiveOrFolder)));
    const auto suffix =
        std::find_if(ArchiveSuffixes.begin(), ArchiveSuffixes.end(),
                     [&](const QString& s) { return path.endsWith(s, Qt::CaseInsensitive); });
    if (!source.isDir() && !(source.isFile() && suffix != ArchiveSuffixes.end()))
        throw AppError(QStringLiteral("%1不是语音文件夹，也不是 .tar.bz2、.tar.gz 或 .tar.xz "
                                      "压缩包")
                           .arg(quoted(archiveOrFolder)));

    const QString voices = neuralVoicesFolder();
    if (!QDir().mkpath(voices))
        throw AppError(QStringLiteral("无法创建文件夹%1").arg(quoted(voices)));
    if (source.isDir()) {
        // Copying the voices folder or one holding it would copy into itself without end.
        const QString canonical = source.canonicalFilePath() + u'/';
        if ((QFileInfo(voices).canonicalFilePath() + u'/').startsWith(canonical))
            throw AppError(QStringLiteral("不能从%1安装语音：它含有语音文件夹本身")
                               .arg(quoted(archiveOrFolder)));
    }
    const Staging staging(voices);
    QString folder;
    QString name;
    if (source.isDir()) {
        name = source.fileName();
        checkNewName(voices, name);
        folder = staging.path() + u'/' + name;
        copyTree(path, folder);
    } else {
        std::tie(folder, name) = unpack(path, *suffix, staging.path());
    }
    checkFiles(archiveOrFolder, folder);
    checkNewName(voices, name);
    check(folder);
    // The rename never replaces: a voice of that name installed meanwhile is reported as such.
    if (!QDir().rename(folder, voices + u'/' + name)) {
        checkNewName(voices, name);
        throw AppError(QStringLiteral("无法把语音“%1”放入%2").arg(name, quoted(voices)));
    }
    return name;
}

void recordSpeed(const QString& folder, double speed) {
    QFile file(QDir(folder).filePath(SpeedFile));
    if (!(speed > 0) || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return; // a voice without it is shown as not measured
    file.write(QByteArray::number(speed, 'g', 4) + '\n');
}

void remove(const QString& name) {
    if (!validName(name))
        throw AppError(QStringLiteral("“%1”不是语音的名字").arg(name));
    const QString folder = neuralVoicesFolder() + u'/' + name;
    const QFileInfo voice(folder);
    // A linked voice loses its link; what it points to is not the voices folder's to remove.
    if (voice.isSymLink()) {
        if (!QFile::remove(folder))
            throw AppError(QStringLiteral("无法删除语音“%1”").arg(name));
        return;
    }
    if (!voice.isDir())
        throw AppError(QStringLiteral("没有名为“%1”的语音").arg(name));
    if (!removeTree(folder))
        throw AppError(QStringLiteral("无法删除语音“%1”").arg(name));
}

} // namespace NaturalVoiceStore
