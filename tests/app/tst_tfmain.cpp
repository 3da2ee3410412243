#include "app/error_report.h"
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

class TestTFmain : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void firstStartWithoutSettings();
    void componentsCarryTheirNames_data();
    void componentsCarryTheirNames();
    void menuVocabulary_data();
    void menuVocabulary();
    void hiddenBarsStayHiddenAfterRestart();
    void keyEchoMode_data();
    void keyEchoMode();
    void simpleOptionsComparedExactly();
    void savedFontAndColourApplied();
    void systemColourFormsAgree();
    void failingStartupStepIsReported();
    void exitWritesThirteenKeysWithoutVoices();
    void readOnlySettingsReported();
    void unreadableSettingsGiveTheDefaults();
    void ctrlPPrints();
    void fitsASmallScreen();
    void fullStop_data();
    void fullStop();

private:
    QString settingsPath() { return m_fakes->dataDirectory.filePath(QStringLiteral("set.ini")); }
    void writeSettingsFile(const QByteArray& text);
    TFmain* start();
    void restart();
    QString savedText();

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
};

void TestTFmain::init() {
    m_fakes = std::make_unique<FakePlatform>();
}

void TestTFmain::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

void TestTFmain::writeSettingsFile(const QByteArray& text) {
    m_fakes->dataDirectory.writeFile(QStringLiteral("set.ini"), text);
}

TFmain* TestTFmain::start() {
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    return m_window.get();
}

void TestTFmain::restart() {
    m_window.reset(); // the destroy handler writes the settings
    start();
}

QString TestTFmain::savedText() {
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void TestTFmain::firstStartWithoutSettings() {
    TFmain* w = start();
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    for (QAction* item : {w->NToolbar, w->NAddressBar, w->NProgressbar, w->NPropertybar})
        QVERIFY(item->isChecked());
    for (QWidget* bar : {w->PToolBar, w->PAddressBar, w->PPropertyBar})
        QVERIFY(!bar->isHidden());
    QVERIFY(!w->ProgressBar1->isHidden());
    QVERIFY(w->CBSpeakKeyAll->isChecked() && w->NSpeakKeyAll->isChecked());
    QVERIFY(!w->CBSpeakletterdigit->isChecked() && !w->NspeakLetterDigit->isChecked());
    QVERIFY(w->CBSpeakClipBrd->isChecked() && w->NspeakClipBrd->isChecked());
    QVERIFY(!w->CBShowKeyWord->isChecked() && !w->NshowKeyWord->isChecked());
    QVERIFY(!w->CBShowClipBrdText->isChecked() && !w->NshowclipBrdText->isChecked());
    QCOMPARE(w->RichEdit1->lineWrapMode(), QTextEdit::WidgetWidth);
    QVERIFY(w->NWordWrap->isChecked());
    QCOMPARE(w->RichEdit1->font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(w->RichEdit1->font().pointSize(), 8);
    QCOMPARE(w->RichEdit1->palette().color(QPalette::Base),
             QApplication::palette().color(QPalette::Base));
    QCOMPARE(w->windowTitle(), QStringLiteral("Parlora2008"));
    QCOMPARE(w->lblRate->text(), QStringLiteral("0"));
    QCOMPARE(w->ProgressBar1->maximum(), 10);
}

void TestTFmain::componentsCarryTheirNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tip");
    QTest::newRow("open") << "BtnOpen"
                          << "打开"
                          << "打开";
    QTest::newRow("paste") << "BtnPaste"
                           << "粘贴"
                           << "Paste";
    QTest::newRow("export") << "BtnExport"
                            << "导出"
                            << "Export Wav";
    QTest::newRow("aloud") << "BtnAloud"
                           << "朗读"
                           << "Aloud";
    QTest::newRow("pause") << "BtnPause"
                           << "暂停"
                           << "Pause";
    QTest::newRow("stop") << "BtnStop"
                          << "停止"
                          << "停止朗读";
    QTest::newRow("help") << "BtnHelp"
                          << "帮助"
                          << "帮助";
    QTest::newRow("about") << "BtnAbout"
                           << "关于"
                           << "关于";
    QTest::newRow("go") << "BtnGo"
                        << "转到"
                        << "";
}

void TestTFmain::componentsCarryTheirNames() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, tip);
    TFmain* w = start();
    auto* button = w->findChild<QToolButton*>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->toolTip(), tip);
    if (name != QStringLiteral("BtnGo")) {
        QCOMPARE(button->size(), QSize(74, 74));
        QVERIFY(!button->icon().pixmap(40, 40).isNull());
    }
}

