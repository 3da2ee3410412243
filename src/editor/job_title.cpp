#include "job_title.h"

namespace {
constexpr qsizetype MaxTitle = 255;
}

QString printJobTitle(const QString& text) {
    QString title = text.section(u'\n', 0, 0);
    title.remove(u'\r');
    if (title.size() > MaxTitle) {
        qsizetype cut = MaxTitle;
        if (title.at(cut - 1).isHighSurrogate())
            --cut;
        title.truncate(cut);
    }
    return title;
}
