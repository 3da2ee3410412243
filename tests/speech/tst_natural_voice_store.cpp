#include "app/app_error.h"
#include "platform/speech/neural_voice_folder.h"
#include "speech/natural_voice_store.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray varint(qsizetype value) {
    QByteArray bytes;
    for (; value >= 0x80; value >>= 7)
        bytes += char(0x80 | (value & 0x7f));
    return bytes + char(value);
}

QByteArray field(char tag, const QByteArray& bytes) {
    return tag + varint(bytes.size()) + bytes;
}

// A model file holding only metadata ("key=value;key=value"), as far as it is read here.
QByteArray modelWithMetadata(const QString& entries) {
    QByteArray model;
    for (const QString& entry : entries.split(u';')) {
        const QByteArray key = entry.section(u'=', 0, 0).toUtf8();
        const QByteArray value = entry.section(u'=', 1).toUtf8();
        model += field(0x72, field(0x0a, key) + field(0x12, value));
    }
    return model;
}

// One entry a line, paths relative to root: "a/" a folder, "a/:ro" a read-only folder (made
// read-only once everything is there), "a->b" a symlink, "a=>b" a hard link to b, "a|" a pipe,
// "a=text" a file holding text ("meta:k=v;k=v" a model's metadata), "a" a file holding "a".
void makeTree(const QString& root, const QStringList& layout) {
    QStringList readOnly;
    for (const QString& entry : layout) {
        const auto parentOf = [&](const QString& path) {
            QDir().mkpath(QFileInfo(root + u'/' + path).path());
            return root + u'/' + path;
        };
        if (entry.endsWith(u"/:ro")) {
            readOnly << root + u'/' + entry.chopped(4);
            QDir().mkpath(readOnly.last());
        } else if (entry.endsWith(u'/')) {
            QDir().mkpath(root + u'/' + entry);
        } else if (entry.contains(u"->")) {
            QVERIFY(QFile::link(entry.section(u"->"_s, 1), parentOf(entry.section(u"->"_s, 0, 0))));
        } else if (entry.contains(u"=>")) {
            const QString target = root + u'/' + entry.section(u"=>"_s, 1);
            const QString link = parentOf(entry.section(u"=>"_s, 0, 0));
            QCOMPARE(::link(QFile::encodeName(target), QFile::encodeName(link)), 0);
        } else if (entry.endsWith(u'|')) {
            QCOMPARE(::mkfifo(QFile::encodeName(parentOf(entry.chopped(1))), 0600), 0);
        } else {
            const QString path = entry.section(u'=', 0, 0);
            const QString text = entry.contains(u'=') ? entry.section(u'=', 1) : path;
            QFile file(parentOf(path));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text.startsWith(u"meta:") ? modelWithMetadata(text.mid(5)) : text.toUtf8());
        }
    }
    for (const QString& folder : readOnly)
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
}

QStringList voicesFolderEntries() {
    return QDir(neuralVoicesFolder())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                   QDir::Name);
}

bool run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

const QStringList Voice = {u"voice/model.onnx"_s, u"voice/tokens.txt"_s, u"voice/lexicon.txt"_s};

} // namespace

class TestNaturalVoiceStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void install_data();
    void install();
    void remove_data();
    void remove();
    void installed_data();
    void installed();
    void installedByName();
    void measuredSpeed_data();
    void measuredSpeed();
    void abandonedWorkGoesAfterADay();

private:
    std::unique_ptr<QTemporaryDir> m_work;
    QString m_sources;
};

void TestNaturalVoiceStore::init() {
    m_work = std::make_unique<QTemporaryDir>();
    QVERIFY(m_work->isValid());
    m_sources = m_work->filePath(u"sources"_s);
    QVERIFY(QDir().mkpath(m_sources));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_work->filePath(u"data"_s)));
}

void TestNaturalVoiceStore::cleanup() {
    // Read-only folders would keep the temporary folder from going.
    run(u"chmod"_s, {u"-R"_s, u"u+rwX"_s, m_work->path()});
    m_work.reset();
}

