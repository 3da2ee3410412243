#pragma once

#include "app/app_error.h"

#include <QMutex>
#include <QSet>
#include <QStringList>

// What a fake was asked to do, as "Member:argument" lines; the members named by setFailing throw an
// AppError instead. Calls may come from a background job's thread while a test looks on, so the
// list is only handed out as a copy taken under the lock.
class CallRecorder {
public:
    void call(const QString& what) {
        const QString member = what.section(u':', 0, 0);
        const QMutexLocker lock(&m_mutex);
        if (m_failing.contains(member))
            throw AppError(member + QStringLiteral(" failed"));
        m_calls << what;
    }

    QStringList calls() const {
        const QMutexLocker lock(&m_mutex);
        // Not a shared copy: the recording thread would grow the shared buffer in place as soon
        // as it saw the reader's reference gone, and that check does not synchronise with it.
        return QStringList(m_calls.cbegin(), m_calls.cend());
    }
    void clearCalls() {
        const QMutexLocker lock(&m_mutex);
        m_calls.clear();
    }
    void setFailing(const QSet<QString>& members) {
        const QMutexLocker lock(&m_mutex);
        m_failing = members;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_calls;
    QSet<QString> m_failing;
};
