#include "say_options.h"

#include "documents/document_kind.h"
#include "export/audio_export.h"
#include "platform/speech/neural_voice_folder.h"
#include "speech/voice_display_name.h"

#include <functional>

namespace {

int wholeNumber(const QString& option, const QString& value, int lowest, int highest) {
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number < lowest || number > highest) {
        throw UsageError(QStringLiteral("%1 takes a whole number from %2 to %3, not \"%4\"")
                             .arg(option)
                             .arg(lowest)
                             .arg(highest)
                             .arg(value));
    }
    return number;
}

int audioFormatOf(const QString& path) {
    const QString suffix = lowerAscii(pathExtension(path)).mid(1);
    for (const ExportFileType& type : exportFileTypes()) {
        if (type.suffix == suffix)
            return type.format;
    }
    throw UsageError(QStringLiteral("-o: the name \"%1\" does not end in .wav, .mp3, .ogg, "
                                    ".opus or .flac, so the audio format is unknown")
                         .arg(path));
}

ExportFileType fileTypeNamed(const QString& name) {
    for (const ExportFileType& type : exportFileTypes()) {
        if (type.suffix == lowerAscii(name))
            return type;
    }
    throw UsageError(
        QStringLiteral("--format takes mp3, ogg, opus, flac or wav, not \"%1\"").arg(name));
}

SubtitleKind subtitleKindNamed(const QString& name) {
    for (const SubtitleKind kind : {SubtitleKind::Srt, SubtitleKind::Lrc}) {
        if (subtitleSuffix(kind) == lowerAscii(name))
            return kind;
    }
    throw UsageError(QStringLiteral("--subtitles takes srt or lrc, not \"%1\"").arg(name));
}

// Options that only mean something beside another one.
void checkCombinations(const SayOptions& options, const QStringList& given) {
    const int outputs = int(!options.output.isEmpty()) + int(!options.linesFolder.isEmpty()) +
                        int(!options.chaptersFolder.isEmpty());
    if (outputs > 1)
        throw UsageError(QStringLiteral("-o, --lines and --chapters cannot be used together"));
    if (outputs > 0 && options.report != LineReport::None)
        throw UsageError(QStringLiteral(
            "--spoken-text and --pinyin cannot be used with -o, --lines or --chapters"));
    for (const QString& option :
         {QStringLiteral("--format"), QStringLiteral("--title"), QStringLiteral("--author")}) {
        if (given.contains(option) && options.chaptersFolder.isEmpty())
            throw UsageError(QStringLiteral("%1 goes with --chapters").arg(option));
    }
    if (options.subtitles != SubtitleKind::None && options.output.isEmpty() &&
        options.chaptersFolder.isEmpty())
        throw UsageError(QStringLiteral("--subtitles goes with -o or --chapters"));
}

} // namespace

SayOptions parseSayOptions(const QStringList& arguments) {
    SayOptions options;
    QStringList given;
    bool onlyFiles = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString option = arguments[i];
        if (onlyFiles || option == u'-' || !option.startsWith(u'-')) {
            options.files << option;
            continue;
        }
        if (option == QStringLiteral("--")) {
            onlyFiles = true;
            continue;
        }
        // "--rate=5" as well as "--rate 5".
        std::optional<QString> attached;
        if (const qsizetype equals = option.indexOf(u'='); option.startsWith(u"--") && equals > 0) {
            attached = option.mid(equals + 1);
            option.truncate(equals);
        }
        given << option;
        const auto value = [&] {
            if (attached)
                return *attached;
            if (i + 1 == arguments.size())
                throw UsageError(QStringLiteral("%1 needs a value").arg(option));
            return arguments[++i];
        };
        const auto flag = [&](bool& set) {
            if (attached)
                throw UsageError(QStringLiteral("%1 takes no value").arg(option));
            set = true;
        };
        const auto text = [&](QString& set) {
            set = value();
            if (set.isEmpty())
                throw UsageError(QStringLiteral("%1 needs a value").arg(option));
        };
        if (option == QStringLiteral("-o") || option == QStringLiteral("--output"))
            text(options.output);
        else if (option == QStringLiteral("--lines"))
            text(options.linesFolder);
        else if (option == QStringLiteral("--chapters"))
            text(options.chaptersFolder);
        else if (option == QStringLiteral("--format"))
            options.chapterType = fileTypeNamed(value());
        else if (option == QStringLiteral("--subtitles"))
            options.subtitles = subtitleKindNamed(value());
        else if (option == QStringLiteral("--title"))
            text(options.title);
        else if (option == QStringLiteral("--author"))
            text(options.author);
        else if (option == QStringLiteral("--voice"))
            text(options.voice);
        else if (option == QStringLiteral("--rate"))
            options.rate = wholeNumber(option, value(), -10, 10);
        else if (option == QStringLiteral("--volume"))
            options.volume = wholeNumber(option, value(), 0, 100);
        else if (option == QStringLiteral("--jobs"))
            options.jobs = wholeNumber(option, value(), 0, 64);
        else if (option == QStringLiteral("--no-dictionary"))
            flag(options.noDictionary);
        else if (option == QStringLiteral("--list-voices"))
            flag(options.listVoices);
        else if (option == QStringLiteral("--spoken-text") ||
                 option == QStringLiteral("--pinyin")) {
            if (options.report != LineReport::None)
                throw UsageError(
                    QStringLiteral("--spoken-text and --pinyin cannot be used together"));
            options.report =
                option == QStringLiteral("--pinyin") ? LineReport::Pinyin : LineReport::SpokenText;
            options.files << value();
        } else if (option == QStringLiteral("-q") || option == QStringLiteral("--quiet"))
            flag(options.quiet);
        else if (option == QStringLiteral("-h") || option == QStringLiteral("--help"))
            flag(options.help);
        else if (option == QStringLiteral("--version"))
            flag(options.version);
        else
            throw UsageError(QStringLiteral("unknown option %1").arg(option));
    }
    checkCombinations(options, given);
    if (!options.output.isEmpty())
        options.outputFormat = audioFormatOf(options.output);
    return options;
}

