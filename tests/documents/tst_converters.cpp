#include "app/app_error.h"
#include "platform/document_converter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// The converters installed on this machine, run on fixtures made once with an office suite.
class TestConverters : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void wordDocument();
    void pdfDocument();
    void renamedTextFileReadsAsText();
    void pathWithBlanksAndLeadingDash();
    void refusedDocuments_data();
    void refusedDocuments();
    void hangingConverterEndsAtTheTimeOut();
    void whatAConverterLeftBehindEndsWithIt();
    void missingConvertersNameThePackage();
    void wordDocumentBeyondTheBasicPlane();
    void unreadableByAntiwordAloneNamesTheOfficePackage();

private:
    QString fixture(const QString& name);
    QString copy(const QString& fixtureName, const QString& name);
    // Only the stub converters of this test are found.
    void stubPath(const QStringList& programs,
                  const QByteArray& body = QByteArrayLiteral("exec /bin/sleep 30\n"));
    QString m_path;
    QTemporaryDir m_dir;
};

void TestConverters::init() {
    m_path = qEnvironmentVariable("PATH");
}

void TestConverters::cleanup() {
    qputenv("PATH", m_path.toLocal8Bit());
}

QString TestConverters::fixture(const QString& name) {
    QFile file(QStringLiteral(FIXTURES "/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString TestConverters::copy(const QString& fixtureName, const QString& name) {
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    QFile::copy(QStringLiteral(FIXTURES "/") + fixtureName, path);
    return path;
}

void TestConverters::stubPath(const QStringList& programs, const QByteArray& body) {
    const QString bin = m_dir.filePath(QStringLiteral("bin"));
    QDir(bin).removeRecursively();
    QDir().mkpath(bin);
    for (const QString& program : programs) {
        QFile script(bin + u'/' + program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n" + body);
        script.setPermissions(script.permissions() | QFile::ExeOwner);
    }
    qputenv("PATH", bin.toLocal8Bit());
}

// Paragraphs whole, table cells by tabs, every character right.
void TestConverters::wordDocument() {
    const QString text = ProcessConverter().wordText(
        copy(QStringLiteral("converter_sample.doc"), QStringLiteral("sample.doc")));
    const QStringList paragraphs = text.split(u'\n');
    for (const QString& expected :
         fixture(QStringLiteral("converter_sample.doc.txt")).split(u'\n', Qt::SkipEmptyParts)) {
        QVERIFY2(paragraphs.contains(expected), qPrintable(expected + u'\n' + text));
    }
    QVERIFY(!text.contains(u'|'));
}

void TestConverters::pdfDocument() {
    const QString text = ProcessConverter().pdfText(
        copy(QStringLiteral("converter_sample.pdf"), QStringLiteral("sample.pdf")));
    QCOMPARE(text.split(u'\n', Qt::SkipEmptyParts),
             fixture(QStringLiteral("converter_sample.pdf.txt")).split(u'\n', Qt::SkipEmptyParts));
}

// The fast converter refuses it; the office suite reads it as the text it is.
void TestConverters::renamedTextFileReadsAsText() {
    const QString path = m_dir.filePath(QStringLiteral("renamed.doc"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Plain words in a file named like a Word document.\n");
    file.close();
    QCOMPARE(ProcessConverter().wordText(path).trimmed(),
             QStringLiteral("Plain words in a file named like a Word document."));
}

void TestConverters::pathWithBlanksAndLeadingDash() {
    QDir(m_dir.path()).mkpath(QStringLiteral("a \"b\""));
    QDir::setCurrent(m_dir.filePath(QStringLiteral("a \"b\"")));
    copy(QStringLiteral("converter_sample.pdf"), QStringLiteral("a \"b\"/-q x.pdf"));
    QVERIFY(ProcessConverter()
                .pdfText(QStringLiteral("-q x.pdf"))
                .contains(QStringLiteral("Last line.")));
}

void TestConverters::refusedDocuments_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("word");
    QTest::addColumn<QString>("message");
    QTest::newRow("damaged PDF") << QByteArray("%PDF-1.4\n1 0 obj broken") << false
                                 << QStringLiteral("已损坏");
    QTest::newRow("empty PDF") << QByteArray() << false << QStringLiteral("已损坏");
    QTest::newRow("empty Word file") << QByteArray() << true << QStringLiteral("已损坏");
    QFile encrypted(QStringLiteral(FIXTURES "/converter_encrypted.pdf"));
    QVERIFY(encrypted.open(QIODevice::ReadOnly));
    QTest::newRow("PDF with an open password")
        << encrypted.readAll() << false << QStringLiteral("密码");
}

void TestConverters::refusedDocuments() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, word);
    QFETCH(QString, message);
    const QString path =
        m_dir.filePath(word ? QStringLiteral("bad.doc") : QStringLiteral("bad.pdf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    try {
        ProcessConverter converter;
        word ? converter.wordText(path) : converter.pdfText(path);
        QFAIL("no failure");
    } catch (const AppError& error) {
        QVERIFY2(error.message().contains(path) && error.message().contains(message),
                 qPrintable(error.message()));
    }
}

void TestConverters::hangingConverterEndsAtTheTimeOut() {
    stubPath({QStringLiteral("pdftotext")});
    QElapsedTimer clock;
    clock.start();
    try {
        ProcessConverter(500).pdfText(
            copy(QStringLiteral("converter_sample.pdf"), QStringLiteral("slow.pdf")));
        QFAIL("no failure");
    } catch (const AppError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("pdftotext")),
                 qPrintable(error.message()));
    }
    QVERIFY(clock.elapsed() < 20'000); // far below the stub's 30 s
}

// A converter that ends normally but leaves a program of its own running (the office suite's
// launcher does) takes it along.
void TestConverters::whatAConverterLeftBehindEndsWithIt() {
    const QString pidFile = m_dir.filePath(QStringLiteral("left.pid"));
    stubPath({QStringLiteral("pdftotext")},
             "/bin/sleep 600 >/dev/null 2>&1 &\necho $! >'" + QFile::encodeName(pidFile) +
                 "'\necho 'Words enough for a page that was typed, not scanned.'\n");
    const QString text = ProcessConverter().pdfText(
        copy(QStringLiteral("converter_sample.pdf"), QStringLiteral("left.pdf")));
    QCOMPARE(text.trimmed(),
             QStringLiteral("Words enough for a page that was typed, not scanned."));
    QFile file(pidFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto pid = pid_t(file.readAll().trimmed().toInt());
    QVERIFY(pid > 0);
    // Gone, or at most a corpse its new parent has not collected yet.
    const auto running = [pid] {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray line = stat.readAll();
        return !line.contains(") Z ");
    };
    QElapsedTimer clock;
    clock.start();
    while (running() && clock.elapsed() < 1000)
        QTest::qWait(20);
    const bool survived = running();
    if (survived)
        ::kill(pid, SIGKILL); // not to leave it behind after the failure
    QVERIFY2(!survived, "the converter's child still runs");
}

void TestConverters::missingConvertersNameThePackage() {
    stubPath({});
    const QString doc = copy(QStringLiteral("converter_sample.doc"), QStringLiteral("m.doc"));
    QVERIFY_THROWS_EXCEPTION(AppError, ProcessConverter().wordText(doc));
    try {
        ProcessConverter().wordText(doc);
    } catch (const AppError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("libreoffice-writer-nogui")),
                 qPrintable(error.message()));
    }
    try {
        ProcessConverter().pdfText(doc);
        QFAIL("no failure");
    } catch (const AppError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("poppler-utils")),
                 qPrintable(error.message()));
    }
}