void TestTFmain::menuVocabulary_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("visible");
    QTest::newRow("print") << "NPrint"
                           << "打印(&P)"
                           << "Ctrl+P" << true;
    QTest::newRow("paste shows the key only") << "NPaste"
                                              << "粘贴(&P)\tCtrl+P"
                                              << "" << true;
    QTest::newRow("undo") << "NUndo"
                          << "撤销(&U)"
                          << "Ctrl+Z" << true;
    QTest::newRow("replace") << "NReplace"
                             << "替换(&R)"
                             << "Ctrl+H" << true;
    QTest::newRow("date and time") << "NDateTime"
                                   << "日期/时间(&D)"
                                   << "F5" << true;
    QTest::newRow("help") << "NHelp"
                          << "帮助(&H)"
                          << "F1" << true;
    QTest::newRow("check updates hidden") << "NCheckUpdates"
                                          << "检查新版本(&C)"
                                          << "" << false;
    QTest::newRow("language menu hidden") << "NLanguage"
                                          << "语言(&L)"
                                          << "" << false;
    QTest::newRow("korean item") << "NKorean"
                                 << "??\?(Korean)"
                                 << "" << true;
    QTest::newRow("greek item") << "NGreek"
                                << "Ελληνικα(Greek)"
                                << "" << true;
    QTest::newRow("pop-up read aloud") << "NNAloud"
                                       << "朗读(&S)"
                                       << "" << true;
    QTest::newRow("show clipboard") << "NshowclipBrdText"
                                    << "显示剪贴板内容"
                                    << "" << true;
    QTest::newRow("tray restore") << "NHideShow"
                                  << "恢复窗口"
                                  << "" << true;
    QTest::newRow("tray clipboard") << "NNspeakClipBrd"
                                    << "朗读剪切板"
                                    << "" << true;
    QTest::newRow("tray korean item, full name") << "NNKorean"
                                                 << "한국어(Korean)"
                                                 << "" << true;
    QTest::newRow("tray greek item") << "NNGreak"
                                     << "Ελληνικα(Greek)"
                                     << "" << true;
    QTest::newRow("tray check updates hidden") << "NNCheckUpdates"
                                               << "检查新版本"
                                               << "" << false;
}

void TestTFmain::menuVocabulary() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    QFETCH(bool, visible);
    TFmain* w = start();
    const QList<QAction*> found = w->findChildren<QAction*>(name);
    QCOMPARE(found.size(), 1);
    QAction* item = found.first();
    QCOMPARE(item->text(), caption);
    QCOMPARE(item->shortcut().toString(), shortcut);
    QCOMPARE(item->isVisible(), visible);
}

void TestTFmain::hiddenBarsStayHiddenAfterRestart() {
    TFmain* w = start();
    w->NToolbar->trigger();
    w->NPropertybar->trigger();
    QVERIFY(w->PToolBar->isHidden() && !w->NToolbar->isChecked());
    restart();
    w = m_window.get();
    QVERIFY(w->PToolBar->isHidden() && !w->NToolbar->isChecked());
    QVERIFY(w->PPropertyBar->isHidden() && !w->NPropertybar->isChecked());
    QVERIFY(!w->PAddressBar->isHidden() && w->NAddressBar->isChecked());
    QVERIFY(!w->ProgressBar1->isHidden() && w->NProgressbar->isChecked());
    w->NToolbar->trigger();
    QVERIFY(!w->PToolBar->isHidden() && w->NToolbar->isChecked());
}

void TestTFmain::keyEchoMode_data() {
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<int>("checkedBox"); // -1: none of the four
    QTest::addColumn<QByteArray>("writtenBack");
    QTest::newRow("letters and digits")
        << QByteArray("LetterDigit") << 1 << QByteArray("Speakkey=LetterDigit");
    QTest::newRow("letters") << QByteArray("Letter") << 2 << QByteArray("SpeakKey=Letter");
    QTest::newRow("digits") << QByteArray("Digit") << 3 << QByteArray("SpeakKey=Digit");
    QTest::newRow("none") << QByteArray("None") << -1 << QByteArray("SpeakKey=None");
    QTest::newRow("other case changes nothing")
        << QByteArray("letterdigit") << -1 << QByteArray("SpeakKey=None");
}

