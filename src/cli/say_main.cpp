// parlora-say: reads files aloud, or into audio files, from the command line.
#include "app/app_error.h"
#include "app/profile_file.h"
#include "app/settings.h"
#include "cli/say_input.h"
#include "cli/say_options.h"
#include "cli/say_progress.h"
#include "export/audio_export.h"
#include "export/audiobook_export.h"
#include "export/export_names.h"
#include "platform/desktop_services.h"
#include "platform/document_converter.h"
#include "platform/speech/combined_voice.h"
#include "platform/speech/engine_input.h"
#include "platform/speech/espeak_voice.h"
#include "platform/speech/neural_voice.h"
#include "platform/speech/neural_voice_folder.h"
#include "platform/speech/wav_file_stream.h"
#include "speech/chinese/mandarin_pinyin.h"
#include "speech/pronunciation_file.h"
#include "speech/voice_choice.h"
#include "speech/voice_display_name.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <functional>
#include <optional>
#include <unistd.h>

namespace {

constexpr int BadFile = 1;
constexpr int BadUsage = 2;

// The signal that asked the program to stop, or 0. Later ones change nothing: the first is
// already being handled, and ending at once would leave a half-written file behind.
std::atomic<int> stopSignal{0};

void onStopSignal(int number) {
    int none = 0;
    stopSignal.compare_exchange_strong(none, number);
}

void catchStopSignals() {
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(number, &action, nullptr);
}

bool interrupted() {
    return stopSignal != 0;
}

void printLine(std::FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
}

int badUsage(const UsageError& error) {
    printLine(stderr,
              QStringLiteral("parlora-say: %1\nTry 'parlora-say --help'.").arg(error.message()));
    return BadUsage;
}

// A file of the window's data folder.
QString windowFile(const QString& name) {
    return XdgDataDirectory(QStringLiteral("parlora")).location() + name;
}

// The window's voice, speed and volume; the window's defaults when it never stored any.
Settings storedSettings(bool quiet) {
    const QString path = windowFile(QStringLiteral("set.ini"));
    try {
        return readSettings(ProfileFile::load(path));
    } catch (const AppError& error) {
        if (!quiet)
            printLine(stderr, QStringLiteral("parlora-say: %1; the default settings are used")
                                  .arg(error.message()));
        return {};
    }
}

// The voice of the options or the stored one, with its speed and volume.
VoiceToken chooseVoice(SpeechVoice& voice, const SayOptions& options) {
    const QList<VoiceToken> voices = voice.GetVoices({}, {});
    const Settings stored = storedSettings(options.quiet);
    qsizetype index = 0;
    if (options.voice.isEmpty()) {
        QStringList names;
        for (const VoiceToken& token : voices)
            names << token.description;
        index = voiceIndexToSelect(stored.engine, stored.engineId, voices, names);
        if (index < 0)
            throw AppError(QStringLiteral("没有安装任何语音"));
    } else {
        index = voiceNamed(voices, options.voice);
    }
    voice.setVoice(voices[index]);
    voice.setRate(options.rate.value_or(stored.rate));
    voice.setVolume(options.volume.value_or(stored.volume));
    return voices[index];
}

// The window's pronunciation dictionary, unless the options leave it out.
SharedPronunciation dictionaryOf(const SayOptions& options) {
    if (options.noDictionary)
        return std::make_shared<PronunciationDictionary>();
    return std::make_shared<PronunciationDictionary>(
        PronunciationFile(windowFile(PronunciationFile::FileName)).read().rules());
}

// Plays the text on the sound device until it has all been heard or a signal stops it.
void speak(SpeechVoice& voice, const QString& text) {
    voice.Speak(withCrLfBreaks(text), SpeechVoice::SpeakAsync);
    while (!voice.WaitUntilDone(50)) {
        QCoreApplication::processEvents(); // the level and word reports nobody here reads
        if (interrupted()) {
            voice.ReleaseVoice();
            return;
        }
    }
}

// A book's title from its file's name; standard input has none.
QString titleOf(const QString& path) {
    return path == u'-' ? QStringLiteral("有声书") : QFileInfo(path).completeBaseName();
}

void makeFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        throw AppError(QStringLiteral("无法创建文件夹 %1").arg(folder));
}