void TestNaturalVoiceStore::install_data() {
    QTest::addColumn<QStringList>("layout");     // in the sources folder
    QTest::addColumn<QString>("pack");           // "as is", or the archive's suffix
    QTest::addColumn<QString>("given");          // what is installed, or the archive's base name
    QTest::addColumn<QStringList>("tarOptions"); // when packing
    QTest::addColumn<QString>("installedBefore");
    QTest::addColumn<QString>("whileChecked"); // "refuse", or "install" a voice of that name
    QTest::addColumn<QString>("name");         // installed as
    QTest::addColumn<QString>("message");      // found in the refusal; empty: installed

    const QStringList none;
    const auto row = [&](const char* title, const QStringList& layout, const QString& pack,
                         const QString& given, const QString& name, const QString& message = {},
                         const QStringList& tarOptions = {}) {
        QTest::newRow(title) << layout << pack << given << tarOptions << QString() << QString()
                             << name << message;
    };
    row("tar.bz2 holding one folder", Voice, u"tar.bz2"_s, u"bundle"_s, u"voice"_s);
    row("tar.gz with the files at the top", {u"model.onnx"_s, u"tokens.txt"_s, u"lexicon.txt"_s},
        u"tar.gz"_s, u"vits-zh"_s, u"vits-zh"_s);
    row("tgz", Voice, u"tgz"_s, u"bundle"_s, u"voice"_s);
    row("folder name with a blank and Chinese",
        {u"中文 voice/model.onnx"_s, u"中文 voice/tokens.txt"_s, u"中文 voice/lexicon.txt"_s},
        u"tar.gz"_s, u"bundle"_s, u"中文 voice"_s);
    row("tbz2", Voice, u"tbz2"_s, u"bundle"_s, u"voice"_s);
    row("tar.xz", Voice, u"tar.xz"_s, u"bundle"_s, u"voice"_s);
    row("folder", Voice, u"as is"_s, u"voice"_s, u"voice"_s);
    row("folder with espeak-ng-data instead of a lexicon",
        {u"voice/model.onnx"_s, u"voice/tokens.txt"_s, u"voice/espeak-ng-data/en_dict"_s},
        u"as is"_s, u"voice/"_s, u"voice"_s);
    row("archive with two top folders: the archive's name, and no model at its top",
        Voice + QStringList{u"other/readme"_s}, u"tar.gz"_s, u"bundle"_s, {},
        u"“%1/bundle.tar.gz”不是可用的语音：文件夹里应有一个模型文件（.onnx），现有 0 个"_s);
    row("folder holding a symlink", Voice + QStringList{u"voice/link->/etc/passwd"_s}, u"as is"_s,
        u"voice"_s, {}, u"/voice/link”是链接或特殊文件，不能安装"_s);
    row("folder holding a pipe", Voice + QStringList{u"voice/pipe|"_s}, u"as is"_s, u"voice"_s, {},
        u"/voice/pipe”是链接或特殊文件，不能安装"_s);
    row("archive holding a symlink", Voice + QStringList{u"voice/link->/etc/passwd"_s}, u"tar.gz"_s,
        u"bundle"_s, {},
        u"bundle.tar.gz”里有链接或特殊文件，不能安装：voice/link -> /etc/passwd"_s);
    row("archive holding a hard link", Voice + QStringList{u"voice/hard=>voice/tokens.txt"_s},
        u"tar.bz2"_s, u"bundle"_s, {},
        u"bundle.tar.bz2”里有链接或特殊文件，不能安装：voice/hard link to voice/tokens.txt"_s);
    row("archive with ../x", Voice + QStringList{u"evil"_s}, u"tar.gz"_s, u"bundle"_s, {},
        u"里有指向外面的路径，不能安装：../evil"_s,
        {u"--absolute-names"_s, u"--transform=s,^evil,../evil,"_s});
    row("archive with a .. inside", Voice + QStringList{u"evil"_s}, u"tar.gz"_s, u"bundle"_s, {},
        u"里有指向外面的路径，不能安装：voice/../../evil"_s,
        {u"--absolute-names"_s, u"--transform=s,^evil,voice/../../evil,"_s});
    row("archive with an absolute path", Voice + QStringList{u"evil"_s}, u"tar.gz"_s, u"bundle"_s,
        {}, u"里有指向外面的路径，不能安装：/tmp/evil"_s,
        {u"--absolute-names"_s, u"--transform=s,^evil,/tmp/evil,"_s});
    row("truncated archive", Voice, u"truncated tar.gz"_s, u"bundle"_s, {},
        u"无法解开压缩包“%1/bundle.tar.gz”"_s);
    row("tokens.txt missing", {u"voice/model.onnx"_s, u"voice/lexicon.txt"_s}, u"tar.bz2"_s,
        u"bundle"_s, {}, u"不是可用的语音：缺少 tokens.txt"_s);
    row("two model files",
        {u"voice/a.onnx"_s, u"voice/b.onnx"_s, u"voice/tokens.txt"_s, u"voice/lexicon.txt"_s},
        u"as is"_s, u"voice"_s, {}, u"文件夹里应有一个模型文件（.onnx），现有 2 个"_s);
    row("neither lexicon nor espeak-ng-data", {u"voice/model.onnx"_s, u"voice/tokens.txt"_s},
        u"tar.gz"_s, u"bundle"_s, {}, u"缺少 lexicon.txt（或 espeak-ng-data 文件夹）"_s);
    row("hidden top folder",
        {u".voice/model.onnx"_s, u".voice/tokens.txt"_s, u".voice/lexicon.txt"_s}, u"tar.gz"_s,
        u"bundle"_s, {}, u"“.voice”不能用作语音的名字"_s);
    row("hidden folder given",
        {u".voice/model.onnx"_s, u".voice/tokens.txt"_s, u".voice/lexicon.txt"_s}, u"as is"_s,
        u".voice"_s, {}, u"“.voice”不能用作语音的名字"_s);
    row("a zip file", {u"voice.zip"_s}, u"as is"_s, u"voice.zip"_s, {},
        u"voice.zip”不是语音文件夹，也不是"_s);
    row("nothing there", {}, u"as is"_s, u"voice"_s, {}, u"找不到“%1/voice”"_s);
    row("the voices folder itself", {}, u"as is"_s, u"$voices"_s, {}, u"它含有语音文件夹本身"_s);
    QTest::newRow("check refuses") << Voice << u"tar.gz"_s << u"bundle"_s << none << QString()
                                   << u"refuse"_s << QString() << u"模型无法载入"_s;
    QTest::newRow("check refuses a voice with a read-only folder")
        << Voice + QStringList{u"voice/espeak-ng-data/:ro"_s, u"voice/espeak-ng-data/x"_s}
        << u"tar.gz"_s << u"bundle"_s << none << QString() << u"refuse"_s << QString()
        << u"模型无法载入"_s;
    QTest::newRow("archive: name installed already")
        << Voice << u"tar.bz2"_s << u"bundle"_s << none << u"voice"_s << QString() << QString()
        << u"已安装名为“voice”的语音"_s;
    QTest::newRow("a voice of that name installed while checking")
        << Voice << u"tar.gz"_s << u"bundle"_s << none << QString() << u"install"_s << u"voice"_s
        << u"已安装名为“voice”的语音"_s;
    QTest::newRow("folder: name installed already")
        << Voice << u"as is"_s << u"voice"_s << none << u"voice"_s << QString() << QString()
        << u"已安装名为“voice”的语音"_s;
}

