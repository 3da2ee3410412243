#pragma once

#include <QByteArray>

// The encoding name of an RTF \fcharset value or a Windows code page (\ansicpg, \cpg), as the
// string converters know it; an empty name for none.
QByteArray encodingForCharset(int charset);
QByteArray encodingForCodePage(int codePage);
