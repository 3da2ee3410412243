#pragma once

#include <QByteArray>
#include <QString>

// The text a Word converter writes, made fit for reading aloud.

// Output of the fast converter (UTF-8, unwrapped): read as UTF-8 with replacement characters,
// table rows drawn as "|cell   |cell   |" become the cells separated by tabs.
QString wordConverterText(const QByteArray& output);
