#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Interface language files: "<language>.ini" with one section "Language" whose keys name a
// window or one of its components and a text property ("Fmain.Caption", "Fmain.NFile.Caption",
// "Fmain.BtnAloud.Hint").

// The language an item of a language menu names: the text between the first "(" and the
// first ")" of its caption. Empty when there is none or when it could name a path.
QString languageName(const QString& caption);

// The files of a language that exist, in the order they are applied: beside the program, then
// in its "Language" folder. programDirectory ends in "/".
QStringList languageFiles(const QString& programDirectory, const QString& language);

// Sets the window's caption and its components' texts from the file, and the window's font to
// Tahoma 9 pt. The file is untrusted: its texts land only in captions, hints and texts, as plain
// text; a file too large to be a language file sets only the font.
void translateWindow(QWidget* window, const QString& file);
