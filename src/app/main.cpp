#include "about/tfabout.h"
#include "app/app_error.h"
#include "app/error_report.h"
#include "app/tfmain.h"
#include "platform/desktop_services.h"
#include "platform/document_converter.h"
#include "platform/hidden_browser.h"
#include "platform/speech/espeak_voice.h"

#include <QApplication>
#include <QFileInfo>
#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    QtDialogs dialogs;
    XdgDataDirectory dataDirectory(
        QFileInfo(QApplication::applicationFilePath()).completeBaseName());
    LinuxSystemInfo systemInfo;
    DesktopShell shell;
    std::unique_ptr<EspeakVoice> voice;
    try {
        voice = std::make_unique<EspeakVoice>();
    } catch (const AppError& error) {
        // Without a speech engine there is nothing to read with.
        reportError(dialogs, nullptr, error.message());
        return 1;
    }

    Platform platform{&dialogs, &dataDirectory, &systemInfo, &shell, voice.get()};

    // Documents.
    ProcessConverter converter;
    platform.converter = &converter;
    ModuleBrowser browser;
    platform.browser = &browser;

    // Audio export.

    // Key echo and clipboard.

    // Editor commands.

    // Tray, language, registration, help and about.

    // Follow-along highlight.

    // The first window created is the main window: closing it ends the program.
    TFmain Fmain(platform);
    TFAbout FAbout;
    Fmain.showMaximized();
    return QApplication::exec();
}