class SpeechExport {
public:
    SpeechExport(SpeechVoice& voice, const VoiceToken& token, const SayOptions& options,
                 const SharedPronunciation& dictionary)
        : m_stream(EspeakVoice::SampleRate), m_exporter(voice, m_stream, helpers(options)),
          m_book(m_exporter, dictionary), m_options(options), m_dictionary(dictionary) {
        m_exporter.setHelperVoice({token.id, voice.Rate(), voice.Volume()});
    }

    void text(const QString& text) {
        const bool toLines = !m_options.linesFolder.isEmpty();
        TerminalProgress bar =
            progressBar(toLines ? QStringLiteral("paragraphs") : QStringLiteral("characters"));
        const auto progress = [&](qint64 done, qint64 total) {
            bar.show(done, total);
            return !interrupted();
        };
        if (toLines) {
            makeFolder(m_options.linesFolder);
            // The files are named after the lines as written.
            m_exporter.exportLines(
                m_options.linesFolder, exportLines(text), progress,
                [&](const QString& line) { return spokenText(*m_dictionary, line); });
        } else if (m_options.subtitles != SubtitleKind::None) {
            m_book.exportFile(m_options.output, m_options.outputFormat, text, m_options.subtitles,
                              progress);
        } else {
            m_exporter.exportText(m_options.output, spokenText(*m_dictionary, text),
                                  m_options.outputFormat, progress);
        }
    }

    void book(const QList<Chapter>& chapters, const QString& title, const QString& voiceName) {
        makeFolder(m_options.chaptersFolder);
        AudiobookOptions book;
        book.folder = m_options.chaptersFolder;
        book.type = m_options.chapterType;
        book.subtitles = m_options.subtitles;
        book.title = title;
        book.author = m_options.author;
        book.voiceName = voiceName;
        TerminalProgress bar = progressBar(QStringLiteral("characters"));
        m_book.exportBook(chapters, book, [&](const BookProgress& progress) {
            bar.show(progress.done, progress.total);
            return !interrupted();
        });
    }

private:
    static std::unique_ptr<SpeechWorkers> helpers(const SayOptions& options) {
        const int jobs = options.jobs.value_or(SpeechWorkers::defaultCount());
        return jobs > 0 ? std::make_unique<SpeechWorkers>(SpeechWorkers::defaultProgram(), jobs)
                        : nullptr;
    }

    TerminalProgress progressBar(const QString& unit) const {
        return TerminalProgress(stderr, !m_options.quiet && ::isatty(STDERR_FILENO), unit);
    }

    WavFileStream m_stream;
    AudioExport m_exporter;
    AudiobookExport m_book;
    const SayOptions& m_options;
    SharedPronunciation m_dictionary;
};

// The files' texts, one after the other; empty when a signal stopped the reading.
std::optional<QString> readTexts(DocumentReader& reader, const QStringList& files) {
    QStringList texts;
    for (const QString& file : files) {
        texts << reader.text(file);
        if (interrupted())
            return std::nullopt;
    }
    return texts.join(u'\n');
}

// Prints each line of the text as the report makes it.
void printLines(const QString& text, const std::function<QString(const QString&)>& report) {
    QStringList lines = text.split(u'\n');
    if (lines.size() > 1 && lines.back().isEmpty())
        lines.removeLast(); // the end of the last line, not a line of its own
    for (const QString& line : std::as_const(lines))
        printLine(stdout, report(line));
}

