#include "app/app_error.h"
#include "app/profile_file.h"
#include "app/profile_number.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestProfileFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsStrings_data();
    void readsStrings();
    void readsIntegers_data();
    void readsIntegers();
    void readsBooleans_data();
    void readsBooleans();
    void writesInPlaceAndKeepsTheRest();
    void appendsNewKeysToTheirSection();
    void savesAndReadsBackUnicode();
    void keepsUtf16FilesUtf16();
    void refusesReadOnlyFileAndKeepsIt();
    void refusesMissingFolder();
};

namespace {

const QString Sample = QStringLiteral("[Other]\r\n"
                                      "Rate=9\r\n"
                                      "\r\n"
                                      "[SET]\r\n"
                                      "; a comment\r\n"
                                      "rate = 5 \r\n"
                                      "Font=\"宋体\", 12, [Bold], [clRed]\r\n"
                                      "Empty=\r\n"
                                      "Mode=LetterDigit\r\n");

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

void TestProfileFile::readsStrings_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("section and key in other cases") << "set"
                                                    << "RATE"
                                                    << "5";
    QTest::newRow("first matching section wins") << "other"
                                                 << "rate"
                                                 << "9";
    QTest::newRow("value kept exactly") << "set"
                                        << "mode"
                                        << "LetterDigit";
    QTest::newRow("non-ASCII value") << "set"
                                     << "font"
                                     << "\"宋体\", 12, [Bold], [clRed]";
    QTest::newRow("empty value is not missing") << "set"
                                                << "Empty"
                                                << "";
    QTest::newRow("missing key") << "set"
                                 << "Volume"
                                 << "<default>";
    QTest::newRow("missing section") << "Language"
                                     << "Rate"
                                     << "<default>";
    QTest::newRow("comment is no key") << "set"
                                       << "; a comment"
                                       << "<default>";
}

void TestProfileFile::readsStrings() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const ProfileFile profile = ProfileFile::fromText(Sample);
    QCOMPARE(profile.readString(section, key, QStringLiteral("<default>")), expected);
}

void TestProfileFile::readsIntegers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    const int fallback = 77;
    QTest::newRow("decimal") << "42" << 42;
    QTest::newRow("negative") << "-16777211" << -16777211;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("0x hexadecimal") << "0xFF000005" << -16777211;
    QTest::newRow("0X capital") << "0X1f" << 31;
    QTest::newRow("dollar hexadecimal") << "$FF000005" << -16777211;
    QTest::newRow("0x0 is zero") << "0x0" << 0;
    QTest::newRow("0x alone is no number") << "0x" << fallback;
    QTest::newRow("word") << "Yes" << fallback;
    QTest::newRow("trailing letters") << "12abc" << fallback;
    QTest::newRow("empty") << "" << fallback;
    QTest::newRow("sign alone") << "-" << fallback;
    QTest::newRow("beyond 32 bits decimal") << "2147483648" << fallback;
    QTest::newRow("lowest 32-bit") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("beyond 32 bits hex") << "$100000000" << fallback;
    QTest::newRow("leading zeros in hex") << "$000000010" << 16;
    QTest::newRow("double prefix") << "0x0x10" << fallback;
    QTest::newRow("sign inside hex") << "$-10" << fallback;
}

void TestProfileFile::readsIntegers() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    const ProfileFile profile = ProfileFile::fromText(QStringLiteral("[set]\nValue=") + text);
    QCOMPARE(profile.readInteger(QStringLiteral("set"), QStringLiteral("value"), 77), expected);
}

void TestProfileFile::readsBooleans_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fallback");
    QTest::addColumn<bool>("expected");
    QTest::newRow("1") << "1" << false << true;
    QTest::newRow("0") << "0" << true << false;
    QTest::newRow("any other number is true") << "-3" << false << true;
    QTest::newRow("0x0 is false") << "0x0" << true << false;
    QTest::newRow("Yes is no number: default true") << "Yes" << true << true;
    QTest::newRow("Yes is no number: default false") << "Yes" << false << false;
}

