#include "say_progress.h"

#include <algorithm>

namespace {
constexpr int BarWidth = 30;

int percentOf(qint64 done, qint64 total) {
    return total > 0 ? int(std::clamp<qint64>(done * 100 / total, 0, 100)) : 100;
}
} // namespace

QString progressLine(qint64 done, qint64 total, const QString& unit) {
    const int percent = percentOf(done, total);
    const int filled = percent * BarWidth / 100;
    return QStringLiteral("[%1%2] %3% of %4 %5")
        .arg(QString(filled, u'#'), QString(BarWidth - filled, u'.'))
        .arg(percent, 3)
        .arg(total)
        .arg(unit);
}

TerminalProgress::TerminalProgress(std::FILE* terminal, bool enabled, QString unit)
    : m_terminal(terminal), m_enabled(enabled), m_unit(std::move(unit)) {}

TerminalProgress::~TerminalProgress() {
    if (m_percent >= 0)
        std::fputc('\n', m_terminal);
}

void TerminalProgress::show(qint64 done, qint64 total) {
    const int percent = percentOf(done, total);
    if (!m_enabled || percent == m_percent)
        return;
    m_percent = percent;
    std::fprintf(m_terminal, "\r%s", progressLine(done, total, m_unit).toLocal8Bit().constData());
    std::fflush(m_terminal);
}
