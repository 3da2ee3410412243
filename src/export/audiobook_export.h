#pragma once

#include "export/audio_export.h"
#include "export/audio_tags.h"
#include "export/chapters.h"
#include "export/subtitles.h"
#include "speech/pronunciation.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// How a book is written.
struct AudiobookOptions {
    QString folder;
    ExportFileType type = exportFileTypes().first();
    bool oneFile = false; // else a file per chapter
    SubtitleKind subtitles = SubtitleKind::None;
    QString title;  // the album, and the name of a single file
    QString author; // the artist; the voice's name when empty
    QString voiceName;
};

// Where an export of a book stands: chapter number of count being spoken, and the characters of
// the whole book done.
struct BookProgress {
    int chapter = 0;
    int chapters = 0;
    qint64 done = 0;
    qint64 total = 0;
};

// The number (from 1) of the chapter that done characters of the chapters have reached.
int chapterAt(const QList<Chapter>& chapters, qint64 done);

// The text with a full stop ("。" after Chinese) at the end of each short line that has no
// punctuation at its end, such as a title: the voice otherwise runs such a line into the next.
// Its positions lead back into the text, so that subtitles show the line as written.
SpokenText clauseEnded(const QString& text);

// Where the text's stretch [from, to) is first heard: its first word's sample; -1 when it has
// no word.
qint64 heardAt(const SpeechTimes& times, int from, int to);

// The cues of a text spoken into a file, one per sentence (as the reading commands find them)
// that has a word: each from where it is first heard to where the next one is, the last to the
// end of the file.
QList<Cue> cuesOf(const QString& text, const SpeechTimes& times);

// Writes a book's chapters through an exporter: each chapter into a file of its own, tagged as a
// track of the album, or all into one file with chapter marks; subtitles beside each file.
class AudiobookExport {
public:
    using Progress = std::function<bool(const BookProgress&)>;

    // The words are said as the dictionary says them; positions lead back to the written text.
    explicit AudiobookExport(AudioExport& exporter, SharedPronunciation dictionary =
                                                        std::make_shared<PronunciationDictionary>())
        : m_exporter(exporter), m_dictionary(std::move(dictionary)) {}

    // False when cancelled; the chapters finished stay, nothing half-written does. AppError
    // when a file cannot be written. The chapters are spoken clauseEnded.
    bool exportBook(const QList<Chapter>& chapters, const AudiobookOptions& options,
                    const Progress& progress);
    // The text into the file of the format, as exportText speaks it, with subtitles beside it
    // (same name, the kind's suffix) and no tags.
    bool exportFile(const QString& path, int format, const QString& text, SubtitleKind subtitles,
                    const AudioExport::Progress& progress);

private:
    // The chapters into the file at path: tags when given (chapter marks when there are more
    // chapters than one), subtitles beside it; progress gets characters done of these chapters.
    // endClauses: spoken clauseEnded.
    bool writeFile(const QString& path, int format, const QList<Chapter>& chapters,
                   const std::optional<AudioTags>& tags, SubtitleKind subtitles, bool endClauses,
                   const AudioExport::Progress& progress);

    AudioExport& m_exporter;
    SharedPronunciation m_dictionary;
};