void TestNaturalVoiceStore::install() {
    QFETCH(QStringList, layout);
    QFETCH(QString, pack);
    QFETCH(QString, given);
    QFETCH(QStringList, tarOptions);
    QFETCH(QString, installedBefore);
    QFETCH(QString, whileChecked);
    QFETCH(QString, name);
    QFETCH(QString, message);

    const QString voices = neuralVoicesFolder();
    if (!installedBefore.isEmpty())
        makeTree(voices, {installedBefore + u"/model.onnx=before"_s});
    else if (given == u"$voices")
        makeTree(voices, {u"installed/model.onnx"_s});
    makeTree(m_sources, layout);
    const QStringList voicesBefore = voicesFolderEntries();

    QString path = given == u"$voices" ? voices : m_sources + u'/' + given;
    if (pack != u"as is") {
        const bool truncated = pack.startsWith(u"truncated ");
        path += u'.' + pack.section(u' ', -1);
        QStringList top = QDir(m_sources).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        QVERIFY(run(u"tar"_s, QStringList{u"--create"_s, u"--auto-compress"_s, u"--file="_s + path,
                                          u"--directory="_s + m_sources} +
                                  tarOptions + top));
        if (truncated)
            QVERIFY(QFile::resize(path, QFileInfo(path).size() / 2));
    }
    message.replace(u"%1"_s, m_sources);

    QString checked;
    const auto check = [&](const QString& folder) {
        checked = folder;
        // The voice is checked where it was unpacked, hidden from the voice list.
        QVERIFY(folder.startsWith(voices + u"/.installing-"_s));
        QVERIFY(QFileInfo(folder + u"/tokens.txt"_s).isFile());
        if (whileChecked == u"install")
            makeTree(voices, {name + u"/"_s});
        if (whileChecked == u"refuse")
            throw AppError(u"模型无法载入"_s);
    };
    QString installedAs;
    QString refusal;
    try {
        installedAs = NaturalVoiceStore::install(path, check);
    } catch (const AppError& error) {
        refusal = error.message();
    }

    if (!message.isEmpty()) {
        QVERIFY2(refusal.contains(message), qPrintable(refusal));
        if (whileChecked == u"install") {
            // Kept as it was installed, not replaced.
            QCOMPARE(voicesFolderEntries(), voicesBefore + QStringList{name});
            QVERIFY(QDir(voices + u'/' + name).isEmpty());
        } else {
            QCOMPARE(voicesFolderEntries(), voicesBefore);
        }
    } else {
        QCOMPARE(refusal, QString());
        QCOMPARE(installedAs, name);
        QVERIFY(!checked.isEmpty());
        QCOMPARE(voicesFolderEntries(), QStringList{name});
        QFile model(voices + u'/' + name + u"/model.onnx"_s);
        QVERIFY(model.open(QIODevice::ReadOnly));
        QVERIFY(model.readAll().endsWith("model.onnx"));
        QVERIFY(QFileInfo(voices + u'/' + name + u"/tokens.txt"_s).isFile());
    }
    if (!installedBefore.isEmpty()) {
        QFile before(voices + u'/' + installedBefore + u"/model.onnx"_s);
        QVERIFY(before.open(QIODevice::ReadOnly));
        QCOMPARE(before.readAll(), "before");
        QCOMPARE(QDir(voices + u'/' + installedBefore)
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{u"model.onnx"_s});
    }
}

