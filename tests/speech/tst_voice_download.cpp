// Voices downloaded from a small server of the test's own: installed when whole, nothing left
// behind when cut short, refused, cancelled or not what the catalogue says; and 下载... in the
// voice manager as a user drives it.
#include "../neural/tiny_voices.h"
#include "app/app_error.h"
#include "app/job_progress_dialog.h"
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"
#include "platform/voice_download.h"
#include "speech/voice_manager_dialog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString NoNetwork = QStringLiteral("无法连接到下载服务器，请检查网络连接");

enum class Serve { Whole, Truncated, Stalled, Silent, NotFound, Refused };

// Answers every GET with the archive, or with less of it than it announces, or not at all.
class VoiceServer {
public:
    VoiceServer(Serve serve, QByteArray archive) : m_serve(serve), m_archive(std::move(archive)) {
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        m_port = m_server.serverPort();
        if (serve == Serve::Refused)
            m_server.close(); // nothing listens on the port any more
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket] { answer(socket); });
        });
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1/voices").arg(m_port); }
    QStringList requests;

private:
    void answer(QTcpSocket* socket) {
        QByteArray& request = m_pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        requests << QString::fromLatin1(request.split(' ').value(1));
        const QByteArray length = QByteArray::number(m_archive.size());
        switch (m_serve) {
        case Serve::Whole:
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + length +
                          "\r\nConnection: close\r\n\r\n" + m_archive);
            socket->disconnectFromHost();
            break;
        case Serve::Truncated:
        case Serve::Stalled:
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + length + "\r\n\r\n" +
                          m_archive.left(m_archive.size() / 2));
            if (m_serve == Serve::Truncated)
                socket->disconnectFromHost();
            break;
        case Serve::NotFound:
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
            break;
        case Serve::Silent:
        case Serve::Refused:
            break;
        }
    }

    Serve m_serve;
    QByteArray m_archive;
    QTcpServer m_server;
    quint16 m_port = 0;
    QHash<QTcpSocket*, QByteArray> m_pending;
};

struct Outcome {
    QString name;
    QString error;
};

} // namespace

class TestVoiceDownload : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void downloads_data();
    void downloads();
    void cancelLeavesNothing();
    void chooserDownloadsThroughTheWindow_data();
    void chooserDownloadsThroughTheWindow();

