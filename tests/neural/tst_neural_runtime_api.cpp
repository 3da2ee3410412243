// The runtime's structures as neural_runtime_api.h declares them, held against the library: it
// prints the configuration it was given, so each field must come out under its own name.
#include "platform/speech/neural_library.h"

#include <QFileInfo>
#include <QTemporaryFile>
#include <QTest>

#include <unistd.h>

class TestNeuralRuntimeApi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void version();
    void fieldsAsTheLibraryReadsThem_data();
    void fieldsAsTheLibraryReadsThem();

private:
    QString m_printed;
};

void TestNeuralRuntimeApi::initTestCase() {
    if (!QFileInfo::exists(neuralLibraryFolder() + QStringLiteral("/libsherpa-onnx-c-api.so")))
        QSKIP("The natural voices' runtime was not fetched (scripts/install-deps): nothing to "
              "check");
    SherpaOnnxOfflineTtsConfig config{};
    config.model.vits.model = "/nonexistent/vits-model.onnx";
    config.model.vits.lexicon = "/nonexistent/vits-lexicon.txt";
    config.model.vits.tokens = "/nonexistent/vits-tokens.txt";
    config.model.vits.data_dir = "/nonexistent/vits-data";
    config.model.vits.noise_scale = 0.25f;
    config.model.vits.noise_scale_w = 0.5f;
    config.model.vits.length_scale = 1.5f;
    config.model.matcha.acoustic_model = "/nonexistent/matcha-acoustic.onnx";
    config.model.matcha.vocoder = "/nonexistent/matcha-vocoder.onnx";
    config.model.matcha.lexicon = "/nonexistent/matcha-lexicon.txt";
    config.model.matcha.tokens = "/nonexistent/matcha-tokens.txt";
    config.model.matcha.data_dir = "/nonexistent/matcha-data";
    config.model.matcha.noise_scale = 0.375f;
    config.model.matcha.length_scale = 1.75f;
    // dict_dir is no longer printed (the runtime ignores it); the fields after it are, and
    // come out in their places only when it takes its room.
    config.model.kokoro.model = "/nonexistent/kokoro-model.onnx";
    config.model.kokoro.voices = "/nonexistent/kokoro-voices.bin";
    config.model.kokoro.tokens = "/nonexistent/kokoro-tokens.txt";
    config.model.kokoro.data_dir = "/nonexistent/kokoro-data";
    config.model.kokoro.length_scale = 2.25f;
    config.model.kokoro.lexicon = "/nonexistent/kokoro-lexicon-zh.txt";
    config.model.kokoro.lang = "kokoro-lang";
    config.model.num_threads = 3;
    config.model.debug = 1; // prints the configuration
    config.model.provider = "cpu";
    config.rule_fsts = "/nonexistent/rule.fst";
    config.max_num_sentences = 7;
    config.rule_fars = "/nonexistent/rule.far";
    config.silence_scale = 0.125f;

    // The library prints on stderr: lend it a file for the call.
    QTemporaryFile printed;
    QVERIFY(printed.open());
    const int savedStderr = dup(STDERR_FILENO);
    dup2(printed.handle(), STDERR_FILENO);
    const SherpaOnnxOfflineTts* tts = neuralLibrary().create(&config);
    dup2(savedStderr, STDERR_FILENO);
    close(savedStderr);
    QVERIFY(!tts); // none of the files exists
    printed.seek(0);
    m_printed = QString::fromUtf8(printed.readAll());
}

void TestNeuralRuntimeApi::version() {
    QCOMPARE(QString::fromLatin1(neuralLibrary().version()),
             QString::fromLatin1(NeuralLibrary::PinnedVersion));
}

void TestNeuralRuntimeApi::fieldsAsTheLibraryReadsThem_data() {
    QTest::addColumn<QString>("printed");
    QTest::newRow("vits.model") << "model=\"/nonexistent/vits-model.onnx\"";
    QTest::newRow("vits.lexicon") << "lexicon=\"/nonexistent/vits-lexicon.txt\"";
    QTest::newRow("vits.tokens") << "tokens=\"/nonexistent/vits-tokens.txt\"";
    QTest::newRow("vits.data_dir") << "data_dir=\"/nonexistent/vits-data\"";
    QTest::newRow("vits.noise_scale") << "noise_scale=0.25,";
    QTest::newRow("vits.noise_scale_w") << "noise_scale_w=0.5,";
    QTest::newRow("vits.length_scale") << "length_scale=1.5)";
    QTest::newRow("matcha.acoustic_model")
        << "acoustic_model=\"/nonexistent/matcha-acoustic.onnx\"";
    QTest::newRow("matcha.vocoder") << "vocoder=\"/nonexistent/matcha-vocoder.onnx\"";
    QTest::newRow("matcha.lexicon") << "lexicon=\"/nonexistent/matcha-lexicon.txt\"";
    QTest::newRow("matcha.tokens") << "tokens=\"/nonexistent/matcha-tokens.txt\"";
    QTest::newRow("matcha.data_dir") << "data_dir=\"/nonexistent/matcha-data\"";
    QTest::newRow("matcha.noise_scale") << "noise_scale=0.375,";
    QTest::newRow("matcha.length_scale") << "length_scale=1.75)";
    QTest::newRow("kokoro.model") << "model=\"/nonexistent/kokoro-model.onnx\"";
    QTest::newRow("kokoro.voices") << "voices=\"/nonexistent/kokoro-voices.bin\"";
    QTest::newRow("kokoro.tokens") << "tokens=\"/nonexistent/kokoro-tokens.txt\"";
    QTest::newRow("kokoro.data_dir") << "data_dir=\"/nonexistent/kokoro-data\"";
    QTest::newRow("kokoro.length_scale") << "length_scale=2.25,";
    QTest::newRow("kokoro.lexicon, after dict_dir")
        << "lexicon=\"/nonexistent/kokoro-lexicon-zh.txt\"";
    QTest::newRow("kokoro.lang") << "lang=\"kokoro-lang\")";
    QTest::newRow("num_threads") << "num_threads=3,";
    QTest::newRow("debug") << "debug=True,";
    QTest::newRow("provider") << "provider=\"cpu\")";
    QTest::newRow("rule_fsts") << "rule_fsts=\"/nonexistent/rule.fst\"";
    QTest::newRow("max_num_sentences") << "max_num_sentences=7,";
    QTest::newRow("rule_fars") << "rule_fars=\"/nonexistent/rule.far\"";
    QTest::newRow("silence_scale, the last field") << "silence_scale=0.125)";
}

void TestNeuralRuntimeApi::fieldsAsTheLibraryReadsThem() {
    QFETCH(QString, printed);
    QVERIFY2(m_printed.contains(printed), qPrintable(m_printed));
}

QTEST_GUILESS_MAIN(TestNeuralRuntimeApi)
#include "tst_neural_runtime_api.moc"
