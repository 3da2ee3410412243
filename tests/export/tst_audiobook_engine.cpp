// Audiobooks written by the real engine: files and names, tags read back, subtitles against the
// decoded sound.
#include "export/audiobook_export.h"
#include "platform/speech/espeak_voice.h"
#include "platform/speech/wav_file_stream.h"
#include "speech/text_units.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <chapterframe.h>
#include <flacfile.h>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <opusfile.h>
#include <sndfile.h>
#include <tableofcontentsframe.h>
#include <vorbisfile.h>
#include <wavfile.h>
#include <xiphcomment.h>

Q_DECLARE_METATYPE(QList<Chapter>)

class TestAudiobookEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void chapterFilesAreTaggedTracks_data();
    void chapterFilesAreTaggedTracks();
    void oneFileHasChapterMarks_data();
    void oneFileHasChapterMarks();
    void cuesStartWhereSentencesAreHeard_data();
    void cuesStartWhereSentencesAreHeard();
    void cancelKeepsTheFinishedChapters();
    void subtitlesLeaveTheSpeechAsItIs();

private:
    std::unique_ptr<AudioExport> exporter(int helpers);
    AudiobookOptions options(const QString& suffix) const;
    // A hidden file left by an export that was killed while it wrote.
    void abandonPart() const;

    std::unique_ptr<EspeakVoice> m_voice;
    std::unique_ptr<WavFileStream> m_stream;
    std::unique_ptr<QTemporaryDir> m_dir;
    VoiceToken m_english;
};

namespace {

// -40 dBFS in 16-bit samples.
constexpr int Quiet = 328;
// Longer than the pauses inside a sentence, shorter than the pause after one.
constexpr double SentencePause = 0.2;

const QList<Chapter> ThreeChapters{
    {"Chapter 1", "Chapter 1\nThe sun rose over the hills. Birds began to sing."},
    {"Chapter 2", "Chapter 2\nShe walked to the river. The water was cold."},
    {"Chapter 3", "Chapter 3\nNight fell at last."},
};

// An MP3 or WAV file (by its suffix) opened for its ID3v2 tag.
struct Id3File {
    Id3File(const QString& suffix, const QByteArray& name) {
        if (suffix == u"mp3") {
            auto* mpeg = new TagLib::MPEG::File(name.constData());
            tag = mpeg->ID3v2Tag();
            file.reset(mpeg);
        } else {
            auto* wav = new TagLib::RIFF::WAV::File(name.constData());
            tag = wav->ID3v2Tag();
            file.reset(wav);
        }
    }
    std::unique_ptr<TagLib::File> file;
    TagLib::ID3v2::Tag* tag = nullptr;
};

// An Ogg Vorbis, Opus or FLAC file (by its suffix) opened for its Xiph comment.
struct XiphFile {
    XiphFile(const QString& suffix, const QByteArray& name) {
        if (suffix == u"ogg") {
            auto* ogg = new TagLib::Ogg::Vorbis::File(name.constData());
            comment = ogg->tag();
            file.reset(ogg);
        } else if (suffix == u"opus") {
            auto* opus = new TagLib::Ogg::Opus::File(name.constData());
            comment = opus->tag();
            file.reset(opus);
        } else {
            auto* flac = new TagLib::FLAC::File(name.constData());
            comment = flac->xiphComment();
            file.reset(flac);
        }
    }
    std::unique_ptr<TagLib::File> file;
    TagLib::Ogg::XiphComment* comment = nullptr;
};

QString str(const TagLib::String& value) {
    return QString::fromStdString(value.to8Bit(true));
}

struct Decoded {
    int rate = 0;
    std::vector<short> samples;
};

Decoded decode(const QString& path) {
    Decoded sound;
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return sound;
    sound.rate = info.samplerate;
    sound.samples.resize(size_t(info.frames));
    sound.samples.resize(size_t(sf_read_short(file, sound.samples.data(), info.frames)));
    sf_close(file);
    return sound;
}

// Where each burst of speech after a sentence's pause is first heard, in milliseconds.
QList<qint64> speechOnsets(const Decoded& sound) {
    QList<qint64> onsets;
    const qint64 pause = qint64(SentencePause * sound.rate);
    qint64 lastLoud = -pause;
    for (qint64 at = 0; at < qint64(sound.samples.size()); ++at) {
        if (std::abs(int(sound.samples[size_t(at)])) < Quiet)
            continue;
        if (at - lastLoud >= pause)
            onsets << at * 1000 / sound.rate;
        lastLoud = at;
    }
    return onsets;
}

qint64 srtMs(const QString& time) {
    const QStringList parts = time.split(QRegularExpression(QStringLiteral("[:,]")));
    return ((parts[0].toLongLong() * 60 + parts[1].toLongLong()) * 60 + parts[2].toLongLong()) *
               1000 +
           parts[3].toLongLong();
}

struct SrtCue {
    qint64 start = 0;
    qint64 end = 0;
    QString text;
};

// The cues of an SRT file; fails the test at the first line out of form.
QList<SrtCue> readSrt(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList blocks = QString::fromUtf8(file.readAll()).split(QStringLiteral("\n\n"));
    static const QRegularExpression timing(
        QStringLiteral("^(\\d\\d:\\d\\d:\\d\\d,\\d\\d\\d) --> (\\d\\d:\\d\\d:\\d\\d,\\d\\d\\d)$"));
    QList<SrtCue> cues;
    for (const QString& block : blocks) {
        if (block.isEmpty())
            continue;
        const QStringList lines = block.split(u'\n');
        if (lines.size() != 3 || lines[0] != QString::number(cues.size() + 1))
            return {};
        const auto match = timing.match(lines[1]);
        if (!match.hasMatch())
            return {};
        cues << SrtCue{srtMs(match.captured(1)), srtMs(match.captured(2)), lines[2]};
    }
    return cues;
}

bool always(const BookProgress&) {
    return true;
}

} // namespace

