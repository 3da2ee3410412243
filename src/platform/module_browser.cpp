#include "hidden_browser.h"

#include "app/app_error.h"

#include <QCoreApplication>
#include <QLibrary>

ModuleBrowser::ModuleBrowser(QString modulePath) : m_modulePath(std::move(modulePath)) {}

ModuleBrowser::~ModuleBrowser() = default;

void ModuleBrowser::navigate(const QUrl& address) {
    if (!m_page) {
        const QString path = m_modulePath.isEmpty() ? QCoreApplication::applicationDirPath() +
                                                          QStringLiteral("/parlora_webpage.so")
                                                    : m_modulePath;
        // Never unloaded: the engine keeps threads of its own until the program ends.
        QLibrary module(path);
        const auto create =
            reinterpret_cast<CreateHiddenBrowser>(module.resolve("parloraCreateHiddenBrowser"));
        if (!create) {
            throw AppError(
                QStringLiteral("无法载入网页模块 \"%1\"。%2").arg(path, module.errorString()));
        }
        m_page.reset(create());
        m_page->documentComplete = [this](const QString& text) {
            if (documentComplete)
                documentComplete(text);
        };
    }
    m_page->navigate(address);
}

void ModuleBrowser::stop() {
    if (m_page)
        m_page->stop();
}
