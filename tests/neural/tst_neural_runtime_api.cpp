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