void TestProfileFile::readsBooleans() {
    QFETCH(QString, text);
    QFETCH(bool, fallback);
    QFETCH(bool, expected);
    const ProfileFile profile = ProfileFile::fromText(QStringLiteral("[set]\nToolBar=") + text);
    QCOMPARE(profile.readBool(QStringLiteral("SET"), QStringLiteral("toolbar"), fallback),
             expected);
}

void TestProfileFile::writesInPlaceAndKeepsTheRest() {
    ProfileFile profile = ProfileFile::fromText(Sample);
    profile.writeString(QStringLiteral("set"), QStringLiteral("Speakkey"), QStringLiteral("All"));
    profile.writeInteger(QStringLiteral("Set"), QStringLiteral("Rate"), -3);
    QCOMPARE(profile.toText(), QStringLiteral("[Other]\r\n"
                                              "Rate=9\r\n"
                                              "\r\n"
                                              "[SET]\r\n"
                                              "; a comment\r\n"
                                              "Rate=-3\r\n"
                                              "Font=\"宋体\", 12, [Bold], [clRed]\r\n"
                                              "Empty=\r\n"
                                              "Mode=LetterDigit\r\n"
                                              "Speakkey=All\r\n"));
}

void TestProfileFile::appendsNewKeysToTheirSection() {
    ProfileFile profile = ProfileFile::fromText(QStringLiteral("[set]\nA=1\n\n[next]\nB=2\n"));
    profile.writeBool(QStringLiteral("SET"), QStringLiteral("ToolBar"), false);
    profile.writeString(QStringLiteral("new"), QStringLiteral("C"), QStringLiteral("3"));
    QCOMPARE(profile.toText(), QStringLiteral("[set]\r\nA=1\r\nToolBar=0\r\n\r\n[next]\r\nB=2\r\n"
                                              "[new]\r\nC=3\r\n"));
}

void TestProfileFile::savesAndReadsBackUnicode() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("set.ini"));
    const QString longValue(3000, u'字');
    ProfileFile profile = ProfileFile::load(path); // missing file: empty profile
    profile.writeString(QStringLiteral("set"), QStringLiteral("Font"), QStringLiteral("\"宋体\""));
    profile.writeString(QStringLiteral("set"), QStringLiteral("Long"), longValue);
    profile.save(path);

    const ProfileFile reread = ProfileFile::load(path);
    QCOMPARE(reread.readString(QStringLiteral("set"), QStringLiteral("font"), {}),
             QStringLiteral("\"宋体\""));
    QCOMPARE(reread.readString(QStringLiteral("set"), QStringLiteral("long"), {}),
             longValue.left(ProfileFile::MaxValueLength));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files) == QStringList{QStringLiteral("set.ini")});
}

void TestProfileFile::keepsUtf16FilesUtf16() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("set.ini"));
    const QString text = QStringLiteral("[set]\r\nName=中文\r\n");
    writeAll(path, QByteArray("\xFF\xFE", 2) +
                       QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));

    ProfileFile profile = ProfileFile::load(path);
    QCOMPARE(profile.readString(QStringLiteral("set"), QStringLiteral("name"), {}),
             QStringLiteral("中文"));
    profile.writeInteger(QStringLiteral("set"), QStringLiteral("Rate"), 2);
    profile.save(path);
    QVERIFY(readAll(path).startsWith(QByteArray("\xFF\xFE[\0s\0e\0t\0]\0", 12)));
    QCOMPARE(ProfileFile::load(path).readInteger(QStringLiteral("set"), QStringLiteral("rate"), 0),
             2);
}

void TestProfileFile::refusesReadOnlyFileAndKeepsIt() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("set.ini"));
    writeAll(path, "[set]\r\nRate=4\r\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);

    ProfileFile profile = ProfileFile::load(path);
    profile.writeInteger(QStringLiteral("set"), QStringLiteral("Rate"), 9);
    try {
        profile.save(path);
        QFAIL("a read-only file was replaced");
    } catch (const AppError& error) {
        QCOMPARE(error.message(), QStringLiteral("Unable to write to ") + path);
    }
    QCOMPARE(readAll(path), QByteArray("[set]\r\nRate=4\r\n"));
}

void TestProfileFile::refusesMissingFolder() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone/set.ini"));
    QVERIFY_THROWS_EXCEPTION(AppError, ProfileFile().save(path));
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profile_file.moc"