// A Word file made here by the office suite from RTF: antiword shows the emoji and the rare
// character as replacement characters, so the office suite reads it.
void TestConverters::wordDocumentBeyondTheBasicPlane() {
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty())
        QSKIP("LibreOffice is not installed");
    const QString rtf = m_dir.filePath(QStringLiteral("plane.rtf"));
    QFile file(rtf);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("{\\rtf1\\ansi\\uc1 Smile \\u-10179?\\u-8704? rare \\u-10176?\\u-9216? "
               "\\u20013?\\u25991?\\par}");
    file.close();
    QProcess convert;
    convert.start(office, {QStringLiteral("-env:UserInstallation=file://") +
                               m_dir.filePath(QStringLiteral("profile")),
                           QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                           QStringLiteral("doc"), QStringLiteral("--outdir"), m_dir.path(), rtf});
    QVERIFY(convert.waitForFinished(60'000));
    const QString text = ProcessConverter().wordText(m_dir.filePath(QStringLiteral("plane.doc")));
    QVERIFY2(text.contains(QStringLiteral("Smile \U0001F600 rare \U00020000 中文")),
             qPrintable(text));
    QVERIFY(!text.contains(QChar::ReplacementCharacter));
}

void TestConverters::unreadableByAntiwordAloneNamesTheOfficePackage() {
    stubPath({});
    QFile script(m_dir.filePath(QStringLiteral("bin/antiword")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf 'text \\357\\277\\275\\n'\n");
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    script.close();
    const QString doc = copy(QStringLiteral("converter_sample.doc"), QStringLiteral("r.doc"));
    try {
        ProcessConverter().wordText(doc);
        QFAIL("no failure");
    } catch (const AppError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("libreoffice-writer-nogui")) &&
                     error.message().contains(doc),
                 qPrintable(error.message()));
    }
}

QTEST_GUILESS_MAIN(TestConverters)
#include "tst_converters.moc"
