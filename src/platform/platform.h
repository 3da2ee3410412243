#pragma once

#include <QString>

class Clock;
class Dialogs;
class DocumentConverter;
class HiddenBrowser;
class DataDirectory;
class SystemInfo;
class Shell;
class SpeechVoice;
class NotificationArea;
class KeyHook;
class SpeechFileStream;
class GlobalKeys;

// The outside world of the main window. main() wires the real services, tests wire fakes.
struct Platform {
    Dialogs* dialogs = nullptr;
    DataDirectory* dataDirectory = nullptr;
    SystemInfo* systemInfo = nullptr;
    Shell* shell = nullptr;
    SpeechVoice* voice = nullptr;

    // Documents.
    DocumentConverter* converter = nullptr;
    HiddenBrowser* browser = nullptr;

    // Audio export.
    SpeechFileStream* fileStream = nullptr; // the file the voice speaks into when exporting
    int exportHelpers = 0; // helper processes that synthesise long exports side by side

    // Key echo and clipboard.
    KeyHook* keyHook = nullptr;

    // Editor commands.
    Clock* clock = nullptr;

    // Tray, language, registration, help and about.
    NotificationArea* notificationArea = nullptr;
    QString programDirectory = {}; // the program file's folder, ending in "/"

    // Follow-along highlight.

    // Listening.
    GlobalKeys* globalKeys = nullptr; // none: the desktop offers no system-wide keys
};