void TestTFmain::keyEchoMode() {
    QFETCH(QByteArray, saved);
    QFETCH(int, checkedBox);
    QFETCH(QByteArray, writtenBack);
    writeSettingsFile("[set]\nSpeakkey=" + saved + "\n");
    TFmain* w = start();
    const QList<QCheckBox*> boxes{w->CBSpeakKeyAll, w->CBSpeakletterdigit, w->CBSpeakLetter,
                                  w->CBSpeakdigit};
    const QList<QAction*> items{w->NSpeakKeyAll, w->NspeakLetterDigit, w->NspeakLetter,
                                w->NSpeakdigit};
    const QList<QAction*> trayItems{w->NNSpeakKeyAll, w->NNSpeakLetterDigit, w->NNSpeakLetter,
                                    w->NNSpeakdigit};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(boxes[i]->isChecked(), i == checkedBox);
        QCOMPARE(items[i]->isChecked(), i == checkedBox);
        QCOMPARE(trayItems[i]->isChecked(), i == checkedBox);
    }
    m_window.reset();
    QVERIFY2(savedText().contains(QString::fromUtf8(writtenBack)), qPrintable(savedText()));
}

void TestTFmain::simpleOptionsComparedExactly() {
    writeSettingsFile("[set]\nShowKeyWord=Yes\nShowClipBrdText=yes\nSpeakClipBrd=No\n");
    TFmain* w = start();
    QVERIFY(w->CBShowKeyWord->isChecked() && w->NshowKeyWord->isChecked() &&
            w->NNshowkeyword->isChecked());
    QVERIFY(!w->CBShowClipBrdText->isChecked()); // "yes" is neither word: as built
    QVERIFY(!w->CBSpeakClipBrd->isChecked() && !w->NspeakClipBrd->isChecked());
}

void TestTFmain::savedFontAndColourApplied() {
    writeSettingsFile("[set]\nFont=\"Tahoma\", 12, [Bold|Italic], [clRed]\nColor=$0000FFFF\n"
                      "WordWrap=0\n");
    TFmain* w = start();
    const QFont font = w->RichEdit1->font();
    QCOMPARE(font.pointSize(), 12);
    QVERIFY(font.bold() && font.italic() && !font.underline());
    QCOMPARE(w->RichEdit1->palette().color(QPalette::Text), QColor(Qt::red));
    QCOMPARE(w->RichEdit1->palette().color(QPalette::Base), QColor(Qt::yellow));
    QCOMPARE(w->RichEdit1->lineWrapMode(), QTextEdit::NoWrap);
    QVERIFY(!w->NWordWrap->isChecked());
    m_window.reset();
    const QString saved = savedText();
    QVERIFY(saved.contains(QStringLiteral("Font=\"Tahoma\", 12, [Bold|Italic], [clRed]")));
    QVERIFY(saved.contains(QStringLiteral("Color=65535")));
    QVERIFY(saved.contains(QStringLiteral("WordWrap=0")));
}

void TestTFmain::systemColourFormsAgree() {
    writeSettingsFile("[set]\nColor=0xFF000005\n");
    const QColor fromHex = start()->RichEdit1->palette().color(QPalette::Base);
    m_window.reset();
    writeSettingsFile("[set]\nColor=-16777211\n");
    QCOMPARE(start()->RichEdit1->palette().color(QPalette::Base), fromHex);
    m_window.reset();
    QVERIFY(savedText().contains(QStringLiteral("Color=-16777211")));
}

void TestTFmain::failingStartupStepIsReported() {
    writeSettingsFile("[set]\nToolBar=0\n");
    m_fakes->dataDirectory.failing = true;
    TFmain* w = start();
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    const FakeDialogs::Message message = m_fakes->dialogs.messages.first();
    QCOMPARE(message.caption, QStringLiteral("Parlora"));
    QCOMPARE(message.text, QStringLiteral("无法创建文件夹 /nonexistent/parlora/。"));
    QCOMPARE(message.icon, Dialogs::Icon::Error);
    // The later steps never ran: everything as built.
    QVERIFY(!w->PToolBar->isHidden() && w->NToolbar->isChecked());
    QVERIFY(!w->CBSpeakKeyAll->isChecked() && !w->CBSpeakClipBrd->isChecked());
    QVERIFY(!w->NWordWrap->isChecked());
}

