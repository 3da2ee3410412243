#pragma once

#include "export/audiobook_export.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

// 导出为有声书: the folder, the file type, a file per chapter or one with chapter marks, the
// subtitles, the title and author, and the chapters found, which the user can rename, join
// with the one before, or drop.
class AudiobookDialog : public QDialog {
    Q_OBJECT
public:
    // chooseFolder asks the user for a folder; empty when none was chosen.
    AudiobookDialog(QList<Chapter> chapters, const QString& title,
                    std::function<QString()> chooseFolder, QWidget* parent);

    // The author the document names, in the author's box; the user may change it.
    void proposeAuthor(const QString& author);
    // The choices; the voice's name is the caller's to add.
    AudiobookOptions options() const;
    QList<Chapter> chapters() const { return m_chapters; }

private:
    void showChapters(int current);
    void joinChapter();
    void dropChapter();
    void renameChapter(int row);
    void updateOk();

    QList<Chapter> m_chapters;
    std::function<QString()> m_chooseFolder;
    QLineEdit* m_folder;
    QComboBox* m_type;
    QRadioButton* m_perChapter;
    QComboBox* m_subtitles;
    QLineEdit* m_title;
    QLineEdit* m_author;
    QListWidget* m_list;
    QPushButton* m_join;
    QPushButton* m_drop;
    QDialogButtonBox* m_buttons;
};
