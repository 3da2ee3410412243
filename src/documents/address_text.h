#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The address box and its recent list.

// The box's text without leading and trailing blanks and control characters.
QString trimmedAddress(const QString& text);

// A web address as a browser's address bar completes it; only scheme and host are lower-cased.
QUrl webAddress(const QString& address);

// An address is already known only when it equals a whole entry.
bool containsAddress(const QStringList& entries, const QString& address);

// What "files.ini" keeps: the newest eleven entries, in list order.
QStringList recentEntriesToSave(const QStringList& entries);
