#pragma once

#include <QDateTime>
#include <QString>

class QLocale;

// The date, a blank and the time, in the given formats; at exactly midnight only the date.
QString dateTimeStamp(const QDateTime& now, const QString& dateFormat, const QString& timeFormat);

// The locale's long time format without the time zone, which a stamp in a text does not need.
QString longTimeFormat(const QLocale& locale);
