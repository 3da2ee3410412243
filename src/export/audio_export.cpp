#include "export/audio_export.h"

#include "app/app_error.h"
#include "app/atomic_file.h"
#include "app/code_points.h"
#include "export/export_names.h"
#include "platform/speech/neural_piece_audio.h"
#include "platform/speech/neural_voice_folder.h"
#include "speech/voice_choice.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <algorithm>

namespace {

// Enough text per Speak for progress to move often, little enough overhead per piece, and
// little enough speech per piece (about three minutes of Mandarin) for a helper's audio to wait
// in a bounded buffer.
constexpr qsizetype PieceLength = 500;
// How long one wait for the engine lasts between two progress reports, in milliseconds.
constexpr int ProgressInterval = 50;
// How long a cancelled engine may take to let go of the stream.
constexpr int StopTimeout = 2000;
// -40 dBFS: below it a sample is the silence before a word.
constexpr int QuietLimit = 328;

// Names the file the user chose, never the part being written.
QString cannotCreate(const QString& path) {
    return QStringLiteral("无法创建文件 %1").arg(QDir::toNativeSeparators(path));
}

QString cannotWrite(const QString& path) {
    return QStringLiteral("无法写入文件 %1").arg(QDir::toNativeSeparators(path));
}

// Runs at the end of a scope, however it is left.
template <typename F> struct AtExit {
    F action;
    ~AtExit() { action(); }
};
template <typename F> AtExit(F) -> AtExit<F>;

// For each code point of the piece as the engine is given it, the piece's own position.
QList<int> sentPositions(const QString& piece) {
    QList<int> positions;
    for (int i = 0; i < piece.size(); ++i) {
        const QChar c = piece[i];
        const bool breaks =
            c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
        if (breaks && (i == 0 || piece[i - 1] != u'\r'))
            positions << i; // sent as "\r\n"
        positions << i;
        if (startsSurrogatePair(piece, i))
            ++i;
    }
    return positions;
}

// Where each word the engine began is first heard, found as the audio passes by, so that no
// more than a block of it is ever looked at.
class WordOnsets {
public:
    explicit WordOnsets(SpeechTimes& times) : m_times(times) {}

    void wordAt(int position, qint64 sample) {
        m_times.positions << position;
        m_begun << sample;
    }

    // The next samples of the file.
    void pass(const qint16* samples, size_t count) {
        const qint64 start = m_times.length;
        const qint64 end = start + qint64(count);
        while (m_times.samples.size() < m_begun.size()) {
            const qsizetype word = m_times.samples.size();
            const qint64 from = std::max(m_begun[word], start);
            if (from >= end)
                break; // its sound is still to come
            const bool nextBegun = word + 1 < m_begun.size() && m_begun[word + 1] <= end;
            const qint64 until = nextBegun ? std::max(from, m_begun[word + 1]) : end;
            const qint16* first = samples + (from - start);
            const qint16* last = samples + (until - start);
            const qint16* loud = std::find_if(
                first, last, [](qint16 s) { return s >= QuietLimit || s <= -QuietLimit; });
            if (loud != last)
                m_times.samples << start + (loud - samples);
            else if (nextBegun)
                m_times.samples << m_begun[word];
            else
                break; // on in the next block
        }
        m_times.length = end;
    }

    // The words never heard are where the engine began them.
    void pieceEnd() {
        while (m_times.samples.size() < m_begun.size())
            m_times.samples << std::min(m_begun[m_times.samples.size()], m_times.length);
    }

private:
    SpeechTimes& m_times;
    QList<qint64> m_begun; // where the engine began each word
};

} // namespace

