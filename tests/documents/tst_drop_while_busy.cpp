// Files dropped while an export or a conversion runs: refused like every other open, and never
// opened by whatever ends later.
#include "app/app_error.h"
#include "app/tfmain.h"
#include "platform/document_converter.h"
#include "platform/fakes/fake_platform.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QThread>
#include <QtTest>

#include <atomic>

namespace {

// "slow" pictures wait until cancelled or released, then fail or give their text; any other
// picture gives its text at once.
class ScriptedConverter : public ProcessConverter {
public:
    QString pictureText(const QString& path, const ConversionCancelled& cancelled,
                        const Recognition&) override {
        if (!path.contains(QStringLiteral("slow")))
            return QStringLiteral("later text");
        while (!cancelled() && !released)
            QThread::msleep(10);
        if (cancelled() || fails)
            throw AppError(QStringLiteral("识别失败"));
        return QStringLiteral("slow text");
    }
    std::atomic<bool> released{false};
    std::atomic<bool> fails{false};
};

enum class Operation { Export, Conversion };
enum class End { Finished, Cancelled, Failed };

} // namespace

class TestDropWhileBusy : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void dropIsRefusedAndForgotten_data();
    void dropIsRefusedAndForgotten();

private:
    QString write(const QString& name, const QByteArray& bytes) const;
    QDialog* progressDialog() const {
        return m_window->findChild<QDialog*>(QStringLiteral("JobProgress"));
    }

    std::unique_ptr<FakePlatform> m_fakes;
    ScriptedConverter m_converter;
    std::unique_ptr<TFmain> m_window;
    QTemporaryDir m_dir;
};

void TestDropWhileBusy::init() {
    m_fakes = std::make_unique<FakePlatform>();
    m_fakes->voice.voices = {{QStringLiteral("gmw/en"), QStringLiteral("English")}};
    m_converter.released = false;
    m_converter.fails = false;
    Platform platform = m_fakes->bundle();
    platform.converter = &m_converter;
    m_window = std::make_unique<TFmain>(platform);
    m_window->RichEdit1->setPlainText(QStringLiteral("mine"));
}

void TestDropWhileBusy::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

QString TestDropWhileBusy::write(const QString& name, const QByteArray& bytes) const {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestDropWhileBusy::dropIsRefusedAndForgotten_data() {
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<End>("end");
    QTest::addColumn<QString>("busy");
    QTest::addColumn<QString>("textAfterTheOperation");
    const QString exporting = QStringLiteral("正在导出，请稍候");
    const QString converting = QStringLiteral("正在转换，请稍候");
    QTest::newRow("export finished") << Operation::Export << End::Finished << exporting << "mine";
    QTest::newRow("export cancelled") << Operation::Export << End::Cancelled << exporting << "mine";
    QTest::newRow("conversion finished")
        << Operation::Conversion << End::Finished << converting << "slow text";
    QTest::newRow("conversion cancelled")
        << Operation::Conversion << End::Cancelled << converting << "mine";
    QTest::newRow("conversion failed")
        << Operation::Conversion << End::Failed << converting << "mine";
}

void TestDropWhileBusy::dropIsRefusedAndForgotten() {
    QFETCH(Operation, operation);
    QFETCH(End, end);
    QFETCH(QString, busy);
    QFETCH(QString, textAfterTheOperation);
    if (operation == Operation::Export) {
        m_fakes->voice.busy = true;
        m_fakes->dialogs.saveAnswers = {{m_dir.filePath(QStringLiteral("out.wav")), QString()}};
        m_window->NExportClick();
        QTRY_VERIFY(m_fakes->voice.calls().contains(QStringLiteral("Speak:1:mine")));
    } else {
        m_fakes->dialogs.openAnswers << write(QStringLiteral("slow.png"), "x");
        m_window->BtnOpenClick();
        QVERIFY(progressDialog());
    }

    m_window->FilesDropped({write(QStringLiteral("dropped.txt"), "dropped")});
    QDialog* progress = progressDialog();
    QVERIFY(progress && progress->isVisible());
    QCOMPARE(progress->findChild<QLabel*>()->text(), busy);
    QCOMPARE(m_window->RichEdit1->toPlainText(), QStringLiteral("mine"));

    if (end == End::Cancelled) {
        progress->findChild<QPushButton*>(QStringLiteral("Cancel"))->click();
    } else {
        m_converter.fails = end == End::Failed;
        m_converter.released = true;
        m_fakes->voice.busy = false;
    }
    QTRY_VERIFY_WITH_TIMEOUT(!progressDialog(), 10000);
    QCOMPARE(m_window->RichEdit1->toPlainText(), textAfterTheOperation);

    // The conversion after it brings its own text, not the drop's.
    m_fakes->dialogs.openAnswers << write(QStringLiteral("later.png"), "x");
    m_window->BtnOpenClick();
    QTRY_VERIFY_WITH_TIMEOUT(!progressDialog(), 10000);
    QCOMPARE(m_window->RichEdit1->toPlainText(), QStringLiteral("later text"));
}

QTEST_MAIN(TestDropWhileBusy)
#include "tst_drop_while_busy.moc"
