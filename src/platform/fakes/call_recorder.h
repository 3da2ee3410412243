#pragma once

#include "app/app_error.h"

#include <QSet>
#include <QStringList>

// What a fake was asked to do, as "Member:argument" lines; the members named in failing throw
// an AppError instead.
struct CallRecorder {
    QStringList calls;
    QSet<QString> failing;

    void call(const QString& what) {
        const QString member = what.section(u':', 0, 0);
        if (failing.contains(member))
            throw AppError(member + QStringLiteral(" failed"));
        calls << what;
    }
};
