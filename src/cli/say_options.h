#pragma once

#include "app/app_error.h"
#include "export/audio_export.h"
#include "export/subtitles.h"
#include "platform/speech/speech_voice.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What parlora-say prints for each line of its input instead of speaking it: what the voice
// says, as text, or the pinyin of each character.
enum class LineReport { None, SpokenText, Pinyin };

// The command line of parlora-say. A value left empty takes the window's stored setting.
struct SayOptions {
    QStringList files; // "-" is standard input; none reads standard input
    QString voice;
    std::optional<int> rate;
    std::optional<int> volume;
    std::optional<int> jobs; // export helper processes; 0 synthesises in this process
    QString output;          // one audio file of the format outputFormat
    int outputFormat = 0;
    QString linesFolder;       // one WAV file per paragraph
    bool noDictionary = false; // the words as written, not as pronunciation.txt says them
    QString chaptersFolder;    // one file per chapter, of the type chapterType
    ExportFileType chapterType = exportFileTypes().first();
    SubtitleKind subtitles = SubtitleKind::None; // beside the output or each chapter's file
    QString title;                               // of the book; empty: the first file's name
    QString author;                              // empty: the voice's name
    bool listVoices = false;
    LineReport report = LineReport::None;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Bad usage: an unknown option, a missing or bad value. The message names the option.
class UsageError : public AppError {
public:
    using AppError::AppError;
};

// The arguments after the program's name; UsageError when they make no sense.
SayOptions parseSayOptions(const QStringList& arguments);

QString sayUsage();

// The voice a --voice value names: its index in the list, its readable name (letter case
// ignored), or a language code ("cmn", "en-us", "gmw/en"). UsageError when none fits.
qsizetype voiceNamed(const QList<VoiceToken>& voices, const QString& name);

// The language part of a voice's identifier: "cmn" for "sit/cmn".
QString voiceLanguage(const VoiceToken& voice);
