#include "say_input.h"

#include "app/app_error.h"
#include "documents/document_file.h"
#include "documents/document_kind.h"
#include "documents/document_reading.h"
#include "platform/document_converter.h"
#include "platform/hidden_browser.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

// As long as the window lets a converter run.
constexpr int PageTimeout = 60'000;

QString standardInputText() {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        throw AppError(input.errorString());
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError)
        throw AppError(input.errorString());
    QTextDocument document;
    loadDocumentBytes(bytes, false, document);
    return document.toPlainText();
}

} // namespace

DocumentReader::DocumentReader(DocumentConverter& converter, std::function<bool()> interrupted,
                               QString voiceLanguage)
    : m_converter(converter), m_interrupted(std::move(interrupted)),
      m_voiceLanguage(std::move(voiceLanguage)) {}

DocumentReader::~DocumentReader() = default;

QString DocumentReader::text(const QString& path) {
    QString text;
    read(
        path, [&](const QString& plain) { text = plain; },
        [&](const QTextDocument& document) { text = document.toPlainText(); });
    return text;
}

QList<Chapter> DocumentReader::chapters(const QString& path, const QString& bookTitle) {
    QList<Chapter> chapters;
    read(
        path, [&](const QString& plain) { chapters = findChapters(plain, bookTitle); },
        [&](const QTextDocument& document) { chapters = documentChapters(document, bookTitle); });
    return chapters;
}

void DocumentReader::read(const QString& path, const std::function<void(const QString&)>& plain,
                          const std::function<void(const QTextDocument&)>& formatted) {
    m_author.clear();
    try {
        if (path == u'-')
            return plain(standardInputText());
        // The window's road: the same checks before any open, the same readers and converters.
        const DocumentKind kind = documentKind(path);
        switch (checkedReadingRoad(path, kind)) {
        case ReadingRoad::WebPage:
            return plain(webPageText(path));
        case ReadingRoad::Converted:
            return plain(
                convertDocument(m_converter, path, kind, m_interrupted, {m_voiceLanguage}));
        case ReadingRoad::Loaded:
            break;
        }
        QTextDocument document;
        loadDocument(path, kind, false, document);
        m_author = documentAuthor(document);
        formatted(document);
    } catch (const AppError& error) {
        throw AppError(
            fileMessage(path == u'-' ? QStringLiteral("标准输入") : path, error.message()));
    }
}

QString DocumentReader::webPageText(const QString& path) {
    if (!m_browser)
        m_browser = std::make_unique<ModuleBrowser>();
    std::optional<QString> page;
    QEventLoop loop;
    m_browser->documentComplete = [&](const QString& text) {
        if (!page)
            page = text;
        loop.quit();
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (m_interrupted())
            loop.quit();
    });
    poll.start(100);
    QTimer::singleShot(PageTimeout, &loop, &QEventLoop::quit);
    m_browser->navigate(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    loop.exec();
    m_browser->documentComplete = nullptr;
    if (!page)
        throw AppError(QStringLiteral("网页在 %1 秒内没有载入完成").arg(PageTimeout / 1000));
    return *page;
}

bool hasWebPage(const QStringList& paths) {
    return std::any_of(paths.begin(), paths.end(), [](const QString& path) {
        return documentKind(path) == DocumentKind::WebPage;
    });
}

QString fileMessage(const QString& path, const QString& message) {
    return message.contains(path) ? message : path + QStringLiteral(": ") + message;
}
