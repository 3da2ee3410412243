#pragma once

#include "platform/clock.h"
#include "platform/data_directory.h"
#include "platform/dialogs.h"
#include "platform/document_converter.h"
#include "platform/fakes/fake_file_stream.h"
#include "platform/fakes/fake_global_keys.h"
#include "platform/fakes/fake_key_hook.h"
#include "platform/fakes/fake_voice.h"
#include "platform/hidden_browser.h"
#include "platform/notification_area.h"
#include "platform/platform.h"
#include "platform/shell.h"
#include "platform/system_info.h"

#include <QPrinter>
#include <QStringList>
#include <QTemporaryDir>

// Fakes that record what they were asked and answer as a test scripts them.

class FakeDialogs : public Dialogs {
public:
    struct Message {
        QString caption;
        QString text;
        Icon icon;
    };
    QList<Message> messages;

    // What each file chooser was asked ("open", "save", "directory" with its filters or
    // caption), and the answers it gives in turn; with no answer left it reports a cancel.
    QStringList fileQuestions;
    QStringList openAnswers;
    QList<SaveChoice> saveAnswers;
    QStringList directoryAnswers;
    QList<bool> confirmAnswers; // none left: no

    void showMessage(QWidget*, const QString& caption, const QString& text, Icon icon) override {
        messages.append({caption, text, icon});
    }
    QString openFileName(QWidget*, const QString& filters) override {
        fileQuestions << QStringLiteral("open:") + filters;
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    SaveChoice saveFileName(QWidget*, const QString& filters,
                            const QString& defaultSuffix) override {
        fileQuestions << QStringLiteral("save:%1:%2").arg(defaultSuffix, filters);
        return saveAnswers.isEmpty() ? SaveChoice{} : saveAnswers.takeFirst();
    }
    QString existingDirectory(QWidget*, const QString& caption) override {
        fileQuestions << QStringLiteral("directory:") + caption;
        return directoryAnswers.isEmpty() ? QString() : directoryAnswers.takeFirst();
    }
    bool confirm(QWidget*, const QString&, const QString& text) override {
        fileQuestions << QStringLiteral("confirm:") + text;
        return confirmAnswers.isEmpty() ? false : confirmAnswers.takeFirst();
    }

    // Editor commands.
    // Answers in turn; with none left the dialog reports a cancel. A print answer is the PDF
    // file the printer writes to.
    QStringList editorQuestions; // "font:<family>", "color:<name>", "print", "printsetup"
    QList<QFont> fontAnswers;
    QList<QColor> colorAnswers;
    QStringList printAnswers;
    QList<bool> printSetupAnswers;
    bool printDialogFails = false;

    std::optional<QFont> chooseFont(QWidget*, const QFont& initial) override {
        editorQuestions << QStringLiteral("font:") + initial.family();
        return fontAnswers.isEmpty() ? std::nullopt : std::optional(fontAnswers.takeFirst());
    }
    std::optional<QColor> chooseColor(QWidget*, const QColor& initial) override {
        editorQuestions << QStringLiteral("color:") + initial.name();
        return colorAnswers.isEmpty() ? std::nullopt : std::optional(colorAnswers.takeFirst());
    }
    bool setUpPrinter(QWidget*, QPrinter&) override {
        editorQuestions << QStringLiteral("printsetup");
        if (printDialogFails)
            throw std::runtime_error("no printing system");
        return !printSetupAnswers.isEmpty() && printSetupAnswers.takeFirst();
    }
    bool choosePrinter(QWidget*, QPrinter& printer) override {
        editorQuestions << QStringLiteral("print");
        if (printDialogFails)
            throw std::runtime_error("no printing system");
        if (printAnswers.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printAnswers.takeFirst());
        return true;
    }
};

// A data directory in a temporary folder, or one that cannot be created.
class FakeDataDirectory : public DataDirectory {
public:
    bool failing = false;
    QString path() override;
    // Puts a file there, as an earlier run would have left it (set.ini, files.ini).
    void writeFile(const QString& fileName, const QByteArray& bytes);

private:
    QTemporaryDir m_dir;
};

class FakeSystemInfo : public SystemInfo {
public:
    int major = 0;
    int majorVersion() const override { return major; }
};

class FakeNotificationArea : public NotificationArea {
public:
    bool present = true;
    bool available() const override { return present; }
};

class FakeClock : public Clock {
public:
    QDateTime time = QDateTime::currentDateTime();
    QDateTime now() const override { return time; }
};

class FakeShell : public Shell {
public:
    QStringList opened;
    void openUrl(const QString& url) override { opened << url; }
};

// Records the addresses it was sent to; a test completes pages with complete().
class FakeBrowser : public HiddenBrowser {
public:
    QList<QUrl> navigated;
    int stops = 0;
    void navigate(const QUrl& address) override { navigated << address; }
    void stop() override { ++stops; }
    void complete(const QString& text) { documentComplete(text); }
};

// All fakes together, with the bundle the window takes.
struct FakePlatform {
    FakeDialogs dialogs;
    FakeDataDirectory dataDirectory;
    FakeSystemInfo systemInfo;
    FakeShell shell;
    FakeVoice voice;

    // Documents.
    ProcessConverter converter{10'000};
    FakeBrowser browser;

    // Audio export.
    FakeFileStream fileStream;

    // Key echo and clipboard.
    FakeKeyHook keyHook;

    // Editor commands.
    FakeClock clock;

    // Tray, language, registration, help and about.
    FakeNotificationArea notificationArea;
    QTemporaryDir programDirectory;

    // Follow-along highlight.

    // Listening.
    FakeGlobalKeys globalKeys;

    Platform bundle() {
        Platform platform{&dialogs, &dataDirectory, &systemInfo, &shell, &voice};

        // Documents.
        platform.converter = &converter;
        platform.browser = &browser;

        // Audio export.
        platform.fileStream = &fileStream;

        // Key echo and clipboard.
        platform.keyHook = &keyHook;

        // Editor commands.
        platform.clock = &clock;

        // Tray, language, registration, help and about.
        platform.notificationArea = &notificationArea;
        platform.programDirectory = programDirectory.path() + u'/';

        // Follow-along highlight.

        // Listening.
        platform.globalKeys = &globalKeys;

        return platform;
    }
};
