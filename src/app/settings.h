#pragma once

#include "color_value.h"
#include "speech/global_commands.h"

#include <QString>
#include <optional>

class ProfileFile;

// The values of "set.ini", read once at start-up and applied by the start-up steps.
struct Settings {
    qint32 engine = -1;
    QString engineId; // the voice's id, which keeps naming it when the list changes
    QString speakKey = QStringLiteral("All");
    QString showKeyWord = QStringLiteral("No");
    QString showClipBrdText = QStringLiteral("No");
    QString speakClipBrd = QStringLiteral("Yes");
    qint32 rate = 0;
    qint32 volume = 80;
    QString font; // empty: the editor keeps its built-in font
    qint32 color = ColorValue::clWindow;
    bool wordWrap = true;
    bool toolBar = true;
    bool addressBar = true;
    bool progressBar = true;
    bool propertyBar = true;
    bool highlightReading = true;                      // follow-along highlight while reading
    QList<GlobalKey> globalKeys = defaultGlobalKeys(); // one for each command, empty: none
};

// What the exit writes. A value left empty is not written, so the file keeps what it had: the
// voice index when no voice is selected, and every value whose start-up step never ran.
struct SettingsToSave {
    std::optional<qint32> rate;
    std::optional<qint32> volume;
    std::optional<qint32> color;
    std::optional<QString> font;
    std::optional<bool> wordWrap;
    struct Bars {
        bool toolBar, addressBar, progressBar, propertyBar;
    };
    std::optional<Bars> bars;
    std::optional<QString> speakKey; // "All", "LetterDigit", "Letter", "Digit" or "None"
    std::optional<bool> showKeyWord;
    std::optional<bool> speakClipBrd;
    std::optional<bool> showClipBrdText;
    std::optional<qint32> engine;
    std::optional<QString> engineId;
    std::optional<bool> highlightReading;
    std::optional<QList<GlobalKey>> globalKeys;
};

Settings readSettings(const ProfileFile& profile);
void writeSettings(ProfileFile& profile, const SettingsToSave& values);
