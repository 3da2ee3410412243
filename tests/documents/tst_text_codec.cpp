#include "app/app_error.h"
#include "documents/recent_list_file.h"
#include "documents/text_codec.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

class TestTextCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decodes_data();
    void decodes();
    void splitsLines_data();
    void splitsLines();
    void encodesWithMarkAndCrLf();
    void roundTripsEveryCharacter();
    void recentListKeepsEmptyEntries();
    void recentListWriteFailureIsReported();
};

namespace {

QByteArray legacy(const char* encoding, const QString& text) {
    return QStringEncoder(encoding)(text);
}

QByteArray utf16(QStringEncoder::Encoding encoding, const QString& text) {
    return QStringEncoder(encoding)(text);
}

const QString Chinese =
    QStringLiteral("这是一个用于检测编码的中文文本文件，内容包括朗读、语音和设置。"
                   "我们希望程序能够正确识别简体中文的旧式编码，而不是把它显示成乱码。");

} // namespace

void TestTextCodec::decodes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString mixed = QStringLiteral("Aé中😀");
    QTest::newRow("UTF-16 LE mark")
        << QByteArray("\xFF\xFE", 2) + utf16(QStringEncoder::Utf16LE, mixed) << mixed;
    QTest::newRow("UTF-16 BE mark")
        << QByteArray("\xFE\xFF", 2) + utf16(QStringEncoder::Utf16BE, mixed) << mixed;
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF") + mixed.toUtf8() << mixed;
    QTest::newRow("UTF-8 without mark") << mixed.toUtf8() << mixed;
    QTest::newRow("odd last byte of UTF-16 dropped") << QByteArray("\xFF\xFE"
                                                                   "A\0B\0C",
                                                                   7)
                                                     << QStringLiteral("AB");
    QTest::newRow("mark alone") << QByteArray("\xFF\xFE", 2) << QString();
    QTest::newRow("one byte file is 8-bit text") << QByteArray("\xFF", 1) << QStringLiteral("ÿ");
    QTest::newRow("two bytes of a UTF-8 mark are not a mark")
        << QByteArray("\xEF\xBB", 2) << QStringLiteral("ï»");
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("a second mark is text")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx") << QStringLiteral("\uFEFFx");
    QTest::newRow("a second UTF-16 mark is text")
        << QByteArray("\xFF\xFE\xFF\xFEx\0", 6) << QStringLiteral("\uFEFFx");
    QTest::newRow("legacy GB18030") << legacy("GB18030", Chinese) << Chinese;
    const QString traditional =
        QStringLiteral("這是一個用於檢測編碼的繁體中文文字檔案，內容包括朗讀、語音與設定。我們希望"
                       "程式能夠正確辨識繁體中文的舊式編碼。");
    QTest::newRow("legacy Big5") << legacy("BIG5", traditional) << traditional;
    QTest::newRow("Latin-1 when nothing fits")
        << QByteArray("caf\xE9 cr\xE8me", 10) << QStringLiteral("café crème");
}

void TestTextCodec::decodes() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decodeText(bytes), text);
}

void TestTextCodec::splitsLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("LF and CR mixed") << "a\nb\rc\r\nd" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("break at the end adds nothing") << "a\r\n" << QStringList{"a"};
    QTest::newRow("empty lines kept") << "\r\n\r\nx\n\n" << QStringList{"", "", "x", ""};
    QTest::newRow("LF CR is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
    QTest::newRow("no text") << "" << QStringList{};
}

void TestTextCodec::splitsLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(splitLines(text), lines);
}

void TestTextCodec::encodesWithMarkAndCrLf() {
    QCOMPARE(encodeTextLines({QStringLiteral("A"), QString(), QStringLiteral("中")}),
             QByteArray("\xFF\xFE"
                        "A\0\r\0\n\0\r\0\n\0\x2D\x4E\r\0\n\0",
                        18));
    QCOMPARE(encodeTextLines({}), QByteArray("\xFF\xFE", 2));
}

void TestTextCodec::roundTripsEveryCharacter() {
    QString all;
    for (char32_t c = 1; c < 0x30000; c += 7) {
        if (c == u'\r' || c == u'\n' || (c >= 0xD800 && c < 0xE000))
            continue;
        all += QString::fromUcs4(&c, 1);
    }
    const QStringList lines{all, QString(), all.left(100)};
    QCOMPARE(splitLines(decodeText(encodeTextLines(lines))), lines);
}

void TestTextCodec::recentListKeepsEmptyEntries() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("files.ini"));
    QCOMPARE(readRecentListFile(path), QStringList{});
    const QStringList entries{QStringLiteral("/home/用户/a b.txt"), QString(),
                              QStringLiteral("https://example.org/")};
    writeRecentListFile(path, entries);
    QCOMPARE(readRecentListFile(path), entries);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("\xFF\xFE/\0"));
}

void TestTextCodec::recentListWriteFailureIsReported() {
    QTemporaryDir dir;
    QVERIFY_THROWS_EXCEPTION(
        AppError, writeRecentListFile(dir.filePath(QStringLiteral("gone/files.ini")), {}));
}

QTEST_GUILESS_MAIN(TestTextCodec)
#include "tst_text_codec.moc"