private:
    QString voices() const { return m_data.path() + QStringLiteral("/parlora/voices"); }
    QStringList voicesFolder() const {
        return QDir(voices()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    static QByteArray archive(const QString& folder);
    Outcome run(BackgroundJob& job, const CatalogueVoice& voice);

    QTemporaryDir m_data;
    QTemporaryDir m_work;
    QByteArray m_archive; // a folder "vits-test" that passes the store's checks
    const CatalogueVoice m_voice{QStringLiteral("vits-test"), QStringLiteral("测试"),
                                 QStringLiteral("zh")};
    int m_checks = 0;
};

void TestVoiceDownload::initTestCase() {
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    const QString folder = m_work.filePath(QStringLiteral("vits-test"));
    QVERIFY(QDir().mkpath(folder));
    for (const QString& name : {QStringLiteral("model.onnx"), QStringLiteral("tokens.txt"),
                                QStringLiteral("lexicon.txt")}) {
        QFile file(folder + u'/' + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Not compressible, so that the archive arrives in several parts.
        QByteArray bytes(20000, Qt::Uninitialized);
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(bytes.data()),
                                              bytes.size() / sizeof(quint32));
        file.write(bytes);
    }
    m_archive = archive(folder);
    QVERIFY(!m_archive.isEmpty());
}

void TestVoiceDownload::init() {
    QDir(voices()).removeRecursively();
    m_checks = 0;
}

void TestVoiceDownload::cleanup() {
    qunsetenv("PARLORA_VOICE_CATALOGUE_URL");
}

QByteArray TestVoiceDownload::archive(const QString& folder) {
    const QFileInfo info(folder);
    QProcess tar;
    tar.start(QStringLiteral("tar"), {QStringLiteral("-cjf"), QStringLiteral("-"),
                                      QStringLiteral("-C"), info.absolutePath(), info.fileName()});
    if (!tar.waitForFinished() || tar.exitCode() != 0)
        return {};
    return tar.readAllStandardOutput();
}

Outcome TestVoiceDownload::run(BackgroundJob& job, const CatalogueVoice& voice) {
    QSignalSpy finished(&job, &BackgroundJob::finished);
    Outcome outcome;
    job.start([&](BackgroundJob::Control& control) {
        const QString name = downloadVoice(
            voice, control, [&](const QString&) { ++m_checks; }, std::chrono::milliseconds(500));
        return [&outcome, name] { outcome.name = name; };
    });
    if (!finished.wait(10000))
        return {QString(), QStringLiteral("still running")};
    try {
        job.complete();
    } catch (const AppError& error) {
        outcome.error = error.message();
    }
    return outcome;
}

void TestVoiceDownload::downloads_data() {
    QTest::addColumn<Serve>("serve");
    QTest::addColumn<QString>("sha256");
    QTest::addColumn<bool>("installedBefore");
    QTest::addColumn<QString>("error"); // empty: the voice is installed

    const QString right = QCryptographicHash::hash(m_archive, QCryptographicHash::Sha256).toHex();
    const QString wrong = QString(64, u'0');
    QTest::newRow("whole, no checksum") << Serve::Whole << QString() << false << QString();
    QTest::newRow("whole, checksum matches")
        << Serve::Whole << right.toUpper() << false << QString();
    QTest::newRow("whole, checksum differs")
        << Serve::Whole << wrong << false << QStringLiteral("校验值不符");
    QTest::newRow("cut short") << Serve::Truncated << QString() << false
                               << QStringLiteral("没有下载完整");
    QTest::newRow("connection refused") << Serve::Refused << QString() << false << NoNetwork;
    QTest::newRow("no data in time") << Serve::Silent << QString() << false << NoNetwork;
    QTest::newRow("not on the server")
        << Serve::NotFound << QString() << false << QStringLiteral("（HTTP 404");
    QTest::newRow("installed already, nothing asked of the server")
        << Serve::Whole << QString() << true << QStringLiteral("已安装名为“vits-test”的语音");
}

void TestVoiceDownload::downloads() {
    QFETCH(Serve, serve);
    QFETCH(QString, sha256);
    QFETCH(bool, installedBefore);
    QFETCH(QString, error);
    if (installedBefore)
        QVERIFY(QDir().mkpath(voices() + QStringLiteral("/vits-test")));
    VoiceServer server(serve, m_archive);
    qputenv("PARLORA_VOICE_CATALOGUE_URL", server.base().toUtf8());
    CatalogueVoice voice{QStringLiteral("vits-test"), QStringLiteral("测试"), QStringLiteral("zh")};
    voice.sha256 = sha256;
    BackgroundJob job;
    const Outcome outcome = run(job, voice);
    QVERIFY2(outcome.error.contains(error), qPrintable(outcome.error));
    const bool installs = error.isEmpty();
    QCOMPARE(outcome.name, installs ? QStringLiteral("vits-test") : QString());
    QCOMPARE(m_checks, installs ? 1 : 0);
    // Nothing hidden stays: neither the part file nor the unpacked archive.
    QCOMPARE(voicesFolder(), installs || installedBefore ? QStringList{QStringLiteral("vits-test")}
                                                         : QStringList{});
    if (installs)
        QVERIFY(QFileInfo(voices() + QStringLiteral("/vits-test/model.onnx")).isFile());
    if (installedBefore)
        QVERIFY(server.requests.isEmpty());
    else if (serve != Serve::Refused)
        QCOMPARE(server.requests, QStringList{QStringLiteral("/voices/vits-test.tar.bz2")});
}

void TestVoiceDownload::cancelLeavesNothing() {
    VoiceServer server(Serve::Stalled, m_archive);
    qputenv("PARLORA_VOICE_CATALOGUE_URL", server.base().toUtf8());
    BackgroundJob job;
    QSignalSpy progress(&job, &BackgroundJob::progress);
    QSignalSpy finished(&job, &BackgroundJob::finished);
    QString name = QStringLiteral("none yet");
    job.start([&](BackgroundJob::Control& control) {
        const QString installed =
            downloadVoice(m_voice, control, [&](const QString&) { ++m_checks; });
        return [&name, installed] { name = installed; };
    });
    // Half the archive has arrived, and the server waits.
    const auto arrived = [this] {
        const QStringList parts = voicesFolder().filter(QStringLiteral(".download-"));
        return parts.size() == 1
                   ? QFileInfo(voices() + u'/' + parts.first() + QStringLiteral("/vits-test.part"))
                         .size()
                   : qint64(-1);
    };
    QTRY_COMPARE_WITH_TIMEOUT(arrived(), qint64(m_archive.size() / 2), 5000);
    QTRY_VERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(1).toLongLong(), qint64(m_archive.size()));
    job.cancel(); // well before the 30 seconds without data
    QVERIFY(finished.wait(2000));
    job.complete();
    QCOMPARE(name, QString());
    QCOMPARE(m_checks, 0);
    QCOMPARE(voicesFolder(), QStringList{});
}