QString sayUsage() {
    return QStringLiteral(
        "Usage: parlora-say [OPTION]... [FILE]...\n"
        "Reads each FILE aloud: txt and ini in any encoding, rtf, doc, pdf, htm, html, mht, xml;\n"
        "a FILE of another kind is read as text. With no FILE, or when FILE is -, reads\n"
        "standard input.\n"
        "\n"
        "  -o, --output=OUT   write the speech to OUT instead: .wav, .mp3, .ogg, .opus or .flac\n"
        "      --lines=DIR    write each paragraph into a WAV file of its own in DIR\n"
        "      --chapters=DIR write each chapter into a file of its own in DIR, tagged\n"
        "                     as a track of the book: \"01 <title>.wav\"\n"
        "      --format=TYPE  the chapters' files: wav (the default), mp3, ogg, opus, flac\n"
        "      --subtitles=KIND  srt or lrc subtitles beside the -o or --chapters files\n"
        "      --title=T      the book's title (album); the first file's name by default\n"
        "      --author=A     the book's author (artist); the voice's name by default\n"
        "      --voice=NAME   the voice by a name, language (cmn, en) or --list-voices number\n"
        "      --rate=N       speed from -10 to 10, 0 is normal\n"
        "      --volume=N     volume from 0 to 100\n"
        "      --jobs=N       helper processes that synthesise an export, 0 for none\n"
        "      --no-dictionary\n"
        "                     say the words as written, not as the pronunciation\n"
        "                     dictionary of the Parlora window says them\n"
        "      --list-voices  list the installed voices: number, language, name, engine's name\n"
        "                     and, for the Chinese voices, what they do with a text\n"
        "      --spoken-text=FILE\n"
        "                     print, for each line of FILE (- for standard input), what the\n"
        "                     voice says: after the pronunciation dictionary, with numbers,\n"
        "                     dates and symbols as a Chinese voice reads them; speak nothing\n"
        "      --pinyin=FILE  print, for each line of FILE, the Mandarin pinyin of each\n"
        "                     character (tone 1-4, 5 neutral, before tone changes; _ for a\n"
        "                     blank, any other character as it is); speak nothing\n"
        "  -q, --quiet        no progress bar\n"
        "  -h, --help         show this help\n"
        "      --version      show the version\n"
        "\n"
        "The voice, speed and volume default to those last used in the Parlora window.\n"
        "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage,\n"
        "128 + the signal's number when interrupted (130 for Ctrl+C).\n");
}

QString voiceLanguage(const VoiceToken& voice) {
    if (!neuralVoiceFolder(voice.id).isEmpty())
        return voice.language;
    return voice.id.mid(voice.id.lastIndexOf(u'/') + 1);
}

qsizetype voiceNamed(const QList<VoiceToken>& voices, const QString& name) {
    bool isNumber = false;
    const int number = name.toInt(&isNumber);
    if (isNumber) {
        if (number >= 0 && number < voices.size())
            return number;
        throw UsageError(
            QStringLiteral("--voice: there is no voice number %1; --list-voices shows them")
                .arg(name));
    }
    const auto same = [&](const QString& text) {
        return text.compare(name, Qt::CaseInsensitive) == 0;
    };
    const QStringList shownNames = voiceDisplayNames(voices);
    // The closest kind of match wins, then the voice listed first.
    const std::function<bool(qsizetype)> fits[] = {
        [&](qsizetype i) { return same(voices[i].description) || same(shownNames[i]); },
        // A natural voice's folder: its first speaker.
        [&](qsizetype i) {
            return !neuralVoiceFolder(voices[i].id).isEmpty() &&
                   same(voices[i].description.section(u'/', 0, 0));
        },
        [&](qsizetype i) { return same(voices[i].id) || same(voiceLanguage(voices[i])); },
        [&](qsizetype i) {
            return voiceLanguage(voices[i]).startsWith(name + u'-', Qt::CaseInsensitive);
        },
    };
    for (const auto& fit : fits) {
        for (qsizetype i = 0; i < voices.size(); ++i) {
            if (fit(i))
                return i;
        }
    }
    throw UsageError(
        QStringLiteral("--voice: no voice is called \"%1\"; --list-voices shows them").arg(name));
}