void TestNaturalVoiceStore::remove_data() {
    QTest::addColumn<QStringList>("layout"); // relative to the voices folder
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message"); // empty: removed
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QStringList>("gone");

    const QStringList twoVoices = {u"a/model.onnx"_s, u"a/sub/x"_s, u"b/model.onnx"_s};
    QTest::newRow("a voice") << twoVoices << u"a"_s << QString() << QStringList{u"b/model.onnx"_s}
                             << QStringList{u"a"_s};
    QTest::newRow("a voice with a read-only folder")
        << QStringList{u"a/data/x"_s, u"a/data/:ro"_s} << u"a"_s << QString() << QStringList()
        << QStringList{u"a"_s};
    QTest::newRow("a linked voice: the link goes, not what it names")
        << QStringList{u"../outside/model.onnx"_s, u"linked->../outside"_s} << u"linked"_s
        << QString() << QStringList{u"../outside/model.onnx"_s} << QStringList{u"linked"_s};
    const auto refused = [&](const char* title, const QStringList& layout, const QString& name,
                             const QStringList& kept, const QString& message) {
        QTest::newRow(title) << layout << name << message << kept << QStringList();
    };
    const QString notAName = u"不是语音的名字"_s;
    refused("../x", {u"../x/keep"_s}, u"../x"_s, {u"../x/keep"_s}, notAName);
    refused("..", twoVoices, u".."_s, {u"a/model.onnx"_s, u"b/model.onnx"_s}, notAName);
    refused(".", twoVoices, u"."_s, {u"a/model.onnx"_s, u"b/model.onnx"_s}, notAName);
    refused("empty", twoVoices, QString(), {u"a/model.onnx"_s, u"b/model.onnx"_s}, notAName);
    refused("hidden", {u".installing-1/f"_s}, u".installing-1"_s, {u".installing-1/f"_s}, notAName);
    refused("a/b", {u"a/b/f"_s}, u"a/b"_s, {u"a/b/f"_s}, notAName);
    refused("not installed", twoVoices, u"c"_s, {u"a/model.onnx"_s, u"b/model.onnx"_s},
            u"没有名为“c”的语音"_s);
}

