#include "app/app_error.h"
#include "platform/hidden_browser.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The real hidden page, loaded from its module, under the test run's X server.
class TestWebPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void pagesGiveTheirText_data();
    void pagesGiveTheirText();
    void popUpsAndPermissionsGetNothing();
    void localPagesCannotReadOtherFiles();
    void failedLoadGivesTheErrorPagesText();
    void missingModuleIsReported();

private:
    QString write(const QString& name, const QByteArray& bytes);
    // The text of the next completed page, or a null string after the time-out.
    QString load(const QUrl& address);

    QTemporaryDir m_dir;
    ModuleBrowser m_browser;
    QStringList m_texts;
};

void TestWebPage::initTestCase() {
    m_browser.documentComplete = [this](const QString& text) { m_texts << text; };
}

QString TestWebPage::write(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString TestWebPage::load(const QUrl& address) {
    m_texts.clear();
    m_browser.navigate(address);
    if (!QTest::qWaitFor([&] { return !m_texts.isEmpty(); }, 60'000))
        return {};
    return m_texts.first();
}

void TestWebPage::pagesGiveTheirText_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("html") << QStringLiteral("p.html")
                          << QByteArray("<html><head><meta charset=\"utf-8\"><title>T</title>"
                                        "<style>.h{display:none}</style></head><body><h1>标题</h1>"
                                        "<p>First <b>para</b>.</p><p class=h>hidden</p>"
                                        "<script>document.write('<p>by script</p>')</script>"
                                        "</body></html>")
                          << QStringLiteral("标题\n\nFirst para.\n\nby script");
    QTest::newRow("mht") << QStringLiteral("a.mht")
                         << QByteArray("From: <Saved>\r\nSubject: a\r\nMIME-Version: 1.0\r\n"
                                       "Content-Type: multipart/related; type=\"text/html\"; "
                                       "boundary=\"XX\"\r\n\r\n--XX\r\n"
                                       "Content-Type: text/html; charset=utf-8\r\n"
                                       "Content-Location: http://example.invalid/a.html\r\n"
                                       "Content-Transfer-Encoding: 8bit\r\n\r\n"
                                       "<html><body><p>Archived words</p></body></html>\r\n"
                                       "--XX--\r\n")
                         << QStringLiteral("Archived words");
}

void TestWebPage::pagesGiveTheirText() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(load(QUrl::fromLocalFile(write(name, bytes))).trimmed(), text);
}

// The page asks for a pop-up, the camera and the location, then goes to a page that shows what
// it got by then.
void TestWebPage::popUpsAndPermissionsGetNothing() {
    write(QStringLiteral("result.html"),
          "<html><body><script>document.write(decodeURIComponent(location.search.slice(1)))"
          "</script></body></html>");
    const QString page =
        write(QStringLiteral("ask.html"),
              "<html><body><p>asking</p><script>"
              "const w = window.open('about:blank');"
              "const r = ['popup:' + (w ? 'open' : 'none')];"
              "const report = () => { location.href = 'result.html?' +"
              " encodeURIComponent(r.join(' ')); };"
              "const done = () => { if (r.length == 3) report(); };"
              "setTimeout(report, 3000);"
              "navigator.mediaDevices.getUserMedia({video: true})"
              ".then(() => r.push('camera:yes'), () => r.push('camera:no')).then(done);"
              "navigator.geolocation.getCurrentPosition(() => { r.push('where:yes'); done(); },"
              " () => { r.push('where:no'); done(); });"
              "</script></body></html>");
    // Served over HTTP: a local file may not navigate to another local file.
    QProcess server;
    server.setWorkingDirectory(m_dir.path());
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"),
                  QStringLiteral("--bind"), QStringLiteral("127.0.0.1"), QStringLiteral("0")});
    QRegularExpressionMatch port;
    QVERIFY(QTest::qWaitFor(
        [&] {
            server.waitForReadyRead(100);
            port = QRegularExpression(QStringLiteral("port (\\d+)")).match(server.peek(4096));
            return port.hasMatch();
        },
        10'000));
    load(QUrl(QStringLiteral("http://127.0.0.1:%1/%2")
                  .arg(port.captured(1), QFileInfo(page).fileName())));
    QVERIFY(QTest::qWaitFor([&] { return m_texts.size() >= 2; }, 60'000));
    const QString answer = m_texts.last();
    QVERIFY2(answer.contains(QStringLiteral("popup:none")), qPrintable(answer));
    // A request left unanswered gets nothing either.
    QVERIFY2(!answer.contains(QStringLiteral("yes")), qPrintable(answer));
}

// A downloaded page must not put the user's other files into the editor.
void TestWebPage::localPagesCannotReadOtherFiles() {
    write(QStringLiteral("secret.txt"), "the user's secret");
    const QString page =
        write(QStringLiteral("reader.html"),
              "<html><body><script>"
              "const x = new XMLHttpRequest();"
              "try { x.open('GET', 'secret.txt', false); x.send(); document.write('read:' + "
              "x.responseText); } catch (e) { document.write('refused'); }"
              "</script></body></html>");
    const QString text = load(QUrl::fromLocalFile(page));
    QVERIFY2(!text.contains(QStringLiteral("secret")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("refused")) || text.trimmed() == QStringLiteral("read:"),
             qPrintable(text));
}

void TestWebPage::failedLoadGivesTheErrorPagesText() {
    const QString text = load(QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("gone.html"))));
    QVERIFY(!text.isNull());
    QVERIFY(!text.trimmed().isEmpty());
}

void TestWebPage::missingModuleIsReported() {
    ModuleBrowser browser(m_dir.filePath(QStringLiteral("none.so")));
    try {
        browser.navigate(QUrl(QStringLiteral("about:blank")));
        QFAIL("no failure");
    } catch (const AppError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("none.so")), qPrintable(error.message()));
    }
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    TestWebPage test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_web_page.moc"
