// The window closed by each of its roads while each long operation is known to run: the
// operation ends, nothing of it stays, and the settings are written.
#include "app/app_error.h"
#include "app/tfmain.h"
#include "platform/document_converter.h"
#include "platform/fakes/fake_platform.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTextEdit>
#include <QThread>
#include <QToolButton>
#include <QtTest>

#include <atomic>

namespace {

// Converts until it is cancelled.
class EndlessConverter : public ProcessConverter {
public:
    QString pictureText(const QString&, const ConversionCancelled& cancelled,
                        const Recognition&) override {
        running = true;
        while (!cancelled())
            QThread::msleep(5);
        running = false;
        throw AppError(QStringLiteral("转换已取消"));
    }
    std::atomic<bool> running{false};
};

enum class Operation { Export, Conversion, PageLoad };
enum class Road { TitleBar, FileMenu, Tray };

} // namespace

class TestCloseDuringOperations : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void closeEndsTheOperation_data();
    void closeEndsTheOperation();
};

void TestCloseDuringOperations::closeEndsTheOperation_data() {
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<Road>("road");
    const std::pair<const char*, Operation> operations[] = {{"export", Operation::Export},
                                                            {"conversion", Operation::Conversion},
                                                            {"page load", Operation::PageLoad}};
    const std::pair<const char*, Road> roads[] = {{"title bar", Road::TitleBar},
                                                  {"文件 退出", Road::FileMenu},
                                                  {"tray 关闭退出", Road::Tray}};
    for (const auto& [operationName, operation] : operations) {
        for (const auto& [roadName, road] : roads)
            QTest::addRow("%s, %s", operationName, roadName) << operation << road;
    }
}

void TestCloseDuringOperations::closeEndsTheOperation() {
    QFETCH(Operation, operation);
    QFETCH(Road, road);
    QTemporaryDir out;
    FakePlatform fakes;
    fakes.voice.voices = {{QStringLiteral("gmw/en"), QStringLiteral("English")}};
    EndlessConverter converter;
    Platform platform = fakes.bundle();
    platform.converter = &converter;
    auto window = std::make_unique<TFmain>(platform);
    window->RichEdit1->setPlainText(QStringLiteral("a long text"));

    switch (operation) {
    case Operation::Export:
        fakes.voice.busy = true;
        fakes.dialogs.saveAnswers = {{out.filePath(QStringLiteral("talk.wav")), QString()}};
        window->NExportClick();
        QTRY_VERIFY(fakes.voice.calls().contains(QStringLiteral("Speak:1:a long text")));
        break;
    case Operation::Conversion: {
        QFile picture(out.filePath(QStringLiteral("scan.png")));
        QVERIFY(picture.open(QIODevice::WriteOnly));
        picture.close();
        fakes.dialogs.openAnswers << picture.fileName();
        window->BtnOpenClick();
        QTRY_VERIFY(converter.running);
        QVERIFY(QFile::remove(picture.fileName()));
        break;
    }
    case Operation::PageLoad:
        window->CUrl->setEditText(QStringLiteral("http://example.com/"));
        window->BtnGo->click();
        QCOMPARE(fakes.browser.navigated.size(), 1);
        QCOMPARE(fakes.browser.stops, 0);
        break;
    }

    switch (road) {
    case Road::TitleBar:
        QVERIFY(window->close());
        break;
    case Road::FileMenu:
        window->NExit->trigger();
        break;
    case Road::Tray:
        window->NNExit->trigger();
        break;
    }
    QVERIFY(!window->isVisible());
    window.reset();

    QVERIFY(!converter.running);
    QVERIFY(QDir(out.path())
                .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    if (operation == Operation::PageLoad)
        QCOMPARE(fakes.browser.stops, 1);
    if (operation == Operation::Export)
        QVERIFY(fakes.fileStream.calls().contains(QStringLiteral("Close")));
    QVERIFY(QFile::exists(fakes.dataDirectory.filePath(QStringLiteral("set.ini"))));
    QVERIFY(fakes.dialogs.messages.isEmpty());
}

QTEST_MAIN(TestCloseDuringOperations)
#include "tst_close_during_operations.moc"
