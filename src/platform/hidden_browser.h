#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

// A web page that is never shown: it loads an address in the background and reports the
// rendered text of every page it completes.
class HiddenBrowser {
public:
    virtual ~HiddenBrowser() = default;
    virtual void navigate(const QUrl& address) = 0;
    // Stops the page (its loads, scripts, timers and refreshes); it completes nothing more until
    // the next navigate.
    virtual void stop() = 0;
    // Called on the user-interface thread with the page's plain-text form.
    std::function<void(const QString& text)> documentComplete;
};

// The web engine lives in a module loaded on the first navigation, so that start-up never
// maps it. AppError when the module cannot be loaded.
class ModuleBrowser : public HiddenBrowser {
public:
    // The module's file; by default "parlora_webpage.so" beside the program.
    explicit ModuleBrowser(QString modulePath = {});
    ~ModuleBrowser() override;
    void navigate(const QUrl& address) override;
    void stop() override;

private:
    QString m_modulePath;
    std::unique_ptr<HiddenBrowser> m_page;
};

// The module's one entry point.
extern "C" {
using CreateHiddenBrowser = HiddenBrowser* (*)();
}
