#include "date_stamp.h"

#include <QLocale>
#include <QRegularExpression>

QString dateTimeStamp(const QDateTime& now, const QString& dateFormat, const QString& timeFormat) {
    const QString date = now.date().toString(dateFormat);
    if (now.time() == QTime(0, 0))
        return date;
    return date + u' ' + now.time().toString(timeFormat);
}

QString longTimeFormat(const QLocale& locale) {
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?t+\\)?"));
    return locale.timeFormat(QLocale::LongFormat).remove(zone).trimmed();
}
