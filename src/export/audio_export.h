#pragma once

#include "export/commit_queue.h"
#include "export/export_names.h"
#include "export/natural_pieces.h"
#include "platform/speech/neural_piece_audio.h"
#include "platform/speech/speech_voice.h"
#include "platform/speech/speech_workers.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// A file type the export offers: the dialog's filter, the file suffix and the stream's format.
struct ExportFileType {
    QString filter;
    QString suffix;
    int format;
};
// WAV first: the default.
const QList<ExportFileType>& exportFileTypes();
// The filters of all types, in the file dialog's form.
QString exportFilters();

// The file to write for the path and filter the user chose: the file name lower-cased, and for
// a compressed type the dialog's default ".wav" made that type's suffix.
struct ExportTarget {
    QString path;
    int format;
};
ExportTarget exportTarget(const QString& chosenPath, const QString& filter);

// Where the voice began each word of a text it spoke into a file.
struct SpeechTimes {
    int sampleRate = 0;
    QList<int> positions; // of the words in the text, in order
    // Where each word is first heard, at the file's rate: its first sample above -40 dBFS from
    // where the engine began it, before the next word (where the engine began it when none is);
    // for a natural voice, where the voice's marks place it in its piece's sound.
    QList<qint64> samples;
    qint64 length = 0; // of the whole file
};

// Writes speech into audio files through a voice and a file stream, with no window: the text
// into one file, or each line into a file of its own. A file is replaced only once it is
// complete, so a failed or cancelled export leaves nothing half-written behind.
class AudioExport {
public:
    // Called often while an export runs (done of total: characters, or lines); returning false
    // stops the export at once.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    // The voice must already have its voice, rate and volume set. With helpers, a text of more
    // than one piece is synthesised by them, with the voice given by setHelperVoice. A natural
    // voice given there is always said by helpers of its own, one per core.
    AudioExport(SpeechVoice& voice, SpeechFileStream& stream,
                std::unique_ptr<SpeechWorkers> helpers = nullptr);
    void setHelperVoice(const SpeechWorkers::Voice& voice) { m_helperVoice = voice; }
    SpeechWorkers* helpers() const { return m_helpers.get(); }

    // False when cancelled. AppError when the file cannot be written.
    bool exportText(const QString& path, const QString& text, int format, const Progress& progress);
    // How a trimmed line is said; by default as it is written.
    using SpokenForm = std::function<QString(const QString& line)>;
    // Runs on the complete file before it replaces the target, to add to it (tags).
    using BeforeCommit = std::function<void(const QString& writtenPath, const SpeechTimes& times)>;
    // As exportText, and tells where each word is heard. Needs the engine's word marks, which
    // the helpers send: without helpers of its own, one is started for the export. A natural
    // voice's words are placed by its helper's sound, as when it reads aloud; AppError naming
    // the voice when it cannot be used.
    bool exportTimedText(const QString& path, const QString& text, int format,
                         const Progress& progress, const BeforeCommit& beforeCommit);
    // One file per non-empty line in the folder, named by lineFileName. On cancel or failure
    // the files already finished stay. False when cancelled.
    bool exportLines(const QString& folder, const QStringList& lines, const Progress& progress,
                     const SpokenForm& spokenForm = {});

    // While one lives, a natural voice's helpers stay from one export to the next with the
    // voice open (an audiobook's chapter files); otherwise they end with each export.
    class NaturalHelpersKept {
    public:
        explicit NaturalHelpersKept(AudioExport& exporter);
        ~NaturalHelpersKept();
        NaturalHelpersKept(const NaturalHelpersKept&) = delete;
        NaturalHelpersKept& operator=(const NaturalHelpersKept&) = delete;

    private:
        AudioExport& m_exporter;
    };

private:
    // The file being written: a hidden file beside the target, which replaces the target once
    // complete.
    struct PartFile;
    std::unique_ptr<PartFile> begin(const QString& path, int format);
    // Closes the stream; beforeCommit runs on the finished file, which then takes its name on
    // the commit queue.
    void complete(std::unique_ptr<PartFile> file,
                  const std::function<void(const QString&)>& beforeCommit = {});
    void abandon();
    // Runs the speech into the stream; when it fails or is stopped, what it wrote is abandoned.
    bool spokenOrAbandoned(const std::function<bool()>& speech);

    // Speaks the text into path; progress gets the characters done of this text.
    bool writeFile(const QString& path, const QString& text, int format,
                   const std::function<bool(qint64 done)>& progress);
    bool speak(const SpeechPieces& pieces, const std::function<bool(qint64 done)>& progress);
    bool speakWithHelpers(const SpeechPieces& pieces,
                          const std::function<bool(qint64 done)>& progress);
    bool speakTimed(SpeechWorkers& helpers, const SpeechPieces& pieces,
                    const std::function<bool(qint64 done)>& progress, SpeechTimes& times);
    bool speakNatural(const NeuralSpeech& speech, const QString& text,
                      const std::function<bool(qint64 done)>& progress,
                      SpeechTimes* times = nullptr);
    // Line k into files[k]; lineProgress gets the number of lines done.
    bool writeLinesWithHelpers(const QStringList& files, const QStringList& lines,
                               const std::function<bool(qsizetype linesDone)>& lineProgress);
    bool writeLinesNaturally(const NeuralSpeech& speech, const QStringList& files,
                             const QStringList& lines,
                             const std::function<bool(qsizetype linesDone)>& lineProgress);
    void finish();
    // The helpers speak the engine's voices; a natural voice has helpers of its own.
    bool helpersSpeak() const;
    // How the natural voice chosen says the text; none for the engine's voices.
    std::optional<NeuralSpeech> naturalSpeech() const;
    // A natural voice's helpers, one per core, working side by side; they stay while kept.
    natural_pieces::Helpers& naturalHelpers();

    SpeechVoice& m_voice;
    SpeechFileStream& m_stream;
    std::unique_ptr<SpeechWorkers> m_helpers;
    SpeechWorkers::Voice m_helperVoice;
    CommitQueue m_commits;
    std::unique_ptr<natural_pieces::Helpers> m_naturalHelpers;
    int m_naturalHelpersKept = 0;
};
