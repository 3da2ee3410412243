#pragma once

#include <QString>
#include <cstdio>

// The bar of an export on a terminal: "[#######.............]  35% of 1200 characters".
QString progressLine(qint64 done, qint64 total, const QString& unit);

// Draws the bar on one terminal line, again only when the percentage moves; the line is ended
// when the bar is destroyed. Draws nothing when disabled.
class TerminalProgress {
public:
    TerminalProgress(std::FILE* terminal, bool enabled, QString unit);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void show(qint64 done, qint64 total);

private:
    std::FILE* m_terminal;
    bool m_enabled;
    QString m_unit;
    int m_percent = -1;
};