void TestAudiobookEngine::initTestCase() {
    m_voice = std::make_unique<EspeakVoice>();
    m_stream = std::make_unique<WavFileStream>(EspeakVoice::SampleRate);
    for (const VoiceToken& token : m_voice->GetVoices({}, {})) {
        if (token.id == QStringLiteral("gmw/en"))
            m_english = token;
    }
    QVERIFY(!m_english.id.isEmpty());
    m_voice->setVoice(m_english);
}

void TestAudiobookEngine::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

std::unique_ptr<AudioExport> TestAudiobookEngine::exporter(int helpers) {
    auto audio = std::make_unique<AudioExport>(
        *m_voice, *m_stream,
        helpers ? std::make_unique<SpeechWorkers>(SpeechWorkers::defaultProgram(), helpers)
                : nullptr);
    audio->setHelperVoice({m_english.id, m_voice->Rate(), m_voice->Volume()});
    return audio;
}

void TestAudiobookEngine::abandonPart() const {
    QFile part(m_dir->filePath(QStringLiteral(".parlora-0123456789abcdef.part")));
    QVERIFY(part.open(QIODevice::WriteOnly));
}

AudiobookOptions TestAudiobookEngine::options(const QString& suffix) const {
    AudiobookOptions options;
    options.folder = m_dir->path();
    for (const ExportFileType& type : exportFileTypes()) {
        if (type.suffix == suffix)
            options.type = type;
    }
    options.title = QStringLiteral("河边的故事");
    options.voiceName = QStringLiteral("英语");
    return options;
}

void TestAudiobookEngine::chapterFilesAreTaggedTracks_data() {
    QTest::addColumn<QString>("suffix");
    for (const char* suffix : {"mp3", "ogg", "opus", "flac", "wav"})
        QTest::newRow(suffix) << suffix;
}