void TestTFmain::exitWritesThirteenKeysWithoutVoices() {
    start();
    m_window.reset();
    const QStringList lines = savedText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.first(), QStringLiteral("[set]"));
    QCOMPARE(lines.size(), 1 + 13 + 1); // and the follow-along highlight
    QVERIFY(lines.contains(QStringLiteral("HighlightReading=1")));
    QVERIFY(!savedText().contains(QStringLiteral("Engine")));
    QVERIFY(savedText().contains(QStringLiteral("SpeakKey=All\r\n")));
    QVERIFY(savedText().contains(QStringLiteral("Volume=80\r\n")));
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestTFmain::readOnlySettingsReported() {
    writeSettingsFile("[set]\nRate=1\n");
    QFile::setPermissions(settingsPath(), QFileDevice::ReadOwner);
    start();
    m_window.reset();
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QCOMPARE(m_fakes->dialogs.messages.first().text,
             QStringLiteral("Unable to write to %1.").arg(settingsPath()));
    QCOMPARE(savedText(), QStringLiteral("[set]\nRate=1\n"));
}

// A set.ini that cannot be read (here a folder of that name) is as good as missing: start-up
// runs to its end with the defaults, silently; only the write at exit says what is wrong.
void TestTFmain::unreadableSettingsGiveTheDefaults() {
    m_fakes->voice.voices = {{QStringLiteral("cmn"), QStringLiteral("Chinese")}};
    QVERIFY(QDir().mkpath(settingsPath()));
    TFmain* w = start();
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    QCOMPARE(w->cbVoices->count(), 1);
    QCOMPARE(w->TBVolume->value(), 80);
    QVERIFY(w->CBSpeakKeyAll->isChecked());
    QVERIFY(m_fakes->keyHook.calls.contains(QStringLiteral("HookOn")));
    m_window.reset();
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QCOMPARE(m_fakes->dialogs.messages.first().text,
             QStringLiteral("Unable to write to %1.").arg(settingsPath()));
}

// A netbook's 1024x600 screen leaves about 540 pixels under the title bar and a panel.
void TestTFmain::fitsASmallScreen() {
    TFmain* w = start();
    const QSize least = w->minimumSizeHint().expandedTo(w->minimumSize());
    QVERIFY2(least.height() <= 540, qPrintable(QString::number(least.height())));
    QVERIFY2(least.width() <= 1024, qPrintable(QString::number(least.width())));
}

void TestTFmain::ctrlPPrints() {
    TFmain* w = start();
    w->show();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->RichEdit1->setFocus();
    w->RichEdit1->setPlainText(QStringLiteral("abc"));
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    m_fakes->dialogs.printAnswers << pdf;
    QSignalSpy print(w->NPrint, &QAction::triggered);
    QSignalSpy paste(w->NPaste, &QAction::triggered);
    QTest::keyClick(w->RichEdit1, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(print.count(), 1);
    QCOMPARE(paste.count(), 0);
    QCOMPARE(w->RichEdit1->toPlainText(), QStringLiteral("abc"));
    QCOMPARE(m_fakes->dialogs.editorQuestions, QStringList{QStringLiteral("print")});
    QVERIFY(QFileInfo(pdf).size() > 0);
}

void TestTFmain::fullStop_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("added") << "Unable to write to /x"
                           << "Unable to write to /x.";
    QTest::newRow("kept") << "Done."
                          << "Done.";
    QTest::newRow("question") << "Why?"
                              << "Why?";
    QTest::newRow("Chinese stop") << "打印错误。"
                                  << "打印错误。";
    QTest::newRow("Chinese exclamation") << "打印错误!"
                                         << "打印错误!";
    QTest::newRow("Chinese message added") << "无法创建文件 /x/a.wav"
                                           << "无法创建文件 /x/a.wav。";
    QTest::newRow("empty") << ""
                           << "";
}

void TestTFmain::fullStop() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(withFullStop(message), shown);
}

QTEST_MAIN(TestTFmain)
#include "tst_tfmain.moc"
