#include "export/audiobook_export.h"

#include "app/app_error.h"
#include "app/atomic_file.h"
#include "export/export_names.h"
#include "speech/text_units.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

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

void writeSubtitles(const QString& path, SubtitleKind kind, const QList<Cue>& cues,
                    const AudioTags& tags) {
    const QString text =
        kind == SubtitleKind::Srt ? srtText(cues) : lrcText(cues, tags.title, tags.artist);
    QString error;
    if (!writeFileAtomically(path, text.toUtf8(), &error))
        throw AppError(QStringLiteral("无法创建文件 %1").arg(QDir::toNativeSeparators(path)));
}

} // namespace

QList<BookSentence> sentencesToSpeak(const QString& text) {
    QList<BookSentence> sentences;
    for (const TextSpan& span : sentenceSpans(text)) {
        const QString sentence = text.mid(span.start, span.end - span.start);
        sentences << BookSentence{sentence, sentence};
    }
    return sentences;
}

QList<Cue> cuesOf(const QList<BookSentence>& sentences, const PieceTimes& times) {
    QList<Cue> cues;
    for (qsizetype k = 0; k < sentences.size() && k < times.onsets.size(); ++k) {
        const qint64 end = k + 1 < times.starts.size() ? times.starts[k + 1] : times.length;
        cues << Cue{msAt(times.onsets[k], times.sampleRate), msAt(end, times.sampleRate),
                    sentences[k].shown};
    }
    return cues;
}

bool AudiobookExport::exportBook(const QList<Chapter>& chapters, const AudiobookOptions& options,
                                 const Progress& progress) {
    const int count = int(chapters.size());
    const qint64 total = lengthOf(chapters);
    AudioTags album;
    album.album = options.title;
    album.artist = options.author.isEmpty() ? options.voiceName : options.author;
    const QDir folder(options.folder);
    if (options.oneFile) {
        const QString base = fittedFileBase({}, trimmedLine(options.title), suffixBytes(options)).trimmed();
        AudioTags tags = album;
        tags.title = options.title;
        // The chapter being spoken is the one whose characters the count has reached.
        const auto report = [&](qint64 done, qint64) {
            int chapter = 0;
            qint64 end = chapters.isEmpty() ? 0 : chapters[0].text.size();
            while (chapter + 1 < count && done >= end)
                end += chapters[++chapter].text.size();
            return progress({chapter + 1, count, done, total});
        };
        const QString path =
            folder.filePath((base.isEmpty() ? UntitledBook : base) + u'.' + options.type.suffix);
        return writeFile(path, options.type.format, chapters, tags, options.subtitles, report);
    }
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
            return progress({k + 1, count, before + done, total});
        };
        if (!writeFile(path, options.type.format, {chapters[k]}, tags, options.subtitles, report))
            return false;
        before += chapters[k].text.size();
    }
    return progress({count, count, total, total});
}

bool AudiobookExport::exportFile(const QString& path, int format, const QString& text,
                                 SubtitleKind subtitles, const AudioExport::Progress& progress) {
    return writeFile(path, format, {Chapter{{}, text}}, std::nullopt, subtitles, progress);
}

bool AudiobookExport::writeFile(const QString& path, int format, const QList<Chapter>& chapters,
                                const std::optional<AudioTags>& tags, SubtitleKind subtitles,
                                const AudioExport::Progress& progress) {
    QList<BookSentence> sentences;
    QList<qsizetype> firstSentences; // of each chapter
    for (const Chapter& chapter : chapters) {
        firstSentences << sentences.size();
        sentences += sentencesToSpeak(chapter.text);
    }
    if (sentences.isEmpty())
        return true;
    QStringList pieces;
    for (const BookSentence& sentence : sentences)
        pieces << sentence.spoken;
    // The pieces are the sentences, not the chapters' whole texts: progress is scaled to them.
    const qint64 characters = lengthOf(chapters);
    const qint64 spoken = std::max<qint64>(1, pieces.join(QString()).size());
    const auto report = [&](qint64 done, qint64) {
        return progress(done * characters / spoken, characters);
    };
    PieceTimes times;
    const bool finished = m_exporter.exportPieces(
        path, pieces, format, report, [&](const QString& writtenPath, const PieceTimes& found) {
            times = found;
            if (!tags)
                return;
            AudioTags marked = *tags;
            for (qsizetype k = 0; chapters.size() > 1 && k < chapters.size(); ++k) {
                const qsizetype first = firstSentences[k];
                const qsizetype next =
                    k + 1 < chapters.size() ? firstSentences[k + 1] : sentences.size();
                if (first == next || first >= found.starts.size())
                    continue; // a chapter of no sentences is nowhere in the file
                const qint64 end = next < found.starts.size() ? found.starts[next] : found.length;
                marked.chapters << ChapterMark{chapters[k].title,
                                               msAt(found.starts[first], found.sampleRate),
                                               msAt(end, found.sampleRate)};
            }
            writeAudioTags(writtenPath, format, marked, path);
        });
    if (!finished)
        return false;
    if (subtitles != SubtitleKind::None)
        writeSubtitles(besidePath(path, subtitleSuffix(subtitles)), subtitles,
                       cuesOf(sentences, times), tags.value_or(AudioTags{}));
    return true;
}
