#include "app/app_error.h"
#include "platform/document_converter.h"
#include "scanned_page.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

// A baseline TIFF file of uncompressed grey pages (Qt writes one page a file only).
QByteArray tiffPages(const QList<QImage>& pages) {
    QByteArray file("II*\0", 4);
    const auto put = [&file](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file.append(char(value >> (8 * i)));
    };
    put(8, 4); // the first page's directory follows the header
    for (qsizetype index = 0; index < pages.size(); ++index) {
        const QImage& page = pages[index];
        const quint32 strip = quint32(file.size()) + 2 + 9 * 12 + 4;
        const quint32 size = quint32(page.width() * page.height());
        const std::pair<quint16, quint32> entries[] = {{256, page.width()},
                                                       {257, page.height()},
                                                       {258, 8},
                                                       {259, 1},
                                                       {262, 1},
                                                       {273, strip},
                                                       {277, 1},
                                                       {278, page.height()},
                                                       {279, size}};
        put(9, 2);
        for (const auto& [tag, value] : entries) {
            put(tag, 2);
            put(4, 2); // a long
            put(1, 4);
            put(value, 4);
        }
        put(index + 1 < pages.size() ? strip + size : 0, 4);
        for (int y = 0; y < page.height(); ++y)
            file.append(reinterpret_cast<const char*>(page.constScanLine(y)), page.width());
    }
    return file;
}

// The recognisers this process started and that are still there (ended or not).
int recognizerChildren() {
    int count = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (name) state ppid ...
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (line.contains("(parlora-ocr-wor") && fields.value(1).toLongLong() == ::getpid())
            ++count;
    }
    return count;
}
} // namespace

// Scanned pages and pictures read by the recogniser installed on this machine.
class TestPageRecognition : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void pictureIsRead();
    void scannedPdfIsRead();
    void everyPageOfATiffIsRead();
    void onlyPagesWithoutTextAreRecognised();
    void cancelEndsTheRecogniser();
    void refused_data();
    void refused();

private:
    struct PdfPage {
        QString text;   // drawn as text, found by the text extractor
        QImage picture; // drawn over the whole page, as a scanner's
    };
    QString writePdf(const QString& name, const QList<PdfPage>& pages);
    QString writePicture(const QString& name, const QImage& picture);
    QTemporaryDir m_dir;
    QByteArray m_tessdata;
};

void TestPageRecognition::init() {
    m_tessdata = qgetenv("TESSDATA_PREFIX");
}

void TestPageRecognition::cleanup() {
    if (m_tessdata.isNull())
        qunsetenv("TESSDATA_PREFIX");
    else
        qputenv("TESSDATA_PREFIX", m_tessdata);
}

QString TestPageRecognition::writePdf(const QString& name, const QList<PdfPage>& pages) {
    const QString path = m_dir.filePath(name);
    QPdfWriter pdf(path);
    pdf.setResolution(300);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins({});
    QPainter painter(&pdf);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0)
            pdf.newPage();
        if (!pages[i].picture.isNull())
            painter.drawImage(QRect(0, 0, pdf.width(), pdf.height()), pages[i].picture);
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPixelSize(50);
        painter.setFont(font);
        painter.drawText(QRect(300, 300, 1800, 400), Qt::TextWordWrap, pages[i].text);
    }
    return path;
}