void TestAudiobookEngine::chapterFilesAreTaggedTracks() {
    QFETCH(QString, suffix);
    AudiobookOptions book = options(suffix);
    book.author = QStringLiteral("作者");
    abandonPart(); // of a book whose export was killed: the next export removes it
    const auto audio = exporter(2);
    QVERIFY(AudiobookExport(*audio).exportBook(ThreeChapters, book, always));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"01 Chapter 1." + suffix, "02 Chapter 2." + suffix,
                          "03 Chapter 3." + suffix}));
    for (int k = 0; k < 3; ++k) {
        const QString path = m_dir->filePath(QStringLiteral("0%1 Chapter %1.").arg(k + 1) + suffix);
        QVERIFY(decode(path).samples.size() > 8000); // a playable file of speech
        const QByteArray name = QFile::encodeName(path);
        QString title, album, artist, track;
        if (suffix == u"mp3" || suffix == u"wav") {
            const Id3File file(suffix, name);
            TagLib::ID3v2::Tag* tag = file.tag;
            QVERIFY(tag);
            title = str(tag->title());
            album = str(tag->album());
            artist = str(tag->artist());
            const auto frames = tag->frameListMap()["TRCK"];
            QVERIFY(!frames.isEmpty());
            track = str(frames.front()->toString());
        } else {
            const XiphFile file(suffix, name);
            TagLib::Ogg::XiphComment* comment = file.comment;
            QVERIFY(comment);
            title = str(comment->title());
            album = str(comment->album());
            artist = str(comment->artist());
            const auto fields = comment->fieldListMap();
            track =
                str(fields["TRACKNUMBER"].toString()) + u'/' + str(fields["TRACKTOTAL"].toString());
        }
        QCOMPARE(title, ThreeChapters[k].title);
        QCOMPARE(album, book.title);
        QCOMPARE(artist, book.author);
        QCOMPARE(track, QStringLiteral("%1/3").arg(k + 1));
    }
}

void TestAudiobookEngine::oneFileHasChapterMarks_data() {
    chapterFilesAreTaggedTracks_data();
}

// Each mark starts where its chapter's first sentence is heard, within 50 ms.
void TestAudiobookEngine::oneFileHasChapterMarks() {
    QFETCH(QString, suffix);
    AudiobookOptions book = options(suffix);
    book.oneFile = true;
    abandonPart();
    const auto audio = exporter(2);
    QVERIFY(AudiobookExport(*audio).exportBook(ThreeChapters, book, always));
    const QString path = m_dir->filePath(QStringLiteral("河边的故事.") + suffix);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QFileInfo(path).fileName()});
    const QByteArray name = QFile::encodeName(path);
    QStringList titles;
    QList<qint64> starts;
    QString artist;
    if (suffix == u"mp3" || suffix == u"wav") {
        const Id3File file(suffix, name);
        TagLib::ID3v2::Tag* tag = file.tag;
        QVERIFY(tag);
        artist = str(tag->artist());
        const auto tocs = tag->frameListMap()["CTOC"];
        QCOMPARE(tocs.size(), 1u);
        const auto* toc = dynamic_cast<TagLib::ID3v2::TableOfContentsFrame*>(tocs.front());
        QVERIFY(toc && toc->isTopLevel() && toc->isOrdered());
        QCOMPARE(toc->entryCount(), 3u);
        for (const TagLib::ByteVector& id : toc->childElements()) {
            const auto* chapter = TagLib::ID3v2::ChapterFrame::findByElementID(tag, id);
            QVERIFY(chapter);
            const auto embedded = chapter->embeddedFrameListMap()["TIT2"];
            QVERIFY(!embedded.isEmpty());
            titles << str(embedded.front()->toString());
            starts << chapter->startTime();
            QVERIFY(chapter->endTime() > chapter->startTime());
        }
    } else {
        const XiphFile file(suffix, name);
        TagLib::Ogg::XiphComment* comment = file.comment;
        QVERIFY(comment);
        artist = str(comment->artist());
        const auto fields = comment->fieldListMap();
        static const QRegularExpression form(
            QStringLiteral("^(\\d\\d):(\\d\\d):(\\d\\d)\\.(\\d\\d\\d)$"));
        for (int k = 0; k < 3; ++k) {
            const QByteArray key =
                QStringLiteral("CHAPTER%1").arg(k, 3, 10, QChar(u'0')).toLatin1();
            const auto match = form.match(str(fields[key.constData()].toString()));
            QVERIFY2(match.hasMatch(), key);
            starts << ((match.captured(1).toLongLong() * 60 + match.captured(2).toLongLong()) * 60 +
                       match.captured(3).toLongLong()) *
                              1000 +
                          match.captured(4).toLongLong();
            titles << str(fields[(key + "NAME").constData()].toString());
        }
        QVERIFY(!fields.contains("CHAPTER003"));
    }
    QCOMPARE(artist, book.voiceName); // no author given
    QCOMPARE(titles, (QStringList{"Chapter 1", "Chapter 2", "Chapter 3"}));
    QCOMPARE(starts.first(), 0);
    // The sentence onsets in the decoded file: chapter k's title is the first sentence of it.
    const QList<qint64> onsets = speechOnsets(decode(path));
    QCOMPARE(onsets.size(), 8);
    const qint64 firstSentence[] = {0, 3, 6};
    for (int k = 1; k < 3; ++k) {
        QVERIFY2(std::abs(onsets[firstSentence[k]] - starts[k]) <= 50,
                 qPrintable(QStringLiteral("chapter %1 at %2 ms, heard at %3 ms")
                                .arg(k + 1)
                                .arg(starts[k])
                                .arg(onsets[firstSentence[k]])));
    }
}

