#include "export/audiobook_export.h"

#include "app/app_error.h"
#include "app/atomic_file.h"
#include "export/export_names.h"
#include "speech/text_units.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <numeric>

namespace {

// Lines up to this long are titles or verse, not prose wrapped at a margin.
constexpr qsizetype ShortLine = 30;

// A book whose title leaves nothing for a file name.
const QString UntitledBook = QStringLiteral("有声书");

qint64 msAt(qint64 sample, int rate) {
    return rate > 0 ? sample * 1000 / rate : 0;
}

// The same path with the other suffix.
QString besidePath(const QString& path, const QString& suffix) {
    const QFileInfo info(path);
    return info.dir().filePath(info.completeBaseName() + u'.' + suffix);
}

int suffixBytes(const AudiobookOptions& options) {
    const qsizetype subtitle = subtitleSuffix(options.subtitles).size();
    return int(std::max(options.type.suffix.size(), subtitle)) + 1;
}

qint64 lengthOf(const QList<Chapter>& chapters) {
    qint64 length = 0;
    for (const Chapter& chapter : chapters)
        length += chapter.text.size();
    return length;
}

SpokenText asItIs(const QString& text) {
    SpokenText same{text, std::vector<int>(size_t(text.size()) + 1)};
    std::iota(same.positions.begin(), same.positions.end(), 0);
    return same;
}

void writeSubtitles(const QString& path, SubtitleKind kind, const QList<Cue>& cues,
                    const AudioTags& tags) {
    const QString text =
        kind == SubtitleKind::Srt ? srtText(cues) : lrcText(cues, tags.title, tags.artist);
    if (!writeFileAtomically(path, text.toUtf8()))
        throw AppError(QStringLiteral("无法创建文件 %1").arg(QDir::toNativeSeparators(path)));
}

} // namespace

SpokenText clauseEnded(const QString& text) {
    SpokenText ended;
    ended.text.reserve(text.size() + text.size() / ShortLine);
    ended.positions.reserve(size_t(text.size()) + 1);
    const auto keep = [&](int from, int to) {
        ended.text += QStringView(text).mid(from, to - from);
        for (int at = from; at < to; ++at)
            ended.positions.push_back(at);
    };
    int lineStart = 0;
    for (int lineEnd = int(text.indexOf(u'\n')); lineEnd >= 0;
         lineStart = lineEnd + 1, lineEnd = int(text.indexOf(u'\n', lineStart))) {
        int end = lineEnd;
        while (end > lineStart && text[end - 1].isSpace())
            --end;
        const QChar last = end > lineStart ? text[end - 1] : QChar();
        if (end == lineStart || end - lineStart > ShortLine || last.isPunct() || last.isSymbol()) {
            keep(lineStart, lineEnd + 1);
            continue;
        }
        keep(lineStart, end);
        ended.text += last.script() == QChar::Script_Han ? u'。' : u'.';
        ended.positions.push_back(end); // heard with the line's end
        keep(end, lineEnd + 1);
    }
    keep(lineStart, int(text.size()));
    ended.positions.push_back(int(text.size()));
    return ended;
}

// The times with the words' positions moved back from the spoken into the written text.
SpeechTimes asWritten(SpeechTimes times, const SpokenText& spoken) {
    for (int& position : times.positions)
        position = spoken.writtenStart(position);
    return times;
}

qint64 heardAt(const SpeechTimes& times, int from, int to) {
    const auto word = std::lower_bound(times.positions.begin(), times.positions.end(), from);
    if (word == times.positions.end() || *word >= to)
        return -1;
    return times.samples[word - times.positions.begin()];
}

QList<Cue> cuesOf(const QString& text, const SpeechTimes& times) {
    QList<Cue> cues;
    for (const TextSpan& sentence : sentenceSpans(text)) {
        const qint64 heard = heardAt(times, sentence.start, sentence.end);
        if (heard < 0)
            continue;
        const qint64 start = msAt(heard, times.sampleRate);
        if (!cues.isEmpty())
            cues.last().endMs = start;
        cues << Cue{start, 0, text.mid(sentence.start, sentence.end - sentence.start)};
    }
    if (!cues.isEmpty())
        cues.last().endMs = std::max(cues.last().startMs, msAt(times.length, times.sampleRate));
    return cues;
}

int chapterAt(const QList<Chapter>& chapters, qint64 done) {
    int chapter = 0;
    for (qint64 end = 0; chapter < chapters.size(); ++chapter) {
        end += chapters[chapter].text.size();
        if (done < end)
            break;
    }
    return std::min(chapter + 1, int(chapters.size()));
}