const QList<ExportFileType>& exportFileTypes() {
    static const QList<ExportFileType> types{
        {QStringLiteral("Wav文件 (*.wav)"), QStringLiteral("wav"),
         SpeechFileStream::Format16kHz16BitMono},
        {QStringLiteral("MP3文件 (*.mp3)"), QStringLiteral("mp3"), SpeechFileStream::FormatMp3},
        {QStringLiteral("Ogg Vorbis 文件 (*.ogg)"), QStringLiteral("ogg"),
         SpeechFileStream::FormatOggVorbis},
        {QStringLiteral("Opus 文件 (*.opus)"), QStringLiteral("opus"),
         SpeechFileStream::FormatOpus},
        {QStringLiteral("FLAC文件 (*.flac)"), QStringLiteral("flac"), SpeechFileStream::FormatFlac},
    };
    return types;
}

QString exportFilters() {
    QStringList filters;
    for (const ExportFileType& type : exportFileTypes())
        filters << type.filter;
    return filters.join(QStringLiteral(";;"));
}

ExportTarget exportTarget(const QString& chosenPath, const QString& filter) {
    const QString path = lowerCaseFileName(chosenPath);
    const QList<ExportFileType>& types = exportFileTypes();
    const auto type = std::find_if(types.begin(), types.end(),
                                   [&](const ExportFileType& t) { return t.filter == filter; });
    if (type == types.end() || type == types.begin())
        return {path, types.first().format};
    const QString wav = QStringLiteral(".wav");
    if (path.endsWith(wav))
        return {path.chopped(wav.size()) + u'.' + type->suffix, type->format};
    return {path, type->format};
}

AudioExport::AudioExport(SpeechVoice& voice, SpeechFileStream& stream,
                         std::unique_ptr<SpeechWorkers> helpers)
    : m_voice(voice), m_stream(stream), m_helpers(std::move(helpers)) {}

bool AudioExport::exportText(const QString& path, const QString& text, int format,
                             const Progress& progress) {
    AtExit done{[this] { finish(); }};
    removeAbandonedParts(QFileInfo(path).absolutePath());
    const qint64 total = text.size();
    if (!writeFile(path, text, format, [&](qint64 done) { return progress(done, total); }))
        return false;
    m_commits.wait();
    return true;
}

bool AudioExport::exportLines(const QString& folder, const QStringList& lines,
                              const Progress& progress, const SpokenForm& spokenForm) {
    AtExit done{[this] { finish(); }};
    removeAbandonedParts(QDir(folder).absolutePath());
    const qint64 total = lines.size();
    QStringList files;
    QStringList spoken;
    QList<qint64> numbers;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        if (lines[n].isEmpty())
            continue;
        files << QDir(folder).filePath(lineFileName(int(n), lines[n]));
        spoken << (spokenForm ? spokenForm(trimmedLine(lines[n])) : trimmedLine(lines[n]));
        numbers << n;
    }
    numbers << total;
    // Line k is being written: the progress is its number among all lines.
    const auto lineProgress = [&](qsizetype k) { return progress(numbers[k], total); };
    // Whether finished or stopped, the files finished stay.
    const auto committed = [this](bool finished) {
        m_commits.wait();
        return finished;
    };
    if (const auto natural = naturalSpeech())
        return committed(writeLinesNaturally(*natural, files, spoken, lineProgress));
    if (helpersSpeak() && files.size() > 1)
        return committed(writeLinesWithHelpers(files, spoken, lineProgress));
    for (qsizetype k = 0; k < files.size(); ++k) {
        if (!lineProgress(k) ||
            !writeFile(files[k], spoken[k], SpeechFileStream::Format16kHz16BitMono,
                       [&](qint64) { return lineProgress(k); }))
            return committed(false);
    }
    return committed(lineProgress(files.size()));
}

