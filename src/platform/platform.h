#pragma once

class Dialogs;
class DocumentConverter;
class HiddenBrowser;
class DataDirectory;
class SystemInfo;
class Shell;
class SpeechVoice;

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

    // Key echo and clipboard.

    // Editor commands.

    // Tray, language, registration, help and about.

    // Follow-along highlight.
};
