#pragma once

#include <QString>

// The program's addresses, kept in this one place: its home page, the page on adding more
// voices, and the address for questions. Both pages are the help page the program ships.
struct WebLinks {
    QString homePage;
    QString moreVoices;
    QString contact;
};

// The shipped help page is looked for beside the program (a build tree) and then where an
// installation puts it (<prefix>/share/parlora, the program being in <prefix>/lib/parlora; not
// share/doc, which a system may leave out); programDirectory ends in "/".
WebLinks webLinks(const QString& programDirectory);

// "mailto:" with the address and the subject "Parlora", encoded as a URL must be.
QString mailLink(const QString& address);