bool AudioExport::exportTimedText(const QString& path, const QString& text, int format,
                                  const Progress& progress, const BeforeCommit& beforeCommit) {
    AtExit done{[this] { finish(); }};
    const qint64 total = text.size();
    const auto textProgress = [&](qint64 done) { return progress(done, total); };
    const std::optional<NeuralSpeech> natural = naturalSpeech();
    auto file = begin(path, format);
    SpeechTimes times;
    times.sampleRate = m_stream.sampleRate();
    if (!spokenOrAbandoned([&] {
            if (natural)
                return speakNatural(*natural, text, textProgress, &times);
            std::unique_ptr<SpeechWorkers> own;
            if (!m_helpers)
                own = std::make_unique<SpeechWorkers>(SpeechWorkers::defaultProgram(), 1);
            return speakTimed(m_helpers ? *m_helpers : *own, speechPieces(text, PieceLength),
                              textProgress, times);
        }))
        return false;
    complete(std::move(file),
             [&](const QString& writtenPath) { beforeCommit(writtenPath, times); });
    m_commits.wait();
    return true;
}

struct AudioExport::PartFile {
    explicit PartFile(const QString& path) : file(path) {}
    AtomicFile file;
};

std::unique_ptr<AudioExport::PartFile> AudioExport::begin(const QString& path, int format) {
    auto part = std::make_unique<PartFile>(path);
    if (!part->file.open())
        throw AppError(cannotCreate(path));
    m_stream.setFormatType(format);
    try {
        m_stream.Open(part->file.writingPath(), SpeechFileStream::CreateForWrite, false);
    } catch (const AppError&) {
        throw AppError(cannotCreate(path));
    }
    return part;
}

void AudioExport::complete(std::unique_ptr<PartFile> file,
                           const std::function<void(const QString&)>& beforeCommit) {
    try {
        m_stream.Close();
    } catch (const AppError&) {
        throw AppError(cannotWrite(file->file.path()));
    }
    if (beforeCommit)
        beforeCommit(file->file.writingPath());
    m_commits.post([part = std::shared_ptr<PartFile>(std::move(file))] {
        if (!part->file.commit())
            throw AppError(cannotCreate(part->file.path()));
    });
}

bool AudioExport::writeFile(const QString& path, const QString& text, int format,
                            const std::function<bool(qint64)>& progress) {
    auto file = begin(path, format);
    if (!spokenOrAbandoned([&] {
            if (const auto natural = naturalSpeech())
                return speakNatural(*natural, text, progress);
            const SpeechPieces pieces = speechPieces(text, PieceLength);
            if (helpersSpeak() && pieces.texts.size() > 1)
                return speakWithHelpers(pieces, progress);
            m_voice.setAllowAudioOutputFormatChangesOnNextSet(false);
            m_voice.setAudioOutputStream(&m_stream);
            return speak(pieces, progress);
        }))
        return false;
    complete(std::move(file));
    return true;
}

bool AudioExport::helpersSpeak() const {
    return m_helpers && neuralVoiceFolder(m_helperVoice.id).isEmpty();
}

bool AudioExport::spokenOrAbandoned(const std::function<bool()>& speech) {
    bool finished = false;
    try {
        finished = speech();
    } catch (...) {
        abandon();
        throw;
    }
    if (!finished)
        abandon();
    return finished;
}

// The lines synthesised side by side; each file is completed as soon as its line is, and the
// next one begun.
bool AudioExport::writeLinesWithHelpers(const QStringList& files, const QStringList& lines,
                                        const std::function<bool(qsizetype)>& lineProgress) {
    QStringList texts;
    for (const QString& line : lines)
        texts << withCrLfBreaks(line);
    std::unique_ptr<PartFile> file = begin(files.first(), SpeechFileStream::Format16kHz16BitMono);
    qsizetype written = 0;
    bool finished = false;
    try {
        finished = m_helpers->synthesise(
            texts, m_helperVoice, m_stream.sampleRate(),
            [this](const qint16* samples, size_t count) {
                return m_stream.writeSamples(samples, count);
            },
            [&](qsizetype linesDone) {
                for (; written < linesDone; ++written) {
                    complete(std::move(file));
                    if (written + 1 < files.size())
                        file = begin(files[written + 1], SpeechFileStream::Format16kHz16BitMono);
                }
                return lineProgress(written);
            });
    } catch (...) {
        abandon();
        throw;
    }
    if (!finished)
        abandon();
    return finished;
}

