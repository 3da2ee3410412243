#pragma once

#include <QString>
#include <QStringList>

// The rules of reading scanned pages and pictures, apart from the recognition itself.

// The recognition data (by the recogniser's names, "chi_sim") that text read by a voice of the
// language tag ("cmn", "en-gb") is recognised with: Mandarin simplified Chinese and English,
// Cantonese traditional Chinese and English, any other language its own data when installed and
// English; no voice (an empty tag) as Mandarin. Mandarin's and Cantonese's data are asked for
// whether installed or not.
QStringList recognitionLanguages(const QString& voiceLanguage, const QStringList& installed);

// The Debian package that holds a language's recognition data.
QString recognitionDataPackage(const QString& language);

// A page that the text extractor found (almost) nothing on is taken for a scan.
bool isScannedPage(const QString& extractedText);

// The pages of the text extractor's output, whose pages each end in a form feed.
QStringList extractedPages(const QString& extractedText);

// The recogniser's text with each paragraph on one line: its lines are joined by a space, or
// by nothing where Chinese, Japanese or Korean writing meets at the break.
QString recognisedText(const QString& text);