void listVoices(SpeechVoice& voice) {
    const QList<VoiceToken> voices = voice.GetVoices({}, {});
    const QStringList shownNames = voiceDisplayNames(voices);
    for (qsizetype i = 0; i < voices.size(); ++i) {
        QString line = QStringLiteral("%1\t%2\t%3\t%4")
                           .arg(i)
                           .arg(voiceLanguage(voices[i]), shownNames[i], voices[i].description);
        if (const QString does = voiceDescription(voices[i]); !does.isEmpty())
            line += u'\t' + does;
        printLine(stdout, line);
    }
}

int say(const SayOptions& options) {
    ProcessConverter converter;
    if (options.report == LineReport::Pinyin) {
        DocumentReader reader(converter, interrupted);
        if (const auto text = readTexts(reader, options.files))
            printLines(*text, MandarinPinyin::pinyinLine);
        return 0;
    }
    CombinedVoice voice(std::make_unique<EspeakVoice>(), installedNeuralVoices,
                        [] { return std::make_unique<NeuralVoice>(); });
    if (options.listVoices) {
        listVoices(voice);
        return 0;
    }
    const VoiceToken token = chooseVoice(voice, options);
    DocumentReader reader(converter, interrupted, token.language);
    if (!options.chaptersFolder.isEmpty()) {
        // Each file's text before its first chapter is named after the file.
        QList<Chapter> chapters;
        QString author; // the first the files name, unless given
        for (const QString& file : options.files) {
            chapters += reader.chapters(file, titleOf(file));
            if (author.isEmpty())
                author = reader.author();
            if (interrupted())
                return 0;
        }
        SayOptions book = options;
        if (book.author.isEmpty())
            book.author = author;
        const QString title =
            options.title.isEmpty() ? titleOf(options.files.first()) : options.title;
        SpeechExport(voice, token, book, dictionaryOf(options))
            .book(chapters, title, voiceDisplayNames({token}).first());
        return 0;
    }
    const auto read = readTexts(reader, options.files);
    if (!read)
        return 0;
    const QString& text = *read;
    const SharedPronunciation dictionary = dictionaryOf(options);
    if (options.report == LineReport::SpokenText)
        printLines(text, [&](const QString& line) {
            return spokenForm(token.id, spokenText(*dictionary, line));
        });
    else if (options.output.isEmpty() && options.linesFolder.isEmpty())
        speak(voice, spokenText(*dictionary, text));
    else
        SpeechExport(voice, token, options, dictionary).text(text);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    SayOptions options;
    try {
        options = parseSayOptions(arguments);
    } catch (const UsageError& error) {
        return badUsage(error);
    }
    if (options.help) {
        std::fputs(sayUsage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts("parlora-say " PARLORA_VERSION);
        return 0;
    }
    if (options.files.isEmpty())
        options.files << QStringLiteral("-");

    int status = 0;
    {
        // The libraries' own notes (no sound server, the web engine's set-up) are not this
        // program's messages; QT_LOGGING_RULES brings them back.
        QLoggingCategory::setFilterRules(
            QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
        // The web engine needs a graphical application; it never shows a window here, so it
        // runs off-screen unless told otherwise, with or without a display.
        std::unique_ptr<QCoreApplication> app;
        if (hasWebPage(options.files)) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
            app = std::make_unique<QGuiApplication>(argc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(argc, argv);
        }
        catchStopSignals();
        try {
            status = say(options);
        } catch (const UsageError& error) {
            status = badUsage(error);
        } catch (const AppError& error) {
            // A failure that a stop caused (its helpers stopped too) is no failure to report.
            if (!interrupted())
                printLine(stderr, QStringLiteral("parlora-say: %1").arg(error.message()));
            status = BadFile;
        }
    }
    // Ended as by the signal, once every half-written file is gone, so that a calling shell
    // knows it was stopped.
    if (const int number = stopSignal) {
        std::signal(number, SIG_DFL);
        std::raise(number);
    }
    // Everything of this program is closed by now. The sound library's own clean-up at exit
    // races its event thread and crashes now and then, so it is skipped.
    std::fflush(nullptr);
    ::_exit(status);
}
