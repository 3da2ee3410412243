#include "address_text.h"

QString trimmedAddress(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.sliced(begin, end - begin);
}

QUrl webAddress(const QString& address) {
    return QUrl::fromUserInput(address);
}

bool containsAddress(const QStringList& entries, const QString& address) {
    return entries.contains(address, Qt::CaseSensitive);
}

QStringList recentEntriesToSave(const QStringList& entries) {
    constexpr qsizetype Kept = 11;
    return entries.mid(std::max<qsizetype>(0, entries.size() - Kept));
}