void TestAudiobookEngine::cuesStartWhereSentencesAreHeard_data() {
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("helpers");
    QTest::addColumn<QList<Chapter>>("chapters");
    QTest::addColumn<bool>("pausedEverywhere");
    QTest::newRow("wav") << "wav" << 2 << ThreeChapters << true;
    QTest::newRow("mp3") << "mp3" << 2 << ThreeChapters << true;
    QTest::newRow("wav, one helper") << "wav" << 1 << ThreeChapters << true;
    QTest::newRow("wav, no helpers") << "wav" << 0 << ThreeChapters << true;
    QTest::newRow("mp3, no helpers") << "mp3" << 0 << ThreeChapters << true;
    // Several pieces of speech, each placed after the ones before it.
    QString paragraph;
    QString lines;
    for (int n = 1; n <= 40; ++n) {
        paragraph += QStringLiteral("Sentence number %1 ends here. ").arg(n);
        lines += QStringLiteral("Line %1 is a line of its own.\n").arg(n);
    }
    const QList<Chapter> longOnes{{"Chapter 1", "Chapter 1\n" + paragraph},
                                  {"Chapter 2", "Chapter 2\n" + lines}};
    QTest::newRow("long, wav") << "wav" << 2 << longOnes << true;
    QTest::newRow("long, mp3") << "mp3" << 2 << longOnes << true;
    QTest::newRow("long, no helpers") << "wav" << 0 << longOnes << true;
    QTest::newRow("long, chinese")
        << "mp3" << 2
        << QList<Chapter>{{"第一章",
                           "第一章\n" + QStringLiteral("今天下雨了。我们在家读书。").repeated(30)}}
        << true;
}

void TestAudiobookEngine::cuesStartWhereSentencesAreHeard() {
    QFETCH(QString, suffix);
    QFETCH(int, helpers);
    QFETCH(QList<Chapter>, chapters);
    QFETCH(bool, pausedEverywhere);
    AudiobookOptions book = options(suffix);
    book.subtitles = SubtitleKind::Srt;
    const auto audio = exporter(helpers);
    QVERIFY(AudiobookExport(*audio).exportBook(chapters, book, always));
    for (int k = 0; k < chapters.size(); ++k) {
        const QString base =
            m_dir->filePath(QStringLiteral("0%1 %2.").arg(k + 1).arg(chapters[k].title));
        const QList<SrtCue> cues = readSrt(base + QStringLiteral("srt"));
        const QList<qint64> onsets = speechOnsets(decode(base + suffix));
        const QString text = chapters[k].text; // the stops added for pausing are not shown
        const QList<TextSpan> sentences = sentenceSpans(text);
        QCOMPARE(cues.size(), sentences.size());
        for (qsizetype s = 0; s < cues.size(); ++s) {
            QCOMPARE(cues[s].text,
                     text.mid(sentences[s].start, sentences[s].end - sentences[s].start));
            QVERIFY(cues[s].end > cues[s].start);
            if (s > 0)
                QCOMPARE(cues[s].start, cues[s - 1].end);
        }
        // Each sentence heard after a pause has its cue; all of them do when every sentence
        // ends in a pause, also where two pieces of speech meet.
        if (pausedEverywhere)
            QCOMPARE(onsets.size(), sentences.size());
        QVERIFY(onsets.size() >= sentences.size() * 9 / 10);
        qsizetype next = 0; // cues before it are taken
        for (const qint64 onset : onsets) {
            while (next < cues.size() && cues[next].start < onset - 50)
                ++next;
            QVERIFY2(
                next < cues.size() && cues[next].start <= onset + 50,
                qPrintable(QStringLiteral("chapter %1: heard at %2 ms, the nearest cue at %3 ms")
                               .arg(k + 1)
                               .arg(onset)
                               .arg(next < cues.size() ? cues[next].start : -1)));
            ++next;
        }
    }
}

