// 导出为有声书: the dialog, then the book written as the window's long operation.
#include "app/progress_job.h"
#include "app/tfmain.h"
#include "documents/document_reading.h"
#include "export/audiobook_dialog.h"
#include "export/audiobook_export.h"
#include "platform/dialogs.h"
#include "platform/shell.h"

#include <QComboBox>
#include <QTextEdit>
#include <QUrl>

namespace {
const QString FolderCaption = QStringLiteral("请选择有声书保存目录:");
const QString UntitledBook = QStringLiteral("有声书");

// "第 2 / 5 章", and the characters of the whole book.
ProgressJob::Texts bookTexts(const QList<Chapter>& chapters) {
    ProgressJob::Texts texts{
        QStringLiteral("导出为有声书"), {}, QStringLiteral("正在导出，请稍候"), true};
    texts.describe = [chapters](qint64 done, qint64 total) {
        return QStringLiteral("正在导出：第 %1 / %2 章，已完成 %3 / %4 个字符")
            .arg(chapterAt(chapters, done))
            .arg(chapters.size())
            .arg(done)
            .arg(total);
    };
    return texts;
}
} // namespace

void TFmain::NExportBookClick() {
    if (longOperation().refuseWhileRunning())
        return;
    QString title = bookTitle(*RichEdit1->document(), CUrl->currentText());
    if (title.isEmpty())
        title = UntitledBook;
    const QList<Chapter> chapters = documentChapters(*RichEdit1->document(), title);
    if (chapters.isEmpty())
        return;
    auto* dialog = new AudiobookDialog(
        chapters, title,
        [this] { return m_platform.dialogs->existingDirectory(this, FolderCaption); }, this);
    dialog->proposeAuthor(documentAuthor(*RichEdit1->document()));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        guarded([&] { exportBook(dialog->chapters(), dialog->options()); });
    });
    dialog->open();
}

void TFmain::exportBook(const QList<Chapter>& chapters, AudiobookOptions options) {
    if (longOperation().refuseWhileRunning())
        return;
    noteCommandStarted();
    if (!prepareExportVoice())
        return;
    options.voiceName = cbVoices->currentText();
    AudioExport* exporter = &audioExport();
    Shell* shell = m_platform.shell;
    const SharedPronunciation dictionary = pronunciation();
    longOperation().start(
        bookTexts(chapters), [=](BackgroundJob::Control& control) -> BackgroundJob::Completion {
            const bool finished =
                AudiobookExport(*exporter, dictionary)
                    .exportBook(chapters, options, [&control](const BookProgress& progress) {
                        control.report(progress.done, progress.total);
                        return !control.cancelled();
                    });
            if (!finished)
                return {};
            return [=] { shell->openUrl(QUrl::fromLocalFile(options.folder).toString()); };
        });
}