void TestNaturalVoiceStore::remove() {
    QFETCH(QStringList, layout);
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(QStringList, kept);
    QFETCH(QStringList, gone);

    const QString voices = neuralVoicesFolder();
    makeTree(voices, layout);
    QString refusal;
    try {
        NaturalVoiceStore::remove(name);
    } catch (const AppError& error) {
        refusal = error.message();
    }
    if (message.isEmpty())
        QCOMPARE(refusal, QString());
    else
        QVERIFY2(refusal.contains(message), qPrintable(refusal));
    for (const QString& path : kept)
        QVERIFY2(QFileInfo::exists(voices + u'/' + path), qPrintable(path));
    for (const QString& path : gone) {
        const QFileInfo info(voices + u'/' + path);
        QVERIFY2(!info.exists() && !info.isSymLink(), qPrintable(path));
    }
}

void TestNaturalVoiceStore::installed_data() {
    QTest::addColumn<QStringList>("layout"); // relative to the voices folder
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("licence");
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<QString>("language");

    QTest::newRow("licence file") << QStringList{u"v/model.onnx=m"_s, u"v/tokens.txt=ab"_s,
                                                 u"v/LICENSE=\n \n  Apache License 2.0  \nmore"_s}
                                  << qint64(1 + 2 + 30) << u"Apache License 2.0"_s << 0 << u"zh"_s;
    QTest::newRow("copying, lower case")
        << QStringList{u"v/model.onnx=m"_s, u"v/copying.md=GPL-3.0"_s} << qint64(8) << u"GPL-3.0"_s
        << 0 << u"zh"_s;
    QTest::newRow("model card") << QStringList{u"v/model.onnx=m"_s,
                                               u"v/Model_Card=# Model card\n"_s}
                                << qint64(14) << u"# Model card"_s << 0 << u"zh"_s;
    QTest::newRow("a long first line is cut")
        << QStringList{u"v/model.onnx=m"_s, u"v/LICENCE.txt="_s + QString(100, u'x')} << qint64(101)
        << QString(80, u'x') << 0 << u"zh"_s;
    QTest::newRow("no licence") << QStringList{u"v/model.onnx=m"_s, u"v/README=MIT"_s} << qint64(4)
                                << QString() << 0 << u"zh"_s;
    // Metadata entries take 2 + 4 + key + value bytes each.
    QTest::newRow("metadata: licence and rate before the file")
        << QStringList{u"v/model.onnx=meta:license=MIT;sample_rate=22050"_s, u"v/LICENSE=GPL"_s,
                       u"v/tokens.txt"_s}
        << qint64(16 + 22 + 3 + 12) << u"MIT"_s << 22050 << u"zh"_s;
    QTest::newRow("metadata spelling licence")
        << QStringList{u"v/model.onnx=meta:licence=CC-BY-4.0;language=English"_s} << qint64(22 + 21)
        << u"CC-BY-4.0"_s << 0 << u"en"_s;
    QTest::newRow("sample rate no number") << QStringList{u"v/model.onnx=meta:sample_rate=fast"_s}
                                           << qint64(21) << QString() << 0 << u"zh"_s;
    QTest::newRow("nested files count, links do not")
        << QStringList{u"v/model.onnx=abc"_s,  u"v/espeak-ng-data/x=12345"_s,
                       u"v/big->../../big"_s,  u"v/data->../../data"_s,
                       u"../big=0123456789"_s, u"../data/y=0123456789"_s}
        << qint64(8) << QString() << 0 << u"zh"_s;
    QTest::newRow("hidden folders left out")
        << QStringList{u"v/model.onnx=m"_s, u".installing-abc/w/model.onnx=mm"_s,
                       u".installing-abc/w/tokens.txt"_s, u".hidden/model.onnx"_s}
        << qint64(1) << QString() << 0 << u"zh"_s;
}