bool AudiobookExport::exportBook(const QList<Chapter>& chapters, const AudiobookOptions& options,
                                 const Progress& progress) {
    removeAbandonedParts(QDir(options.folder).absolutePath());
    const int count = int(chapters.size());
    const qint64 total = lengthOf(chapters);
    AudioTags album;
    album.album = options.title;
    album.artist = options.author.isEmpty() ? options.voiceName : options.author;
    const QDir folder(options.folder);
    if (options.oneFile) {
        const QString base =
            fittedFileBase({}, trimmedLine(options.title), suffixBytes(options)).trimmed();
        AudioTags tags = album;
        tags.title = options.title;
        const auto report = [&](qint64 done, qint64) {
            done = std::min(done, total);
            return progress({chapterAt(chapters, done), count, done, total});
        };
        const QString path =
            folder.filePath((base.isEmpty() ? UntitledBook : base) + u'.' + options.type.suffix);
        return writeFile(path, options.type.format, chapters, tags, options.subtitles, true,
                         report);
    }
    const AudioExport::NaturalHelpersKept voiceStaysOpen(m_exporter);
    qint64 before = 0; // characters of the chapters done
    for (int k = 0; k < count; ++k) {
        AudioTags tags = album;
        tags.title = chapters[k].title;
        tags.track = k + 1;
        tags.trackCount = count;
        const QString path =
            folder.filePath(chapterFileBase(k + 1, count, chapters[k].title, suffixBytes(options)) +
                            u'.' + options.type.suffix);
        const auto report = [&](qint64 done, qint64) {
            return progress({k + 1, count, std::min(before + done, total), total});
        };
        if (!writeFile(path, options.type.format, {chapters[k]}, tags, options.subtitles, true,
                       report))
            return false;
        before += chapters[k].text.size();
    }
    return progress({count, count, total, total});
}

bool AudiobookExport::exportFile(const QString& path, int format, const QString& text,
                                 SubtitleKind subtitles, const AudioExport::Progress& progress) {
    removeAbandonedParts(QFileInfo(path).absolutePath());
    return writeFile(path, format, {Chapter{{}, text}}, std::nullopt, subtitles, false, progress);
}

bool AudiobookExport::writeFile(const QString& path, int format, const QList<Chapter>& chapters,
                                const std::optional<AudioTags>& tags, SubtitleKind subtitles,
                                bool endClauses, const AudioExport::Progress& progress) {
    QString text;      // as written
    SpokenText ended;  // as given to the dictionary, with its positions in text
    QList<int> starts; // of the chapters in the text
    for (const Chapter& chapter : chapters) {
        if (!text.isEmpty()) {
            ended.text += u'\n';
            ended.positions.push_back(int(text.size()));
            text += u'\n';
        }
        starts << int(text.size());
        const SpokenText part = endClauses ? clauseEnded(chapter.text) : asItIs(chapter.text);
        ended.text += part.text;
        for (size_t at = 0; at + 1 < part.positions.size(); ++at)
            ended.positions.push_back(starts.last() + part.positions[at]);
        text += chapter.text;
    }
    ended.positions.push_back(int(text.size()));
    starts << int(text.size());
    if (text.trimmed().isEmpty())
        return true;
    // The one place where the book's text goes to speech: the subtitles show the text as
    // written, the positions of the words heard lead back into it.
    const SpokenText pronounced = m_dictionary->spoken(ended.text);
    const SpokenText spoken = ended.then(pronounced.text, pronounced.positions);
    SpeechTimes times;
    const bool finished = m_exporter.exportTimedText(
        path, spoken.text, format, progress,
        [&](const QString& writtenPath, const SpeechTimes& heard) {
            const SpeechTimes found = asWritten(heard, spoken);
            times = found;
            if (!tags)
                return;
            AudioTags marked = *tags;
            for (qsizetype k = 0; chapters.size() > 1 && k < chapters.size(); ++k) {
                const qint64 heard = k == 0 ? 0 : heardAt(found, starts[k], starts[k + 1]);
                if (heard < 0)
                    continue; // nothing of it is heard
                if (!marked.chapters.isEmpty())
                    marked.chapters.last().endMs = msAt(heard, found.sampleRate);
                marked.chapters << ChapterMark{chapters[k].title, msAt(heard, found.sampleRate), 0};
            }
            if (!marked.chapters.isEmpty())
                marked.chapters.last().endMs = msAt(found.length, found.sampleRate);
            writeAudioTags(writtenPath, format, marked, path);
        });
    if (!finished)
        return false;
    if (subtitles != SubtitleKind::None) {
        // A file without tags still names itself in the lyrics header.
        AudioTags header;
        header.title = QFileInfo(path).completeBaseName();
        writeSubtitles(besidePath(path, subtitleSuffix(subtitles)), subtitles, cuesOf(text, times),
                       tags.value_or(header));
    }
    return true;
}