QString TestPageRecognition::writePicture(const QString& name, const QImage& picture) {
    const QString path = m_dir.filePath(name);
    if (!picture.save(path))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// One page a report, and the text right but for a few characters in a hundred.
void TestPageRecognition::pictureIsRead() {
    const QString source = scannedPageText();
    QList<std::pair<int, int>> reports;
    Recognition recognition;
    recognition.pageStarted = [&](int page, int pages) { reports.append({page, pages}); };
    const QString text = ProcessConverter().pictureText(
        writePicture(QStringLiteral("scan.png"), scannedPage(source)), {}, recognition);
    const double errors = characterErrorRate(source, text);
    QVERIFY2(errors <= 0.05, qPrintable(QStringLiteral("%1\n%2").arg(errors).arg(text)));
    QCOMPARE(reports, (QList<std::pair<int, int>>{{1, 1}}));
    // Lines of a paragraph join: the first Chinese paragraph is one line again.
    QVERIFY2(text.split(u'\n').size() <= source.split(u'\n').size() + 1, qPrintable(text));
}

void TestPageRecognition::scannedPdfIsRead() {
    const QString source = scannedPageText();
    const QString text = ProcessConverter().pdfText(
        writePdf(QStringLiteral("scan.pdf"), {{{}, scannedPage(source)}}));
    const double errors = characterErrorRate(source, text);
    QVERIFY2(errors <= 0.05, qPrintable(QStringLiteral("%1\n%2").arg(errors).arg(text)));
}

void TestPageRecognition::everyPageOfATiffIsRead() {
    const QString path = m_dir.filePath(QStringLiteral("two pages.tiff"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(tiffPages({linePicture(QStringLiteral("First page words")),
                          linePicture(QStringLiteral("第二页的文字"))}));
    file.close();
    QList<std::pair<int, int>> reports;
    Recognition recognition;
    recognition.pageStarted = [&](int page, int pages) { reports.append({page, pages}); };
    const QString text = ProcessConverter().pictureText(path, {}, recognition);
    QCOMPARE(reports, (QList<std::pair<int, int>>{{1, 2}, {2, 2}}));
    QCOMPARE(text, QStringLiteral("First page words\n第二页的文字"));
}

// A page with text keeps it as the extractor gives it; an empty page and a scan under a page
// number are recognised, counted as the pages to recognise.
void TestPageRecognition::onlyPagesWithoutTextAreRecognised() {
    const QString layered = QStringLiteral("This page has a text layer of its own, kept as it is.");
    const QString scanned = QStringLiteral("Scanned words on the third page");
    const QString path =
        writePdf(QStringLiteral("mixed.pdf"),
                 {{layered, {}}, {{}, {}}, {QStringLiteral("3"), scannedPage(scanned)}});
    QList<std::pair<int, int>> reports;
    Recognition recognition;
    recognition.pageStarted = [&](int page, int pages) { reports.append({page, pages}); };
    const QStringList paragraphs =
        ProcessConverter().pdfText(path, {}, recognition).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(reports, (QList<std::pair<int, int>>{{1, 2}, {2, 2}}));
    QVERIFY2(paragraphs.size() == 2, qPrintable(paragraphs.join(u'|')));
    QCOMPARE(paragraphs[0].simplified(), layered.simplified());
    QVERIFY2(characterErrorRate(QStringLiteral("3 ") + scanned, paragraphs[1]) <= 0.1,
             qPrintable(paragraphs[1]));
}

// Cancelled once the page has begun: the recogniser ends within a look at the request, long
// before it could have read the page.
void TestPageRecognition::cancelEndsTheRecogniser() {
    const QString path = writePicture(QStringLiteral("long.png"), scannedPage(scannedPageText()));
    QElapsedTimer sinceCancel;
    Recognition recognition;
    recognition.pageStarted = [&](int, int) { sinceCancel.start(); };
    const auto cancelled = [&] { return sinceCancel.isValid() && sinceCancel.elapsed() > 100; };
    QString message;
    try {
        ProcessConverter().pictureText(path, cancelled, recognition);
    } catch (const AppError& error) {
        message = error.message();
    }
    QCOMPARE(message, QStringLiteral("转换已取消"));
    QVERIFY2(sinceCancel.elapsed() < 600, qPrintable(QString::number(sinceCancel.elapsed())));
    QCOMPARE(recognizerChildren(), 0);
}

void TestPageRecognition::refused_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("recognizer"); // a shell script standing in for it, or the real one
    QTest::addColumn<QString>("onlyData");   // the only recognition data found, when set
    QTest::addColumn<QString>("voice");
    QTest::addColumn<QString>("message");
    QTest::newRow("no recogniser") << "page.png"
                                   << "absent"
                                   << ""
                                   << ""
                                   << "没有找到文字识别程序";
    QTest::newRow("recogniser without its library") << "page.png"
                                                    << "exit 127"
                                                    << ""
                                                    << ""
                                                    << "请先安装 libtesseract5 软件包";
    QTest::newRow("Mandarin data missing") << "page.png"
                                           << ""
                                           << "eng"
                                           << "cmn"
                                           << "请先安装 tesseract-ocr-chi-sim 软件包";
    QTest::newRow("Cantonese data missing") << "page.png"
                                            << ""
                                            << "eng"
                                            << "yue"
                                            << "请先安装 tesseract-ocr-chi-tra 软件包";
    QTest::newRow("scanned PDF, no data at all") << "scan.pdf"
                                                 << ""
                                                 << "none"
                                                 << "en-gb"
                                                 << "请先安装 tesseract-ocr-eng 软件包";
    QTest::newRow("not a picture") << "text.png"
                                   << ""
                                   << ""
                                   << ""
                                   << "文件已损坏或不是图片";
    QTest::newRow("picture without text") << "white.png"
                                          << ""
                                          << ""
                                          << ""
                                          << "没有认出可以朗读的文字";
}

// Each with a message naming the file or the package to install.
void TestPageRecognition::refused() {
    QFETCH(QString, file);
    QFETCH(QString, recognizer);
    QFETCH(QString, onlyData);
    QFETCH(QString, voice);
    QFETCH(QString, message);
    QImage small(600, 200, QImage::Format_Grayscale8);
    small.fill(Qt::white);
    QString path;
    if (file == u"page.png") {
        QPainter(&small).drawText(small.rect(), Qt::AlignCenter, QStringLiteral("Some words"));
        path = writePicture(file, small);
    } else if (file == u"white.png") {
        path = writePicture(file, small);
    } else if (file == u"scan.pdf") {
        path = writePdf(file, {{{}, {}}});
    } else {
        path = m_dir.filePath(file);
        QFile text(path);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a picture at all");
    }
    QString program;
    if (recognizer == u"absent") {
        program = m_dir.filePath(QStringLiteral("absent"));
    } else if (!recognizer.isEmpty()) {
        program = m_dir.filePath(QStringLiteral("stub"));
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write("#!/bin/sh\n" + recognizer.toUtf8() + "\n");
        script.setPermissions(script.permissions() | QFile::ExeOwner);
    }
    if (!onlyData.isEmpty()) {
        const QString data = m_dir.filePath(QStringLiteral("tessdata"));
        QDir(data).removeRecursively();
        QDir().mkpath(data);
        const QString installed = QStringLiteral("/usr/share/tesseract-ocr/5/tessdata/");
        if (onlyData != u"none")
            QFile::link(installed + onlyData + ".traineddata",
                        data + u'/' + onlyData + ".traineddata");
        qputenv("TESSDATA_PREFIX", QFile::encodeName(data));
    }
    QString shown;
    try {
        const bool pdf = file.endsWith(u".pdf");
        ProcessConverter converter(60'000, program);
        pdf ? converter.pdfText(path, {}, {voice}) : converter.pictureText(path, {}, {voice});
    } catch (const AppError& error) {
        shown = error.message();
    }
    QVERIFY2(shown.contains(message), qPrintable(shown));
    if (recognizer.isEmpty() && onlyData.isEmpty())
        QVERIFY2(shown.contains(path), qPrintable(shown));
}

QTEST_MAIN(TestPageRecognition)
#include "tst_page_recognition.moc"
