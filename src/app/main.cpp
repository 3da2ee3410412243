#include "app/app_error.h"
#include "app/termination_signal.h"
#include "app/tfmain.h"
#include "app/toolkit_language.h"
#include "platform/desktop_services.h"
#include "platform/document_converter.h"
#include "platform/hidden_browser.h"
#include "platform/key_module.h"
#include "platform/notification_area.h"
#include "platform/portal_global_keys.h"
#include "platform/speech/combined_voice.h"
#include "platform/speech/espeak_voice.h"
#include "platform/speech/neural_voice.h"
#include "platform/speech/neural_voice_folder.h"
#include "platform/speech/speech_workers.h"
#include "platform/speech/wav_file_stream.h"
#include "platform/x11_global_keys.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <memory>
#include <thread>

int main(int argc, char* argv[]) {
    // The speech engine loads its data on a thread of its own while the display is connected.
    auto engine = std::make_unique<EspeakEngine>();
    QApplication app(argc, argv);
    loadToolkitTranslations();
    // Reading the font configuration is the longest step before the first paint; it runs beside
    // the window's construction, whose first text waits for it.
    std::jthread fonts([] { QFontDatabase::families(); });

    QtDialogs dialogs;
    XdgDataDirectory dataDirectory(
        QFileInfo(QApplication::applicationFilePath()).completeBaseName());
    LinuxSystemInfo systemInfo;
    DesktopShell shell;
    // The engine lists its voices on its own thread; the window shows without waiting for them.
    // The natural voices' helper starts only when one of them is chosen.
    auto voice = std::make_unique<CombinedVoice>(std::make_unique<EspeakVoice>(std::move(engine)),
                                                 installedNeuralVoices,
                                                 [] { return std::make_unique<NeuralVoice>(); });

    Platform platform{&dialogs, &dataDirectory, &systemInfo, &shell, voice.get()};

    // Documents.
    ProcessConverter converter;
    platform.converter = &converter;
    ModuleBrowser browser;
    platform.browser = &browser;

    // Audio export.
    WavFileStream fileStream(EspeakVoice::SampleRate);
    platform.fileStream = &fileStream;
    platform.exportHelpers = SpeechWorkers::defaultCount();

    // Key echo and clipboard.
    KeyModule keyModule(QApplication::applicationDirPath());
    platform.keyHook = &keyModule;

    // Editor commands.
    SystemClock clock;
    platform.clock = &clock;

    // Tray, language, registration, help and about.
    DesktopNotificationArea notificationArea;
    platform.notificationArea = &notificationArea;
    platform.programDirectory = QApplication::applicationDirPath() + u'/';
    // The window hidden in the tray is still the program: closing the help box must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    // Follow-along highlight.

    // Listening: system-wide keys where the desktop lets a program have them.
    std::unique_ptr<GlobalKeys> globalKeys;
    if (QGuiApplication::platformName() == QStringLiteral("xcb"))
        globalKeys = X11GlobalKeys::open();
    else if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
        globalKeys = std::make_unique<PortalGlobalKeys>();
    platform.globalKeys = globalKeys.get();

    // The first window created is the main window: closing it ends the program. It creates the
    // about box after itself. Its destruction writes the settings. It is destroyed only after
    // the event loop, so never from inside one of its own handlers: a close that comes while a
    // dialog of it waits (a log-out, the tray's exit) ends every event loop, and the handlers
    // that waited return first.
    auto Fmain = std::make_unique<TFmain>(platform);
    QObject::connect(Fmain.get(), &TFmain::closed, &app, &QCoreApplication::quit);
    // A session that ends, or Ctrl+C in a terminal, closes the window as its close button does:
    // speech ends and the settings are written.
    TerminationSignal termination;
    QObject::connect(&termination, &TerminationSignal::received, Fmain.get(), &QWidget::close);
    // Without a speech engine there is nothing to read with: once the window has reported the
    // failure (it connected to the voices first), the program ends.
    bool speechMissing = false;
    const auto endWithoutSpeech = [&] {
        try {
            voice->GetVoices({}, {});
        } catch (const AppError&) {
            speechMissing = true;
            Fmain->close();
        }
    };
    if (voice->voicesLoading())
        QObject::connect(voice.get(), &SpeechVoice::VoicesLoaded, Fmain.get(), endWithoutSpeech);
    else
        endWithoutSpeech();
    int result = 0;
    if (!speechMissing) {
        Fmain->showMaximized();
        result = QApplication::exec();
    }
    Fmain.reset();
    return speechMissing ? 1 : result;
}
