#pragma once

#include <QString>

// The date format of the whole process, set once at start-up; the date/time insertion uses it.
struct DateFormat {
    QChar separator = u'-';
    QString shortFormat = QStringLiteral("yyyy-MM-dd");
    QString longFormat = QStringLiteral("yyyy-MM-dd");
};

void setProcessDateFormat(const DateFormat& format);
const DateFormat& processDateFormat();
