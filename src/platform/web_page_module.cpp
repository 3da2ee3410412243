// The web engine behind the hidden browser, in a module of its own so that the program maps it
// only when the first page is opened.
#include "hidden_browser.h"

#include <QOpenGLContext>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include <unistd.h>

// Qt's own setter of the program-wide shared graphics context (exported by Qt's GUI library,
// declared in its private headers).
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {

// The engine needs a graphics context shared across the program. Made here, with the first page,
// rather than at start-up through Qt::AA_ShareOpenGLContexts, which loads the graphics driver
// into every run (tens of megabytes and start-up time) for a browser most runs never use.
void shareGraphicsContext() {
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext; // lives until the program ends, as the engine does
    context->create();
    qt_gl_set_global_share_context(context);
}

// The page is never seen, so it is given nothing it could misuse: no storage, no plug-ins, no
// windows, no downloads, no devices, no clipboard, no bad certificates.
class WebEngineBrowser : public HiddenBrowser {
public:
    WebEngineBrowser() {
        // The engine's sandbox refuses to run for the administrator.
        if (geteuid() == 0)
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        shareGraphicsContext();
        m_profile = new QWebEngineProfile; // off the record: nothing is stored on disk
        QObject::connect(m_profile, &QWebEngineProfile::downloadRequested,
                         [](QWebEngineDownloadRequest* download) { download->cancel(); });
        QWebEngineSettings* settings = m_profile->settings();
        settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
        settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        // A downloaded page must not read the user's other files into the editor.
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
        settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
        settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);

        m_page = new QWebEnginePage(m_profile);
        QObject::connect(m_page, &QWebEnginePage::featurePermissionRequested,
                         [this](const QUrl& origin, QWebEnginePage::Feature feature) {
                             m_page->setFeaturePermission(origin, feature,
                                                          QWebEnginePage::PermissionDeniedByUser);
                         });
        QObject::connect(m_page, &QWebEnginePage::certificateError,
                         [](QWebEngineCertificateError error) { error.rejectCertificate(); });
        QObject::connect(m_page, &QWebEnginePage::fullScreenRequested,
                         [](QWebEngineFullScreenRequest request) { request.reject(); });
        // A failed load shows the engine's error page; its text is taken like any other.
        QObject::connect(m_page, &QWebEnginePage::loadFinished, [this](bool) {
            if (m_stopped)
                return;
            m_page->toPlainText([this, navigation = m_navigation](const QString& text) {
                if (!m_stopped && navigation == m_navigation && documentComplete)
                    documentComplete(text);
            });
        });
    }
    ~WebEngineBrowser() override {
        delete m_page; // before its profile
        delete m_profile;
    }

    void navigate(const QUrl& address) override {
        m_stopped = false;
        ++m_navigation;
        m_page->load(address);
    }

    // An empty page in its place ends its scripts and timers as well as its loads.
    void stop() override {
        m_stopped = true;
        ++m_navigation;
        m_page->triggerAction(QWebEnginePage::Stop);
        m_page->setHtml(QString());
    }

private:
    bool m_stopped = false;
    int m_navigation = 0; // texts of earlier navigations still on their way are dropped
    QWebEngineProfile* m_profile;
    QWebEnginePage* m_page;
};

} // namespace

extern "C" Q_DECL_EXPORT HiddenBrowser* parloraCreateHiddenBrowser() {
    return new WebEngineBrowser;
}