void TestNaturalVoiceStore::installed() {
    QFETCH(QStringList, layout);
    QFETCH(qint64, bytes);
    QFETCH(QString, licence);
    QFETCH(int, sampleRate);
    QFETCH(QString, language);

    makeTree(neuralVoicesFolder(), layout);
    const QList<NaturalVoiceStore::VoiceDetails> voices = NaturalVoiceStore::installed();
    QCOMPARE(voices.size(), 1);
    QCOMPARE(voices.first().name, u"v"_s);
    QCOMPARE(voices.first().bytes, bytes);
    QCOMPARE(voices.first().licence, licence);
    QCOMPARE(voices.first().sampleRate, sampleRate);
    QCOMPARE(voices.first().language, language);
    QCOMPARE(installedNeuralVoices().size(), 1);
}

void TestNaturalVoiceStore::measuredSpeed_data() {
    QTest::addColumn<bool>("recorded"); // else written as it stands
    QTest::addColumn<QString>("written");
    QTest::addColumn<double>("speed");
    QTest::newRow("recorded") << true << QString() << 3.25;
    QTest::newRow("written by hand") << false << u"12.5\n"_s << 12.5;
    QTest::newRow("not a number") << false << u"fast"_s << 0.0;
    QTest::newRow("not above zero") << false << u"-2"_s << 0.0;
    QTest::newRow("empty") << false << QString() << 0.0;
}

void TestNaturalVoiceStore::measuredSpeed() {
    QFETCH(bool, recorded);
    QFETCH(QString, written);
    QFETCH(double, speed);
    const QString folder = neuralVoicesFolder() + u"/v"_s;
    makeTree(neuralVoicesFolder(), {u"v/model.onnx=m"_s});
    if (recorded)
        NaturalVoiceStore::recordSpeed(folder, speed);
    else
        makeTree(folder, {u".parlora-speed="_s + written});
    QCOMPARE(NaturalVoiceStore::installed().first().speed, speed);
}

void TestNaturalVoiceStore::installedByName() {
    makeTree(neuralVoicesFolder(), {u"b/model.onnx"_s, u"A/model.onnx"_s, u"c/model.onnx"_s,
                                    u".installing-x/model.onnx"_s});
    QStringList names;
    for (const NaturalVoiceStore::VoiceDetails& voice : NaturalVoiceStore::installed())
        names << voice.name;
    QCOMPARE(names, (QStringList{u"A"_s, u"b"_s, u"c"_s}));
}

// What a kill left of an install or a download goes with the next one; work still changing,
// and the voices themselves, stay.
void TestNaturalVoiceStore::abandonedWorkGoesAfterADay() {
    const QString voices = neuralVoicesFolder();
    const qint64 twoDaysAgo = QDateTime::currentDateTime().addDays(-2).toSecsSinceEpoch();
    const struct timeval old[2] = {{twoDaysAgo, 0}, {twoDaysAgo, 0}};
    const auto age = [&](const QString& path) {
        QCOMPARE(::utimes(QFile::encodeName(path).constData(), old), 0);
    };
    const auto makePart = [](const QString& file) {
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QFile part(file);
        QVERIFY(part.open(QIODevice::WriteOnly));
        part.write("x");
    };
    for (const QString& folder : {u".installing-old"_s, u".download-old"_s, u".installing-new"_s,
                                  u".download-new"_s, u"old-voice"_s, u".old-other"_s}) {
        const QString file = voices + u'/' + folder + u"/part"_s;
        makePart(file);
        if (folder.contains(u"old"_s)) {
            age(file);
            age(QFileInfo(file).path());
        }
    }
    // A download still writing its part: the folder is old, the part new.
    const QString growing = voices + u"/.download-growing/part"_s;
    makePart(growing);
    age(QFileInfo(growing).path());

    NaturalVoiceStore::removeAbandonedWork();
    QStringList left = QDir(voices).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    left.sort();
    QCOMPARE(left, (QStringList{u".download-growing"_s, u".download-new"_s, u".installing-new"_s,
                                u".old-other"_s, u"old-voice"_s}));
}

QTEST_GUILESS_MAIN(TestNaturalVoiceStore)
#include "tst_natural_voice_store.moc"
