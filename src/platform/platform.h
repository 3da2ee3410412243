#pragma once

class Clock;
class Dialogs;
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

    // Audio export.

    // Key echo and clipboard.

    // Editor commands.
    Clock* clock = nullptr;

    // Tray, language, registration, help and about.

    // Follow-along highlight.
};
