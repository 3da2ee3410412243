// The edit and format commands: thin actions on the editor.
#include "app/tfmain.h"

#include "app/date_format.h"
#include "editor/date_stamp.h"
#include "platform/clock.h"
#include "platform/dialogs.h"

#include <QAction>
#include <QEvent>
#include <QLocale>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>

namespace {

// Runs an action when a mouse button is released over the window's own surface; presses on
// controls that take them never reach the window.
class MouseUpFilter : public QObject {
public:
    MouseUpFilter(QObject* parent, std::function<void()> action)
        : QObject(parent), m_action(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::MouseButtonRelease)
            m_action();
        return false;
    }

private:
    std::function<void()> m_action;
};

// The settings keep colours as 00BBGGRR.
qint32 colorValueOf(const QColor& color) {
    return qint32(color.red() | color.green() << 8 | color.blue() << 16);
}

FontSpec fontSpecOf(const QFont& font, qint32 color) {
    FontSpec chosen;
    chosen.name = font.family();
    chosen.size = font.pointSize() > 0 ? font.pointSize() : chosen.size;
    chosen.bold = font.bold();
    chosen.italic = font.italic();
    chosen.underline = font.underline();
    chosen.strikeout = font.strikeOut();
    chosen.color = color;
    return chosen;
}

} // namespace

void TFmain::connectEditorHandlers() {
    const std::pair<QAction*, void (TFmain::*)()> items[] = {
        {NUndo, &TFmain::NUndoClick},
        {NRedo, &TFmain::NRedoClick},
        {Ncut, &TFmain::NcutClick},
        {NNCut, &TFmain::NcutClick},
        {NCopy, &TFmain::NCopyClick},
        {NNcopy, &TFmain::NCopyClick},
        {NPaste, &TFmain::NPasteClick},
        {NNPaste, &TFmain::NPasteClick},
        {NNNPaste, &TFmain::BtnPasteClick},
        {NDelete, &TFmain::NDeleteClick},
        {NSeleteAll, &TFmain::NSeleteAllClick},
        {NDateTime, &TFmain::NDateTimeClick},
        {NWordWrap, &TFmain::NWordWrapClick},
        {NFont, &TFmain::NFontClick},
        {NBackcolor, &TFmain::NBackcolorClick},
        {NLeft, &TFmain::NLeftClick},
        {NCenter, &TFmain::NCenterClick},
        {NRight, &TFmain::NRightClick},
        {Nfind, &TFmain::NfindClick},
        {NReplace, &TFmain::NReplaceClick},
        {NPrintSetup, &TFmain::NPrintSetupClick},
        {NPrint, &TFmain::NPrintClick},
    };
    for (const auto& [item, handler] : items)
        connectItem(item, handler);
    connectButton(BtnPaste, &TFmain::BtnPasteClick);
    connect(RichEdit1, &QTextEdit::textChanged, this,
            [this] { guarded([&] { RichEdit1Change(); }); });
    installEventFilter(new MouseUpFilter(this, [this] { guarded([&] { TntFormMouseUp(); }); }));
}

void TFmain::NUndoClick() {
    try {
        RichEdit1->undo();
    } catch (const std::exception&) {
        // Undo failing is not worth a message.
    }
}

void TFmain::NRedoClick() {
    try {
        RichEdit1->redo();
    } catch (const std::exception&) {
        // Nor is redo.
    }
}

void TFmain::NcutClick() {
    if (RichEdit1->textCursor().selectedText().isEmpty())
        return;
    RichEdit1->setFocus();
    RichEdit1->cut();
}

void TFmain::NCopyClick() {
    if (RichEdit1->textCursor().selectedText().isEmpty())
        return;
    RichEdit1->setFocus();
    RichEdit1->copy();
}

void TFmain::NPasteClick() {
    RichEdit1->setFocus();
    RichEdit1->paste();
}

// Also from the tray while the window is hidden: the editor pastes without the focus.
void TFmain::BtnPasteClick() {
    NPasteClick();
}

void TFmain::NDeleteClick() {
    QTextCursor cursor = RichEdit1->textCursor();
    if (cursor.selectedText().isEmpty())
        return;
    RichEdit1->setFocus();
    cursor.removeSelectedText();
}

void TFmain::NSeleteAllClick() {
    RichEdit1->setFocus();
    RichEdit1->selectAll();
}

// Appended at the end whatever the caret, keeping the text's formats and the undo history.
void TFmain::NDateTimeClick() {
    const QString stamp = dateTimeStamp(m_platform.clock->now(), processDateFormat().shortFormat,
                                        longTimeFormat(QLocale::system()));
    QTextCursor end(RichEdit1->document());
    end.movePosition(QTextCursor::End);
    end.insertText(stamp);
}

void TFmain::NWordWrapClick() {
    RichEdit1->setLineWrapMode(NWordWrap->isChecked() ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

// With a selection only the selection changes; otherwise the editor's stored default font.
void TFmain::NFontClick() {
    const std::optional<QFont> chosen = m_platform.dialogs->chooseFont(this, RichEdit1->font());
    if (!chosen)
        return;
    if (!RichEdit1->textCursor().selectedText().isEmpty()) {
        QTextCharFormat format;
        format.setFont(*chosen);
        RichEdit1->mergeCurrentCharFormat(format);
        return;
    }
    m_editorLook.setFont(fontSpecOf(*chosen, m_editorLook.font().color));
}

void TFmain::NBackcolorClick() {
    const QColor current = ColorValue::toQColor(m_editorLook.background(), RichEdit1->palette());
    const std::optional<QColor> chosen = m_platform.dialogs->chooseColor(this, current);
    if (chosen)
        m_editorLook.setBackground(colorValueOf(*chosen));
}

void TFmain::NLeftClick() {
    alignText(Qt::AlignLeft);
}

void TFmain::NCenterClick() {
    alignText(Qt::AlignHCenter);
}

void TFmain::NRightClick() {
    alignText(Qt::AlignRight);
}

// The whole text's paragraphs, in one undoable step; character formats and pictures stay.
void TFmain::alignText(Qt::Alignment alignment) {
    QTextCursor all(RichEdit1->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setAlignment(alignment);
    all.mergeBlockFormat(format);
}

void TFmain::RichEdit1Change() {
    NUndo->setEnabled(RichEdit1->document()->isUndoAvailable());
    NRedo->setEnabled(RichEdit1->document()->isRedoAvailable());
}

void TFmain::TntFormMouseUp() {
    const bool selected = !RichEdit1->textCursor().selectedText().isEmpty();
    for (QAction* item : {Ncut, NCopy, NDelete})
        item->setEnabled(selected);
}
