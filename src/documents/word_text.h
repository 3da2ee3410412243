#pragma once

#include <QByteArray>
#include <QString>

// The text a Word converter writes, made fit for reading aloud.

// Output of the fast converter (UTF-8, unwrapped): read as UTF-8 with replacement characters,
// table rows drawn as "|cell   |cell   |" become the cells separated by tabs.
QString wordConverterText(const QByteArray& output);

// Whether the fast converter's output can be shown: valid UTF-8 without replacement characters
// (it writes those for characters it cannot read, such as those beyond the Basic Multilingual
// Plane), and nothing reported on its error channel. Otherwise the office suite reads the file.
bool isUsableWordConverterOutput(const QByteArray& output, const QByteArray& errors);