// Stopped during the second chapter: the first stays whole with its subtitles, nothing of the
// second is left.
void TestAudiobookEngine::cancelKeepsTheFinishedChapters() {
    AudiobookOptions book = options(QStringLiteral("ogg"));
    book.subtitles = SubtitleKind::Lrc;
    const auto audio = exporter(2);
    QList<int> chaptersSeen;
    bool countsHold = true;
    const bool finished =
        AudiobookExport(*audio).exportBook(ThreeChapters, book, [&](const BookProgress& progress) {
            if (chaptersSeen.isEmpty() || chaptersSeen.last() != progress.chapter)
                chaptersSeen << progress.chapter;
            countsHold = countsHold && progress.chapters == 3 && progress.done <= progress.total;
            return progress.chapter < 2;
        });
    QVERIFY(!finished);
    QCOMPARE(chaptersSeen, (QList<int>{1, 2}));
    QVERIFY(countsHold);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"01 Chapter 1.lrc", "01 Chapter 1.ogg"}));
    QFile lrc(m_dir->filePath(QStringLiteral("01 Chapter 1.lrc")));
    QVERIFY(lrc.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(lrc.readAll()).split(u'\n');
    QCOMPARE(lines.mid(0, 2), (QStringList{"[ti:Chapter 1]", "[ar:英语]"}));
    static const QRegularExpression cue(QStringLiteral("^\\[00:0\\d\\.\\d\\d\\](.*)$"));
    QStringList texts;
    for (const QString& line : lines.mid(2, 3))
        texts << cue.match(line).captured(1);
    QCOMPARE(texts,
             (QStringList{"Chapter 1", "The sun rose over the hills.", "Birds began to sing."}));
}

// -o with subtitles: the same speech as without, and the subtitles beside it.
void TestAudiobookEngine::subtitlesLeaveTheSpeechAsItIs() {
    const QString text = ThreeChapters[0].text + u'\n' + ThreeChapters[1].text;
    const auto audio = exporter(2);
    const QString plain = m_dir->filePath(QStringLiteral("plain.wav"));
    const QString timed = m_dir->filePath(QStringLiteral("timed.wav"));
    constexpr int Wav = SpeechFileStream::Format16kHz16BitMono;
    QVERIFY(audio->exportText(plain, text, Wav, [](qint64, qint64) { return true; }));
    QVERIFY(AudiobookExport(*audio).exportFile(timed, Wav, text, SubtitleKind::Lrc,
                                               [](qint64, qint64) { return true; }));
    const Decoded before = decode(plain);
    QVERIFY(!before.samples.empty());
    QVERIFY(before.samples == decode(timed).samples);
    QFile lrc(m_dir->filePath(QStringLiteral("timed.lrc")));
    QVERIFY(lrc.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(lrc.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.mid(0, 2), (QStringList{"[ti:timed]", "[ar:]"}));
    QCOMPARE(lines.size() - 2, sentenceSpans(text).size());
}

QTEST_GUILESS_MAIN(TestAudiobookEngine)
#include "tst_audiobook_engine.moc"