void TestVoiceDownload::chooserDownloadsThroughTheWindow_data() {
    QTest::addColumn<Serve>("serve");
    QTest::newRow("served: the voice is listed") << Serve::Whole;
    QTest::newRow("no server: told so, import stays") << Serve::Refused;
    QTest::newRow("cancelled in the progress dialog: nothing stays") << Serve::Stalled;
}

// The first voice of the catalogue, chosen in 下载... and opened in the helper like any other.
void TestVoiceDownload::chooserDownloadsThroughTheWindow() {
    QFETCH(Serve, serve);
    const QString name = voiceCatalogue().first().name;
    QByteArray served = m_archive;
    if (serve == Serve::Whole) {
        if (!naturalRuntimeFetched())
            QSKIP("The natural voices' runtime was not fetched (scripts/install-deps)");
        const QString made = m_work.filePath(QStringLiteral("tiny"));
        const QString failure = makeTinyVoices(made);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        const QString folder = m_work.filePath(name);
        QVERIFY(QDir().rename(made + QStringLiteral("/tiny-zh"), folder));
        served = archive(folder);
        QVERIFY(!served.isEmpty());
    }
    VoiceServer server(serve, served);
    qputenv("PARLORA_VOICE_CATALOGUE_URL", server.base().toUtf8());
    FakePlatform fakes;
    fakes.voice.voices = {{QStringLiteral("sit/cmn"), QStringLiteral("Chinese")}};
    TFmain window(fakes.bundle());
    window.NVoiceManager->trigger();
    auto* manager = window.findChild<VoiceManagerDialog*>();
    QVERIFY(manager);
    QPushButton* download = nullptr;
    for (QPushButton* button : manager->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("下载(&W)..."))
            download = button;
    QVERIFY(download);
    download->click();
    auto* chooser = manager->findChild<QDialog*>(QStringLiteral("VoiceDownloadDialog"));
    QVERIFY(chooser);
    auto* list = chooser->findChild<QTableWidget*>(QStringLiteral("voiceCatalogue"));
    QCOMPARE(list->rowCount(), voiceCatalogue().size());
    QCOMPARE(list->item(0, 0)->text(), name);
    QVERIFY(server.requests.isEmpty()); // choosing is no download
    list->selectRow(0);
    chooser->findChild<QPushButton*>(QStringLiteral("downloadButton"))->click();
    if (serve == Serve::Stalled) {
        const auto label = [&window] {
            auto* progress = window.findChild<JobProgressDialog*>();
            return progress && progress->isVisible() ? progress->findChild<QLabel*>()->text()
                                                     : QString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(label().contains(QStringLiteral(" KB / ")), 5000);
        QVERIFY2(label().startsWith(QStringLiteral("正在下载语音“%1”").arg(name)),
                 qPrintable(label()));
        window.findChild<JobProgressDialog*>()->findChild<QPushButton*>()->click(); // 取消
        QTRY_VERIFY_WITH_TIMEOUT(!window.findChild<JobProgressDialog*>(), 2000);
        QVERIFY(fakes.dialogs.messages.isEmpty());
        QCOMPARE(voicesFolder(), QStringList{});
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(!fakes.dialogs.messages.isEmpty(), 20000);
    const FakeDialogs::Message message = fakes.dialogs.messages.first();
    if (serve == Serve::Whole) {
        QCOMPARE(message.icon, Dialogs::Icon::Information);
        QVERIFY2(message.text.contains(name), qPrintable(message.text));
        QCOMPARE(voicesFolder(), QStringList{name});
        QCOMPARE(
            manager->findChild<QTableWidget*>(QString(), Qt::FindDirectChildrenOnly)->rowCount(),
            1);
    } else {
        QCOMPARE(message.icon, Dialogs::Icon::Error);
        QVERIFY2(message.text.contains(NoNetwork), qPrintable(message.text));
        QVERIFY2(message.text.contains(QStringLiteral("导入压缩包")), qPrintable(message.text));
        QCOMPARE(voicesFolder(), QStringList{});
    }
}

QTEST_MAIN(TestVoiceDownload)
#include "tst_voice_download.moc"
