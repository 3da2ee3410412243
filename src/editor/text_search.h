#pragma once

#include <QString>

class QTextDocument;

struct SearchOptions {
    bool matchCase = false;
    bool wholeWord = false;
};

// Position of the first match of text at or after from, searching forward only (no wrap-around);
// -1 when there is none or text is empty. Positions are those of the document's cursor, so a
// match never begins or ends inside a character.
int findText(const QTextDocument& document, const QString& text, int from, SearchOptions options);

// Where replacing stopped: the last inserted text (start -1 when nothing was replaced) and the
// position right after it, where a further search goes on.
struct ReplaceRun {
    int start = -1;
    int length = 0;
    int next = 0;
};

// Replaces the first match at or after from, or every match when all is set, as one undoable
// step. Inserted text is never searched again.
ReplaceRun replaceText(QTextDocument& document, const QString& text, const QString& replacement,
                       int from, SearchOptions options, bool all);