bool AudioExport::speak(const SpeechPieces& pieces, const std::function<bool(qint64)>& progress) {
    qint64 done = 0;
    for (qsizetype k = 0; k < pieces.texts.size(); ++k) {
        const QString& piece = pieces.texts[k];
        m_voice.Speak(withCrLfBreaks(piece),
                      SpeechVoice::SpeakAsync |
                          (pieces.endPauses[k] ? SpeechVoice::SpeakEndPause : 0));
        while (!m_voice.WaitUntilDone(ProgressInterval)) {
            if (!progress(done))
                return false;
        }
        done += piece.size();
        if (!progress(done))
            return false;
    }
    return true;
}

// The same pieces as the engine would speak, synthesised side by side and joined in order.
bool AudioExport::speakWithHelpers(const SpeechPieces& pieces,
                                   const std::function<bool(qint64)>& progress) {
    QStringList texts;
    std::vector<qint64> doneAfter{0};
    for (const QString& piece : pieces.texts) {
        texts << withCrLfBreaks(piece);
        doneAfter.push_back(doneAfter.back() + piece.size());
    }
    return m_helpers->synthesise(
        texts, m_helperVoice, m_stream.sampleRate(),
        [this](const qint16* samples, size_t count) {
            return m_stream.writeSamples(samples, count);
        },
        [&](qsizetype piecesDone) { return progress(doneAfter[size_t(piecesDone)]); }, {},
        pieces.endPauses);
}

// As speakWithHelpers, with the engine's word marks turned into places in the text and the file.
bool AudioExport::speakTimed(SpeechWorkers& helpers, const SpeechPieces& pieces,
                             const std::function<bool(qint64)>& progress, SpeechTimes& times) {
    QStringList texts;
    std::vector<qint64> doneAfter{0};
    for (const QString& piece : pieces.texts) {
        texts << withCrLfBreaks(piece);
        doneAfter.push_back(doneAfter.back() + piece.size());
    }
    WordOnsets onsets(times);
    qint64 pieceStart = 0; // in the file
    QList<int> positions;  // of the piece being read, by code point as sent
    qsizetype positionsOf = -1;
    SpeechWorkers::Timing timing;
    timing.wordStart = [&](qsizetype piece, quint32 position, quint32 sample) {
        if (positionsOf != piece) {
            positions = sentPositions(pieces.texts[piece]);
            positionsOf = piece;
        }
        if (position >= 1 && position <= quint32(positions.size()))
            onsets.wordAt(int(doneAfter[size_t(piece)]) + positions[position - 1],
                          pieceStart + sample);
    };
    timing.pieceEnd = [&](qsizetype) {
        onsets.pieceEnd();
        pieceStart = times.length;
    };
    return helpers.synthesise(
        texts, m_helperVoice, m_stream.sampleRate(),
        [&](const qint16* samples, size_t count) {
            onsets.pass(samples, count);
            return m_stream.writeSamples(samples, count);
        },
        [&](qsizetype piecesDone) { return progress(doneAfter[size_t(piecesDone)]); }, timing,
        pieces.endPauses);
}

