#include "web_links.h"

#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

namespace {
const QString ContactAddress = QStringLiteral("parlora@example.org");
const QString HelpPage = QStringLiteral("parlora-help.html");
const QString Subject = QStringLiteral("Parlora");

QString helpPagePath(const QString& programDirectory) {
    const QString candidates[] = {
        programDirectory + QStringLiteral("doc/") + HelpPage,
        programDirectory + QStringLiteral("../../share/parlora/") + HelpPage,
    };
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile())
            return QFileInfo(path).canonicalFilePath();
    }
    return candidates[0];
}
} // namespace

WebLinks webLinks(const QString& programDirectory) {
    const QUrl page = QUrl::fromLocalFile(helpPagePath(programDirectory));
    QUrl voices = page;
    voices.setFragment(QStringLiteral("voices"));
    return {page.toString(QUrl::FullyEncoded), voices.toString(QUrl::FullyEncoded), ContactAddress};
}

QString mailLink(const QString& address) {
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(address);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), Subject);
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}
