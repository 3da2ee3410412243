#pragma once

#include <QString>

// Language, script and region of a language tag in Chinese, from ICU's locale data ("en-gb"
// gives 英语（英国）); variants and private parts ("-x-rp") are left out. Empty when ICU does not
// know the language.
QString icuLanguageName(const QString& tag);
