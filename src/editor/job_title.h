#pragma once

#include <QString>

// The print job's name: the text's first line, cut to at most 255 characters (never inside a
// surrogate pair), since print queues show and limit job names.
QString printJobTitle(const QString& text);
