// Find and replace through the modeless find and replace dialogs; always forward, no wrap-around.
#include "app/tfmain.h"

#include "app/error_report.h"
#include "editor/find_replace_dialog.h"
#include "editor/text_search.h"
#include "platform/dialogs.h"

#include <QTextCursor>
#include <QTextEdit>

namespace {

SearchOptions optionsOf(const FindReplaceDialog* dialog) {
    return {dialog->matchCase(), dialog->wholeWord()};
}

void select(QTextEdit* editor, int start, int length) {
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);
}

void showDialog(FindReplaceDialog*& dialog, FindReplaceDialog::Kind kind, QWidget* window,
                const std::function<void(FindReplaceDialog*)>& wire) {
    if (!dialog) {
        dialog = new FindReplaceDialog(kind, window);
        wire(dialog);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace

void TFmain::NfindClick() {
    showDialog(FindDialog1, FindReplaceDialog::Kind::Find, this, [this](FindReplaceDialog* d) {
        connect(d, &FindReplaceDialog::findNext, this,
                [this] { guarded([&] { FindDialog1Find(); }); });
    });
}

// The replace dialog's find-next searches as the find dialog does, so that the user can skip a
// match before replacing the next one.
void TFmain::NReplaceClick() {
    showDialog(ReplaceDialog1, FindReplaceDialog::Kind::Replace, this,
               [this](FindReplaceDialog* d) {
                   connect(d, &FindReplaceDialog::replace, this,
                           [this] { guarded([&] { ReplaceDialog1Replace(); }); });
                   connect(d, &FindReplaceDialog::findNext, this,
                           [this] { guarded([&] { findNextFrom(ReplaceDialog1); }); });
               });
}

void TFmain::FindDialog1Find() {
    findNextFrom(FindDialog1);
}

void TFmain::findNextFrom(FindReplaceDialog* dialog) {
    const int start = RichEdit1->textCursor().selectionEnd();
    const QString text = dialog->findText();
    const int found = findText(*RichEdit1->document(), text, start, optionsOf(dialog));
    if (found >= 0) {
        RichEdit1->setFocus();
        select(RichEdit1, found, int(text.size()));
        return;
    }
    select(RichEdit1, start, 0);
    m_platform.dialogs->showMessage(dialog, QStringLiteral("错误"),
                                    QStringLiteral("没有找到:") + text, Dialogs::Icon::Error);
}

void TFmain::ReplaceDialog1Replace() {
    const FindReplaceDialog* dialog = ReplaceDialog1;
    const SearchOptions options = optionsOf(dialog);
    const QString text = dialog->findText();
    const ReplaceRun run =
        replaceText(*RichEdit1->document(), text, dialog->replaceText(),
                    RichEdit1->textCursor().selectionEnd(), options, dialog->replaceAllPressed());
    if (run.start >= 0)
        select(RichEdit1, run.start, run.length);
    if (findText(*RichEdit1->document(), text, run.next, options) < 0)
        m_platform.dialogs->showMessage(ReplaceDialog1, AppTitle, QStringLiteral("替换完毕!"),
                                        Dialogs::Icon::Information);
}
