#include "text_search.h"

#include <QTextCursor>
#include <QTextDocument>

namespace {

QTextDocument::FindFlags flagsOf(SearchOptions options) {
    QTextDocument::FindFlags flags;
    if (options.matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (options.wholeWord)
        flags |= QTextDocument::FindWholeWords;
    return flags;
}

} // namespace

int findText(const QTextDocument& document, const QString& text, int from, SearchOptions options) {
    if (text.isEmpty())
        return -1;
    const QTextCursor found = document.find(text, from, flagsOf(options));
    return found.isNull() ? -1 : found.selectionStart();
}

ReplaceRun replaceText(QTextDocument& document, const QString& text, const QString& replacement,
                       int from, SearchOptions options, bool all) {
    ReplaceRun run{-1, 0, from};
    if (text.isEmpty())
        return run;
    const QTextDocument::FindFlags flags = flagsOf(options);
    QTextCursor editing(&document);
    editing.beginEditBlock();
    for (QTextCursor match = document.find(text, from, flags); !match.isNull();
         match = document.find(text, run.next, flags)) {
        match.insertText(replacement);
        run.start = match.position() - int(replacement.size());
        run.length = int(replacement.size());
        run.next = match.position();
        if (!all)
            break;
    }
    editing.endEditBlock();
    return run;
}
