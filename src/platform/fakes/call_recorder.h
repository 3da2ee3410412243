#pragma once

#include "app/app_error.h"

#include <QMutex>
#include <QSet>
#include <QStringList>

// What a fake was asked to do, as "Member:argument" lines; the members named in failing throw
// an AppError instead. Calls may come from a background job's thread; tests read them once it
// has ended.
struct CallRecorder {
    QStringList calls;
    QSet<QString> failing;

    void call(const QString& what) {
        const QString member = what.section(u':', 0, 0);
        if (failing.contains(member))
            throw AppError(member + QStringLiteral(" failed"));
        const QMutexLocker lock(&m_mutex);
        calls << what;
    }

private:
    QMutex m_mutex;
};
