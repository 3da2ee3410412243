#include "app/app_error.h"
#include "speech/registry_store.h"
#include "speech/voice_tokens.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The store as text: each key sorted by path, its values in the order written. Key names
// compare without case, so the spelling of a key can be folded away.
QString dump(const RegistryStore& store, bool foldKeys = false) {
    QString text;
    for (const RegistryStore::Key& key : store.keys()) {
        text += (foldKeys ? key.path.toLower() : key.path) + u'\n';
        for (const RegistryStore::Value& value : key.values)
            text += QStringLiteral("  %1=%2\n")
                        .arg(value.name.isEmpty() ? QStringLiteral("@") : value.name, value.data);
    }
    return text;
}

const QString PhoneMap = QStringLiteral(
    "AA 000a AA1 000a0008 AA2 000a0009 AE 000b AE1 000b0008 AE2 000b0009 AH 000c AH1 000c0008 AH2 "
    "000c0009 AO 000d AO1 000d0008 AO2 000d0009 AW 000e AW1 000e0008 AW2 000e0009 AX 000f AX1 "
    "000f0008 AX2 000f0009 AY 0010 AY1 00100008 AY2 00100009 B 0011 CH 0012 D 0013 DH 0014 EH 0015 "
    "EH1 00150008 EH2 00150009 ER 0016 ER1 00160008 ER2 00160009 EY 0017 EY1 00170008 EY2 00170009 "
    "F 0018 G 0019 H 001a IH 001b  IH1 001b0008 IH2 001b0009 IY 001c IY1 001c0008 IY2 001c0009 JH "
    "001d K 001e L 001f M 0020 N 0021 NG 0022 OW 0023 OW1 00230008 OW2 00230009 OY 0024 OY1 "
    "00240008 OY2 00240009 P 0025 R 0026 S 0027 SH 0028 T 0029 TH 002a UH 002b UH1 002b0008 UH2 "
    "002b0009 UW 002c UW1 002c0008 UW2 002c0009 V 002d W 002e Y 002f Z 0030 ZH 0031");

// The tree one voice leaves, as the voice registry of the speech runtime expects it.
QString voiceTree(const QString& token, const QString& name, const QString& gender,
                  const QString& voiceFiles, const QString& drive) {
    const QString lexicon =
        drive +
        QStringLiteral("\\Program Files\\Common Files\\SpeechEngines\\Microsoft\\Lexicon\\1033\\");
    const QString base = QStringLiteral("SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\") + token;
    return base +
           QStringLiteral("\n  @=%1\n  409=%1\n  CLSID={65DBDDEF-0725-11D3-B50C-00C04F797396}\n"
                          "  VoiceData=%2.spd\n  VoiceDef=%2.sdf\n")
               .arg(name, voiceFiles) +
           base +
           QStringLiteral("\\Attributes\n  @=\n  Age=Adult\n  Gender=%1\n  Language=409;9\n"
                          "  Name=%2\n  Vender=Microsoft\n  VendorPreferred=\n")
               .arg(gender, name) +
           base +
           QStringLiteral("\\Lex\n  @=\n  CLSID={90903716-2F42-11D3-9C26-00C04F8EF87C}\n"
                          "  DataFile=%1LTTS1033.LXA\n")
               .arg(lexicon) +
           base +
           QStringLiteral("\\LTS\n  @=\n  CLSID={685879BA-3263-11D3-9C26-00C04F8EF87C}\n"
                          "  DataFile=%1r1033tts.LXA\n")
               .arg(lexicon) +
           base +
           QStringLiteral("\\LTS\\PhoneConverter\n  @=Microsoft English LTS Phone Converter\n"
                          "  CLSID={9185F743-1143-4C28-86B5-BFF14F20E5C8}\n  PhoneMap=%1\n")
               .arg(PhoneMap);
}

const QString Ancestors =
    QStringLiteral("SOFTWARE\nSOFTWARE\\Microsoft\nSOFTWARE\\Microsoft\\Speech\n"
                   "SOFTWARE\\Microsoft\\Speech\\Voices\n"
                   "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\n");

// Lower-cases the key lines of a dump.
QString fold(const QString& dumped) {
    QStringList lines = dumped.split(u'\n');
    for (QString& line : lines) {
        if (!line.startsWith(u' '))
            line = line.toLower();
    }
    return lines.join(u'\n');
}

} // namespace

class TestVoiceTokens : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void phoneMapHasItsLength();
    void bothVoicesGiveTheWholeTree_data();
    void bothVoicesGiveTheWholeTree();
    void registeringReplacesAnEarlierToken();
    void removalLeavesOtherTokens();
    void namesCompareWithoutCase();
    void storeSurvivesSaveAndLoad();
    void malformedStoreIsRefused_data();
    void malformedStoreIsRefused();
    void drivePart_data();
    void drivePart();
};

void TestVoiceTokens::phoneMapHasItsLength() {
    QCOMPARE(PhoneMap.size(), 719);
    QCOMPARE(PhoneMap.count(QStringLiteral("  ")), 1);
}

void TestVoiceTokens::bothVoicesGiveTheWholeTree_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("drive");
    QTest::addColumn<QString>("filesOf");
    QTest::addColumn<bool>("tokensExist");
    QTest::newRow("blanks in the folder, written verbatim")
        << "C:\\Program Files\\Parlora Reader\\"
        << "C:"
        << "C:\\Program Files\\Parlora Reader\\TTS\\" << true;
    QTest::newRow("no Tokens key yet") << "C:\\Parlora\\"
                                       << "C:"
                                       << "C:\\Parlora\\TTS\\" << false;
    QTest::newRow("Windows on drive D") << "D:\\Apps\\"
                                        << "D:"
                                        << "D:\\Apps\\TTS\\" << true;
    QTest::newRow("a folder of this desktop") << "/opt/parlora reader/bin/"
                                              << ""
                                              << "/opt/parlora reader/bin/TTS/" << true;
}