// The natural voice's pieces into the stream, made by several helpers side by side; with
// times, each word where the voice's marks place it in its piece's sound.
bool AudioExport::speakNatural(const NeuralSpeech& speech, const QString& text,
                               const std::function<bool(qint64 done)>& progress,
                               SpeechTimes* times) {
    const std::vector<SpeechPiece> pieces = speechPieces(text);
    const int rate = m_stream.sampleRate();
    qint64 done = 0;
    return progress(done) &&
           naturalHelpers().say(
               qsizetype(pieces.size()),
               [&](NeuralWorker& worker, qsizetype k) {
                   return natural_pieces::pieceAtRate(worker, speech, text, pieces[size_t(k)],
                                                      rate);
               },
               [&](qsizetype k, NeuralPieceAudio& sound) {
                   if (times) {
                       for (const SpeechMark& mark : sound.marks) {
                           if (mark.kind != int(SpeechBoundary::Word))
                               continue;
                           times->positions << mark.position;
                           times->samples << times->length + qint64(mark.sample);
                       }
                       times->length += qint64(sound.samples.size());
                   }
                   if (!m_stream.writeSamples(sound.samples.data(), sound.samples.size()))
                       return false;
                   done = pieces[size_t(k)].end;
                   return progress(done);
               },
               [&] { return progress(done); }) &&
           progress(text.size());
}

// Each line's sound made by several helpers side by side; each file is written and completed
// as its line's turn comes.
bool AudioExport::writeLinesNaturally(const NeuralSpeech& speech, const QStringList& files,
                                      const QStringList& lines,
                                      const std::function<bool(qsizetype)>& lineProgress) {
    const int rate = m_stream.sampleRate();
    qsizetype done = 0;
    return naturalHelpers().say(
        lines.size(),
        [&](NeuralWorker& worker, qsizetype k) {
            NeuralPieceAudio line;
            for (const SpeechPiece& piece : speechPieces(lines[k])) {
                const NeuralPieceAudio sound =
                    natural_pieces::pieceAtRate(worker, speech, lines[k], piece, rate);
                line.samples.insert(line.samples.end(), sound.samples.begin(), sound.samples.end());
            }
            return line;
        },
        [&](qsizetype k, NeuralPieceAudio& sound) {
            auto file = begin(files[k], SpeechFileStream::Format16kHz16BitMono);
            if (!spokenOrAbandoned([&] {
                    return m_stream.writeSamples(sound.samples.data(), sound.samples.size());
                }))
                return false;
            complete(std::move(file));
            done = k + 1;
            return lineProgress(done);
        },
        [&] { return lineProgress(done); });
}

natural_pieces::Helpers& AudioExport::naturalHelpers() {
    if (!m_naturalHelpers)
        m_naturalHelpers =
            std::make_unique<natural_pieces::Helpers>(std::max(1, QThread::idealThreadCount()));
    return *m_naturalHelpers;
}

AudioExport::NaturalHelpersKept::NaturalHelpersKept(AudioExport& exporter) : m_exporter(exporter) {
    ++m_exporter.m_naturalHelpersKept;
}

AudioExport::NaturalHelpersKept::~NaturalHelpersKept() {
    if (--m_exporter.m_naturalHelpersKept == 0)
        m_exporter.m_naturalHelpers.reset();
}

std::optional<NeuralSpeech> AudioExport::naturalSpeech() const {
    const QString folder = neuralVoiceFolder(m_helperVoice.id);
    if (folder.isEmpty())
        return {};
    return NeuralSpeech{folder, neuralVoiceSpeaker(m_helperVoice.id), neuralVoiceLanguage(folder),
                        m_helperVoice.rate, m_helperVoice.volume};
}

// Later speech plays on the sound device again. Files finished before a failure or a stop
// still take their names.
void AudioExport::finish() {
    if (m_naturalHelpersKept == 0)
        m_naturalHelpers.reset();
    m_commits.drain();
    try {
        m_voice.setAudioOutputToDevice();
    } catch (const AppError&) {
        // The next reading or export starts from a released voice anyway.
    }
}

// Stops the speech going into the stream and closes it; what it wrote is dropped by the caller.
void AudioExport::abandon() {
    try {
        m_voice.ReleaseVoice();
        m_voice.WaitUntilDone(StopTimeout);
        m_stream.Close();
    } catch (const AppError&) {
        // The export already failed or was cancelled; the half-written file goes anyway.
    }
}
