#include "export/audiobook_dialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// MP3 first: the type a player on the move takes.
const int DefaultType = 1;

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

AudiobookDialog::AudiobookDialog(QList<Chapter> chapters, const QString& title,
                                 std::function<QString()> chooseFolder, QWidget* parent)
    : QDialog(parent), m_chapters(std::move(chapters)), m_chooseFolder(std::move(chooseFolder)) {
    setObjectName(QStringLiteral("AudiobookDialog"));
    setWindowTitle(QStringLiteral("导出为有声书"));

    m_folder = named(new QLineEdit(this), "EBookFolder");
    auto* browse = named(new QPushButton(QStringLiteral("浏览(&B)..."), this), "BtnBookFolder");
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);

    m_type = named(new QComboBox(this), "CBBookType");
    for (const ExportFileType& type : exportFileTypes())
        m_type->addItem(type.filter);
    m_type->setCurrentIndex(DefaultType);
    // A form label names its box but not the box's pop-up list.
    m_type->view()->setAccessibleName(QStringLiteral("文件类型"));

    m_perChapter =
        named(new QRadioButton(QStringLiteral("每章一个文件(&E)"), this), "RBPerChapter");
    auto* oneFile =
        named(new QRadioButton(QStringLiteral("一个文件，带章节标记(&M)"), this), "RBOneFile");
    m_perChapter->setChecked(true);
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(m_perChapter);
    modeRow->addWidget(oneFile);
    modeRow->addStretch(1);

    m_subtitles = named(new QComboBox(this), "CBSubtitles");
    m_subtitles->addItem(QStringLiteral("无"), int(SubtitleKind::None));
    m_subtitles->addItem(QStringLiteral("SRT"), int(SubtitleKind::Srt));
    m_subtitles->addItem(QStringLiteral("LRC"), int(SubtitleKind::Lrc));
    m_subtitles->view()->setAccessibleName(QStringLiteral("字幕"));

    m_title = named(new QLineEdit(title, this), "EBookTitle");
    m_author = named(new QLineEdit(this), "EBookAuthor");
    m_author->setPlaceholderText(QStringLiteral("不填则用语音的名称"));

    // The folder's row is a line edit and a button: its label is given the line edit by hand.
    auto* folderLabel = new QLabel(QStringLiteral("保存到文件夹(&F):"), this);
    folderLabel->setBuddy(m_folder);
    auto* form = new QFormLayout;
    form->addRow(folderLabel, folderRow);
    form->addRow(QStringLiteral("文件类型(&T):"), m_type);
    form->addRow(QStringLiteral("分章方式:"), modeRow);
    form->addRow(QStringLiteral("字幕(&S):"), m_subtitles);
    form->addRow(QStringLiteral("书名(&N):"), m_title);
    form->addRow(QStringLiteral("作者(&A):"), m_author);

    m_list = named(new QListWidget(this), "LVChapters");
    m_list->setAccessibleName(QStringLiteral("章节"));
    m_list->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::SelectedClicked);
    m_join = named(new QPushButton(QStringLiteral("与上一章合并(&J)"), this), "BtnJoinChapter");
    m_drop = named(new QPushButton(QStringLiteral("删除此章(&D)"), this), "BtnDropChapter");
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(m_join);
    listButtons->addWidget(m_drop);
    listButtons->addStretch(1);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto* listLabel = new QLabel(QStringLiteral("章节(&C)（双击改名）:"), this);
    listLabel->setBuddy(m_list);
    layout->addWidget(listLabel);
    layout->addWidget(m_list, 1);
    layout->addLayout(listButtons);
    layout->addWidget(m_buttons);

    connect(browse, &QPushButton::clicked, this, [this] {
        if (const QString folder = m_chooseFolder(); !folder.isEmpty())
            m_folder->setText(folder);
    });
    connect(m_folder, &QLineEdit::textChanged, this, &AudiobookDialog::updateOk);
    connect(m_join, &QPushButton::clicked, this, &AudiobookDialog::joinChapter);
    connect(m_drop, &QPushButton::clicked, this, &AudiobookDialog::dropChapter);
    connect(m_list, &QListWidget::currentRowChanged, this, &AudiobookDialog::updateOk);
    connect(m_list, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { renameChapter(m_list->row(item)); });
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showChapters(0);
    resize(520, 560);
}

void AudiobookDialog::proposeAuthor(const QString& author) {
    m_author->setText(author);
}

AudiobookOptions AudiobookDialog::options() const {
    AudiobookOptions options;
    options.folder = m_folder->text().trimmed();
    options.type = exportFileTypes().value(m_type->currentIndex(), exportFileTypes().first());
    options.oneFile = !m_perChapter->isChecked();
    options.subtitles = SubtitleKind(m_subtitles->currentData().toInt());
    options.title = m_title->text().trimmed();
    options.author = m_author->text().trimmed();
    return options;
}

void AudiobookDialog::showChapters(int current) {
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    for (const Chapter& chapter : m_chapters) {
        auto* item = new QListWidgetItem(chapter.title, m_list);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    m_list->setCurrentRow(std::min(current, int(m_chapters.size()) - 1));
    updateOk();
}

void AudiobookDialog::joinChapter() {
    const int row = m_list->currentRow();
    m_chapters = joinedWithPrevious(m_chapters, row);
    showChapters(row - 1);
}

void AudiobookDialog::dropChapter() {
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    m_chapters.removeAt(row);
    showChapters(row);
}

// A title made empty keeps the one it had: files and marks need a name.
void AudiobookDialog::renameChapter(int row) {
    if (row < 0 || row >= m_chapters.size())
        return;
    const QString title = m_list->item(row)->text().simplified();
    if (title.isEmpty()) {
        const QSignalBlocker quiet(m_list);
        m_list->item(row)->setText(m_chapters[row].title);
        return;
    }
    m_chapters[row].title = title;
}

void AudiobookDialog::updateOk() {
    const int row = m_list->currentRow();
    m_join->setEnabled(row > 0);
    m_drop->setEnabled(row >= 0);
    m_buttons->button(QDialogButtonBox::Ok)
        ->setEnabled(!m_folder->text().trimmed().isEmpty() && !m_chapters.isEmpty());
}
