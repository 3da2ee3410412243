#include "voice_manager_dialog.h"

#include "speech/voice_display_name.h"
#include "speech/voice_download_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { Name, Language, Size, Licence, SampleRate, Speed, ColumnCount };

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

QString voiceLanguageText(const QString& tag) {
    const QString name = voiceDisplayNames({{QString(), tag, tag}}).first();
    return name.isEmpty() ? tag : name;
}

QString voiceSpeedText(double speed) {
    if (!(speed > 0))
        return QStringLiteral("未测量");
    return QStringLiteral("实时的 %1 倍").arg(speed, 0, 'f', speed < 10 ? 1 : 0);
}

QString voiceSizeText(qint64 bytes) {
    if (bytes >= 1024 * 1024)
        return QStringLiteral("%1 MB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
    return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
}

VoiceManagerDialog::VoiceManagerDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("语音管理"));
    setAccessibleName(windowTitle());
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("名称"), QStringLiteral("语言"),
                                        QStringLiteral("大小"), QStringLiteral("许可"),
                                        QStringLiteral("采样率"), QStringLiteral("速度")});
    m_table->setAccessibleName(QStringLiteral("已安装的自然语音"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(Licence, QHeaderView::Stretch);
    m_empty =
        new QLabel(QStringLiteral("还没有安装自然语音。用“下载”从推荐的语音中选一个，或把下载的"
                                  "语音压缩包（.tar.bz2）或语音文件夹用“导入”装进来，即可在语音"
                                  "列表中选用。"),
                   this);
    m_empty->setWordWrap(true);

    auto* importArchive = new QPushButton(QStringLiteral("导入压缩包(&I)..."), this);
    auto* importFolder = new QPushButton(QStringLiteral("导入文件夹(&F)..."), this);
    auto* download = new QPushButton(QStringLiteral("下载(&W)..."), this);
    m_remove = new QPushButton(QStringLiteral("删除(&D)"), this);
    m_listen = new QPushButton(QStringLiteral("试听(&L)"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(importArchive, &QPushButton::clicked, this,
            &VoiceManagerDialog::importArchiveRequested);
    connect(importFolder, &QPushButton::clicked, this, &VoiceManagerDialog::importFolderRequested);
    connect(download, &QPushButton::clicked, this, &VoiceManagerDialog::chooseDownload);
    connect(m_remove, &QPushButton::clicked, this,
            [this] { Q_EMIT removeRequested(chosenVoice()); });
    connect(m_listen, &QPushButton::clicked, this,
            [this] { Q_EMIT listenRequested(chosenVoice()); });
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &VoiceManagerDialog::updateButtons);

    auto* row = new QHBoxLayout;
    for (QPushButton* button : {importArchive, importFolder, download, m_remove, m_listen})
        row->addWidget(button);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_empty);
    layout->addWidget(m_table);
    layout->addLayout(row);
    layout->addWidget(buttons);
    resize(640, 320);
    setVoices({});
}

void VoiceManagerDialog::setVoices(const QList<NaturalVoiceStore::VoiceDetails>& voices) {
    const QString chosen = chosenVoice();
    m_table->setRowCount(0);
    for (const NaturalVoiceStore::VoiceDetails& voice : voices) {
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        m_table->setItem(row, Name, cell(voice.name));
        m_table->setItem(row, Language, cell(voiceLanguageText(voice.language)));
        m_table->setItem(row, Size, cell(voiceSizeText(voice.bytes)));
        m_table->setItem(row, Licence,
                         cell(voice.licence.isEmpty() ? QStringLiteral("未注明") : voice.licence));
        m_table->setItem(row, SampleRate,
                         cell(voice.sampleRate > 0 ? QStringLiteral("%1 Hz").arg(voice.sampleRate)
                                                   : QStringLiteral("未注明")));
        m_table->setItem(row, Speed, cell(voiceSpeedText(voice.speed)));
        if (voice.name == chosen || (chosen.isEmpty() && row == 0))
            m_table->selectRow(row);
    }
    m_table->resizeColumnsToContents();
    m_empty->setVisible(voices.isEmpty());
    updateButtons();
}

QString VoiceManagerDialog::chosenVoice() const {
    const QList<QTableWidgetItem*> chosen = m_table->selectedItems();
    return chosen.isEmpty() ? QString() : m_table->item(chosen.first()->row(), Name)->text();
}

void VoiceManagerDialog::updateButtons() {
    const bool any = !chosenVoice().isEmpty();
    m_remove->setEnabled(any);
    m_listen->setEnabled(any);
}

// The chooser is opened, not run in a loop of its own: the window may close meanwhile.
void VoiceManagerDialog::chooseDownload() {
    auto* chooser = new VoiceDownloadDialog(this, voiceCatalogue());
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    connect(chooser, &QDialog::accepted, this, [this, chooser] {
        if (const auto voice = chooser->chosenVoice())
            Q_EMIT downloadRequested(*voice);
    });
    chooser->open();
}
