// 导出为有声书 on the window: the dialog's proposals and changes, and the book it writes.
#include "app/tfmain.h"
#include "export/audiobook_dialog.h"
#include "platform/fakes/fake_platform.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QUrl>
#include <QtTest>

class TestAudiobookWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void dialogProposesTheDocumentsChapters();
    void everyLabelsKeyLeadsToItsField();
    void renamedAndJoinedChaptersAreWritten();
    void cancelledDialogWritesNothing();
    void trayItemOpensTheDialog();

private:
    AudiobookDialog* openDialog(QAction* item);
    void waitForJob() const;

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

const QString Book =
    QStringLiteral("第一章 起\n天亮了。\n第二章 承\n她走到河边。\n第三章 合\n夜深了。\n");

// An empty 16 kHz mono WAV file: what the fake stream leaves, for the tags to go into.
QByteArray emptyWav() {
    QByteArray wav("RIFF");
    const auto put32 = [&](quint32 v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
    const auto put16 = [&](quint16 v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
    put32(36);
    wav += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(16000);
    put32(32000);
    put16(2);
    put16(16);
    wav += "data";
    put32(0);
    return wav;
}

template <typename W> W* child(QWidget* parent, const char* name) {
    return parent->findChild<W*>(QString::fromLatin1(name));
}

QStringList rows(const QListWidget* list) {
    QStringList titles;
    for (int row = 0; row < list->count(); ++row)
        titles << list->item(row)->text();
    return titles;
}

} // namespace

void TestAudiobookWindow::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_fakes = std::make_unique<FakePlatform>();
    m_fakes->voice.voices = {{QStringLiteral("gmw/en"), QStringLiteral("English")}};
    m_fakes->fileStream.content = emptyWav();
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    m_window->RichEdit1->setPlainText(Book);
    m_fakes->voice.clearCalls();
}

void TestAudiobookWindow::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

AudiobookDialog* TestAudiobookWindow::openDialog(QAction* item) {
    item->trigger();
    return m_window->findChild<AudiobookDialog*>(QStringLiteral("AudiobookDialog"));
}

void TestAudiobookWindow::waitForJob() const {
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->findChild<QDialog*>(QStringLiteral("JobProgress")), 20000);
}

void TestAudiobookWindow::dialogProposesTheDocumentsChapters() {
    m_window->RichEdit1->setPlainText(QStringLiteral("河边的故事\n\n") + Book);
    AudiobookDialog* dialog = openDialog(m_window->NExportBook);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(child<QLineEdit>(dialog, "EBookTitle")->text(), QStringLiteral("河边的故事"));
    QCOMPARE(rows(child<QListWidget>(dialog, "LVChapters")),
             (QStringList{"河边的故事", "第一章 起", "第二章 承", "第三章 合"}));
    QCOMPARE(child<QComboBox>(dialog, "CBBookType")->currentText(), exportFileTypes()[1].filter);
    QVERIFY(child<QRadioButton>(dialog, "RBPerChapter")->isChecked());
    // Nowhere to write yet.
    auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    QVERIFY(!ok->isEnabled());
    m_fakes->dialogs.directoryAnswers = {m_dir->path()};
    child<QPushButton>(dialog, "BtnBookFolder")->click();
    QCOMPARE(child<QLineEdit>(dialog, "EBookFolder")->text(), m_dir->path());
    QVERIFY(ok->isEnabled());
    // The first chapter has none before it to join.
    child<QListWidget>(dialog, "LVChapters")->setCurrentRow(0);
    QVERIFY(!child<QPushButton>(dialog, "BtnJoinChapter")->isEnabled());
    child<QPushButton>(dialog, "BtnDropChapter")->click();
    QCOMPARE(rows(child<QListWidget>(dialog, "LVChapters")),
             (QStringList{"第一章 起", "第二章 承", "第三章 合"}));
    QCOMPARE(dialog->chapters().first().text, QStringLiteral("第一章 起\n天亮了。"));
}

// Alt and a label's underlined letter take the keyboard to the field beside it; a label without
// a field shows its "&" as it stands and the letter is typed into whatever has the focus.
void TestAudiobookWindow::everyLabelsKeyLeadsToItsField() {
    AudiobookDialog* dialog = openDialog(m_window->NExportBook);
    QVERIFY(dialog);
    static const QRegularExpression mnemonic(QStringLiteral("&[^&]"));
    int labelled = 0;
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        if (!label->text().contains(mnemonic))
            continue;
        QVERIFY2(label->buddy(), qPrintable(label->text()));
        ++labelled;
    }
    QCOMPARE(labelled, 6); // folder, type, subtitles, title, author, chapters
    auto* folder = child<QLineEdit>(dialog, "EBookFolder");
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    child<QLineEdit>(dialog, "EBookTitle")->setFocus();
    QTest::keyClick(dialog, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(folder->hasFocus());
    QVERIFY(folder->text().isEmpty());
}

void TestAudiobookWindow::renamedAndJoinedChaptersAreWritten() {
    AudiobookDialog* dialog = openDialog(m_window->NExportBook);
    QVERIFY(dialog);
    child<QLineEdit>(dialog, "EBookFolder")->setText(m_dir->path());
    child<QComboBox>(dialog, "CBBookType")->setCurrentIndex(0);  // WAV
    child<QComboBox>(dialog, "CBSubtitles")->setCurrentIndex(1); // SRT
    auto* list = child<QListWidget>(dialog, "LVChapters");
    list->item(1)->setText(QStringLiteral(" 河边 "));
    list->item(0)->setText(QString()); // refused: a chapter keeps a name
    list->setCurrentRow(2);
    child<QPushButton>(dialog, "BtnJoinChapter")->click();
    QCOMPARE(rows(list), (QStringList{"第一章 起", "河边"}));
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    waitForJob();

    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"01 第一章 起.srt", "01 第一章 起.wav", "02 河边.srt", "02 河边.wav"}));
    QFile srt(m_dir->filePath(QStringLiteral("02 河边.srt")));
    QVERIFY(srt.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(srt.readAll()).split(u'\n');
    QStringList cues;
    for (qsizetype line = 2; line < lines.size(); line += 4)
        cues << lines[line];
    QCOMPARE(cues, (QStringList{"第二章 承", "她走到河边。", "第三章 合", "夜深了。"}));
    QCOMPARE(m_fakes->shell.opened, QStringList{QUrl::fromLocalFile(m_dir->path()).toString()});
    QCOMPARE(m_fakes->fileStream.calls().filter(QStringLiteral("Open")).size(), 2);
}

void TestAudiobookWindow::cancelledDialogWritesNothing() {
    AudiobookDialog* dialog = openDialog(m_window->NExportBook);
    QVERIFY(dialog);
    child<QLineEdit>(dialog, "EBookFolder")->setText(m_dir->path());
    dialog->reject();
    QCoreApplication::processEvents();
    QVERIFY(QDir(m_dir->path()).isEmpty());
    QVERIFY(m_fakes->fileStream.calls().isEmpty());
    QVERIFY(m_fakes->voice.calls().filter(QStringLiteral("Voice:")).isEmpty());
}

void TestAudiobookWindow::trayItemOpensTheDialog() {
    QVERIFY(openDialog(m_window->NNNExportBook));
}

QTEST_MAIN(TestAudiobookWindow)
#include "tst_audiobook_window.moc"
