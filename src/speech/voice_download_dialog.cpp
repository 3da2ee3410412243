#include "voice_download_dialog.h"

#include "speech/voice_manager_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { Name, Description, Language, Licence, Commercial, Size, ColumnCount };

QString commercialText(CatalogueVoice::Commercial commercial) {
    switch (commercial) {
    case CatalogueVoice::Commercial::Allowed:
        return QStringLiteral("是");
    case CatalogueVoice::Commercial::NotAllowed:
        return QStringLiteral("否");
    case CatalogueVoice::Commercial::Unknown:
        break;
    }
    return QStringLiteral("未知");
}

} // namespace

VoiceDownloadDialog::VoiceDownloadDialog(QWidget* parent, const QList<CatalogueVoice>& voices)
    : QDialog(parent), m_voices(voices) {
    setObjectName(QStringLiteral("VoiceDownloadDialog"));
    setWindowTitle(QStringLiteral("下载语音"));
    setAccessibleName(windowTitle());
    auto* note = new QLabel(QStringLiteral("选择要下载的自然语音。下载需要网络连接，"
                                           "完成后语音会自动安装。"),
                            this);
    note->setWordWrap(true);
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("voiceCatalogue"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("名称"), QStringLiteral("说明"),
                                        QStringLiteral("语言"), QStringLiteral("许可"),
                                        QStringLiteral("可商用"), QStringLiteral("大小")});
    m_table->setAccessibleName(QStringLiteral("可下载的自然语音"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(Licence, QHeaderView::Stretch);
    for (const CatalogueVoice& voice : voices) {
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        const QStringList texts{
            voice.name,
            voice.description,
            voiceLanguageText(voice.language),
            voice.licence.isEmpty() ? QStringLiteral("下载后见语音文件夹中的许可") : voice.licence,
            commercialText(voice.commercial),
            voice.bytes > 0 ? voiceSizeText(voice.bytes) : QStringLiteral("大小以下载为准")};
        for (int column = 0; column < ColumnCount; ++column)
            m_table->setItem(row, column, new QTableWidgetItem(texts.at(column)));
    }
    m_table->resizeColumnsToContents();

    auto* buttons = new QDialogButtonBox(this);
    m_download = buttons->addButton(QStringLiteral("下载(&W)"), QDialogButtonBox::AcceptRole);
    m_download->setObjectName(QStringLiteral("downloadButton"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_table, &QTableWidget::itemSelectionChanged, this,
            [this] { m_download->setEnabled(chosenVoice().has_value()); });
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(720, 260);
    if (!voices.isEmpty())
        m_table->selectRow(0);
    m_download->setEnabled(chosenVoice().has_value());
}

std::optional<CatalogueVoice> VoiceDownloadDialog::chosenVoice() const {
    const QList<QTableWidgetItem*> chosen = m_table->selectedItems();
    if (chosen.isEmpty())
        return std::nullopt;
    return m_voices.at(chosen.first()->row());
}
