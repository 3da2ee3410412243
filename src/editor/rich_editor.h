#pragma once

#include <QTextCursor>
#include <QTextEdit>

// The editor. A long plain text pasted or dropped into it goes in a piece at a time from the
// event loop, so that the window keeps painting while the editor lays the text out (several
// seconds for many megabytes); the paste stays one undo step. Rich text and short text are
// inserted at once, as any editor does.
class RichEditor : public QTextEdit {
    Q_OBJECT
public:
    static constexpr qsizetype PieceLength = 64 * 1024;

    explicit RichEditor(QWidget* parent = nullptr);
    bool isPasting() const { return !m_pending.isEmpty(); }

protected:
    void insertFromMimeData(const QMimeData* source) override;

private:
    void insertNextPiece();
    void finishPaste();

    QString m_pending; // the text being pasted
    qsizetype m_done = 0;
    QTextCursor m_cursor;
    bool m_inserting = false;
    bool m_wasReadOnly = false;
};