void TestVoiceTokens::bothVoicesGiveTheWholeTree() {
    QFETCH(QString, folder);
    QFETCH(QString, drive);
    QFETCH(QString, filesOf);
    QFETCH(bool, tokensExist);
    RegistryStore store;
    if (tokensExist)
        store.create(VoiceTokensKey);
    const VoiceTokenPlace place{folder, drive};
    registerVoice(store, ExtraVoice::Mike, place);
    registerVoice(store, ExtraVoice::Mary, place);
    const QString expected =
        Ancestors +
        voiceTree(QStringLiteral("MsMary"), QStringLiteral("Microsoft Mary"),
                  QStringLiteral("Female"), filesOf + QStringLiteral("mary"), drive) +
        voiceTree(QStringLiteral("MsMike"), QStringLiteral("Microsoft Mike"),
                  QStringLiteral("Male"), filesOf + QStringLiteral("mike"), drive);
    // A key is spelt as the step that made it spells it; the values are exact.
    QCOMPARE(dump(store, true), fold(expected));

    removeVoice(store, ExtraVoice::Mary);
    removeVoice(store, ExtraVoice::Mike);
    QCOMPARE(dump(store), Ancestors);
}

void TestVoiceTokens::registeringReplacesAnEarlierToken() {
    RegistryStore store;
    store.create(VoiceTokensKey + QStringLiteral("\\MSMary\\Stale"));
    store.setValue(VoiceTokensKey + QStringLiteral("\\MSMary"), QStringLiteral("VoiceData"),
                   QStringLiteral("old"));
    removeVoice(store, ExtraVoice::Mary);
    registerVoice(store, ExtraVoice::Mary, {QStringLiteral("C:\\P\\"), QStringLiteral("C:")});
    const QString tree = dump(store);
    QVERIFY(!tree.contains(QStringLiteral("Stale")));
    QVERIFY(tree.contains(QStringLiteral("VoiceData=C:\\P\\TTS\\mary.spd\n")));
    QVERIFY(!tree.contains(QStringLiteral("=old")));
}

void TestVoiceTokens::removalLeavesOtherTokens() {
    RegistryStore store;
    for (const char* token : {"MSMary", "MSMaryland", "MSMike", "Other"})
        store.create(VoiceTokensKey + u'\\' + QString::fromLatin1(token) +
                     QStringLiteral("\\Attributes"));
    removeVoice(store, ExtraVoice::Mary);
    removeVoice(store, ExtraVoice::Mike);
    QVERIFY(!store.exists(VoiceTokensKey + QStringLiteral("\\MSMary")));
    QVERIFY(!store.exists(VoiceTokensKey + QStringLiteral("\\MSMike\\Attributes")));
    QVERIFY(store.exists(VoiceTokensKey + QStringLiteral("\\MSMaryland\\Attributes")));
    QVERIFY(store.exists(VoiceTokensKey + QStringLiteral("\\Other")));
}

void TestVoiceTokens::namesCompareWithoutCase() {
    RegistryStore store;
    store.create(QStringLiteral("A\\MSMary"));
    QVERIFY(store.exists(QStringLiteral("\\a\\msmary")));
    store.setValue(QStringLiteral("a\\MsMary"), QStringLiteral("Name"), QStringLiteral("1"));
    store.setValue(QStringLiteral("A\\MSMARY\\"), QStringLiteral("NAME"), QStringLiteral("2"));
    QCOMPARE(dump(store), QStringLiteral("A\nA\\MSMary\n  Name=2\n"));
    QVERIFY_THROWS_EXCEPTION(AppError,
                             store.setValue(QStringLiteral("B"), QStringLiteral("x"), {}));
}

void TestVoiceTokens::storeSurvivesSaveAndLoad() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("voices.json"));
    QCOMPARE(dump(RegistryStore::load(file)), QString()); // missing file: empty store
    RegistryStore store;
    registerVoice(store, ExtraVoice::Mary, {QStringLiteral("/opt/语音/"), QString()});
    store.setValue(VoiceTokensKey, QString(), QStringLiteral(" blank edges \t"));
    store.save(file);
    QCOMPARE(dump(RegistryStore::load(file)), dump(store));
}

void TestVoiceTokens::malformedStoreIsRefused_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not JSON") << QByteArray("\x00\xff garbage", 10);
    QTest::newRow("an object") << QByteArray("{}");
    QTest::newRow("a key without a path") << QByteArray("[{\"values\":[]}]");
}

void TestVoiceTokens::malformedStoreIsRefused() {
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("voices.json"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(content);
    out.close();
    QVERIFY_THROWS_EXCEPTION(AppError, RegistryStore::load(file));
}

void TestVoiceTokens::drivePart_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("drive");
    QTest::newRow("letter") << "D:\\WINDOWS"
                            << "D:";
    QTest::newRow("unix") << "/usr/bin/"
                          << "";
    QTest::newRow("relative with colon") << "a\\b:c"
                                         << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestVoiceTokens::drivePart() {
    QFETCH(QString, path);
    QFETCH(QString, drive);
    QCOMPARE(::drivePart(path), drive);
}

QTEST_GUILESS_MAIN(TestVoiceTokens)
#include "tst_voice_tokens.moc"
