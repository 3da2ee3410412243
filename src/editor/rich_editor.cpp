#include "rich_editor.h"

#include <QMimeData>
#include <QTimer>

RichEditor::RichEditor(QWidget* parent) : QTextEdit(parent) {
    // Any other change to the text (a file opened, an undo) ends a paste where it stands.
    connect(document(), &QTextDocument::contentsChange, this, [this] {
        if (isPasting() && !m_inserting)
            finishPaste();
    });
}

void RichEditor::insertFromMimeData(const QMimeData* source) {
    if (isPasting())
        return; // one paste at a time
    const bool rich =
        acceptRichText() &&
        (source->hasHtml() || source->hasFormat(QStringLiteral("application/x-qrichtext")));
    const QString text = rich ? QString() : source->text();
    if (text.size() <= 4 * PieceLength) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    m_pending = text;
    m_done = 0;
    m_cursor = textCursor();
    m_wasReadOnly = isReadOnly();
    setReadOnly(true); // nothing is typed into the middle of the paste
    viewport()->setCursor(Qt::BusyCursor);
    insertNextPiece();
}

// Pieces end after a line break where one is near, so that each lays out whole paragraphs.
void RichEditor::insertNextPiece() {
    qsizetype end = std::min(m_pending.size(), m_done + PieceLength);
    const qsizetype lineEnd = m_pending.indexOf(u'\n', end);
    if (lineEnd >= 0 && lineEnd < end + PieceLength)
        end = lineEnd + 1;
    m_inserting = true;
    if (m_done == 0) {
        m_cursor.beginEditBlock();
        m_cursor.removeSelectedText();
    } else {
        m_cursor.joinPreviousEditBlock();
    }
    m_cursor.insertText(m_pending.mid(m_done, end - m_done));
    m_cursor.endEditBlock();
    m_inserting = false;
    m_done = end;
    if (m_done < m_pending.size())
        QTimer::singleShot(0, this, &RichEditor::insertNextPiece);
    else
        finishPaste();
}

void RichEditor::finishPaste() {
    m_pending.clear();
    setReadOnly(m_wasReadOnly);
    viewport()->unsetCursor();
    setTextCursor(m_cursor);
    ensureCursorVisible();
}
