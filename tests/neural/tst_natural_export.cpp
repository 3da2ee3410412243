// Timed exports (audiobooks, subtitles) with a natural voice: the tiny voices of
// make_tiny_voices.py in a temporary data folder, spoken into files in-process and by
// parlora-say. Skipped without the natural voices' runtime.
#include "app/app_error.h"
#include "export/audio_export.h"
#include "export/audiobook_export.h"
#include "platform/speech/neural_voice.h"
#include "platform/speech/neural_voice_folder.h"
#include "platform/speech/wav_file_stream.h"
#include "tiny_voices.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <chapterframe.h>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <sndfile.h>
#include <tableofcontentsframe.h>

namespace {

const QString TinyZh = QStringLiteral("tiny-zh");
const QString Broken = QStringLiteral("损坏的声音"); // tiny-zh without tokens.txt
const QString TwoSentences = QStringLiteral("你好，2024年。今天很好。");

QString voiceId(const QString& folder) {
    return QStringLiteral("neural:") + folder;
}

struct Sound {
    int rate = 0;
    std::vector<short> samples;
    qint64 ms() const { return rate > 0 ? qint64(samples.size()) * 1000 / rate : 0; }
};

Sound decode(const QString& path) {
    Sound sound;
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

struct TimedCue {
    qint64 startMs = 0;
    qint64 endMs = -1; // LRC: up to the next line
    QString text;
};

qint64 ms(const QRegularExpressionMatch& match, int first) {
    return ((match.captured(first).toLongLong() * 60 + match.captured(first + 1).toLongLong()) *
                60 +
            match.captured(first + 2).toLongLong()) *
               1000 +
           match.captured(first + 3).toLongLong();
}

QList<TimedCue> srtCues(const QString& text) {
    static const QRegularExpression times(
        QStringLiteral("^(\\d\\d):(\\d\\d):(\\d\\d),(\\d\\d\\d) --> "
                       "(\\d\\d):(\\d\\d):(\\d\\d),(\\d\\d\\d)$"));
    QList<TimedCue> cues;
    const QStringList lines = text.split(u'\n');
    for (qsizetype k = 1; k + 1 < lines.size(); k += 4) {
        const auto match = times.match(lines[k]);
        if (!match.hasMatch())
            return {};
        cues << TimedCue{ms(match, 1), ms(match, 5), lines[k + 1]};
    }
    return cues;
}

QList<TimedCue> lrcCues(const QString& text) {
    static const QRegularExpression line(
        QStringLiteral("^\\[(\\d\\d):(\\d\\d)\\.(\\d\\d)\\](.*)$"));
    QList<TimedCue> cues;
    for (const QString& each : text.split(u'\n', Qt::SkipEmptyParts)) {
        const auto match = line.match(each);
        if (match.hasMatch())
            cues << TimedCue{
                (match.captured(1).toLongLong() * 60 + match.captured(2).toLongLong()) * 1000 +
                    match.captured(3).toLongLong() * 10,
                -1, match.captured(4)};
    }
    return cues;
}

QStringList textsOf(const QList<TimedCue>& cues) {
    QStringList texts;
    for (const TimedCue& cue : cues)
        texts << cue.text;
    return texts;
}

// Cues in order, each within the sound and before the next.
bool cuesWithin(const QList<TimedCue>& cues, qint64 lengthMs) {
    qint64 last = 0;
    for (const TimedCue& cue : cues) {
        const qint64 end = cue.endMs < 0 ? cue.startMs : cue.endMs;
        if (cue.startMs < last || end < cue.startMs || end > lengthMs)
            return false;
        last = end;
    }
    return !cues.isEmpty();
}

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestNaturalExport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void wordsInWrittenTextAndFile_data();
    void wordsInWrittenTextAndFile();
    void chosenSpeakerIsExported();
    void cancelLeavesNoFile_data();
    void cancelLeavesNoFile();
    void brokenVoiceIsNamed();
    void oneFileHasChapterMarks();
    void sayWritesSubtitles();
    void sayWritesChapters();

private:
    bool timedExport(const QString& voice, int rate, const QString& path, const QString& text,
                     const AudioExport::Progress& progress, SpeechTimes* times = nullptr);
    // The exit status and what parlora-say wrote on standard error.
    std::pair<int, QString> say(const QStringList& arguments);

    QTemporaryDir m_data;
    std::unique_ptr<QTemporaryDir> m_dir;
    bool m_runtime = false;
    std::unique_ptr<NeuralVoice> m_voice;
    std::unique_ptr<WavFileStream> m_stream;
};

void TestNaturalExport::initTestCase() {
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    m_runtime = naturalRuntimeFetched();
    if (!m_runtime)
        return;
    const QString voices = m_data.filePath(QStringLiteral("parlora/voices"));
    const QString failure = makeTinyVoices(voices);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    const QDir root(voices);
    QVERIFY(root.mkpath(Broken));
    for (const QString& name : QDir(root.filePath(TinyZh)).entryList(QDir::Files)) {
        if (name != u"tokens.txt")
            QVERIFY(QFile::copy(root.filePath(TinyZh + u'/' + name),
                                root.filePath(Broken + u'/' + name)));
    }
    m_voice = std::make_unique<NeuralVoice>();
    m_stream = std::make_unique<WavFileStream>(22050);
}

void TestNaturalExport::init() {
    if (!m_runtime)
        QSKIP("The natural voices' runtime was not fetched (scripts/install-deps): no natural "
              "voice to test");
    m_dir = std::make_unique<QTemporaryDir>();
}

bool TestNaturalExport::timedExport(const QString& voice, int rate, const QString& path,
                                    const QString& text, const AudioExport::Progress& progress,
                                    SpeechTimes* times) {
    AudioExport exporter(*m_voice, *m_stream);
    exporter.setHelperVoice({voiceId(voice), rate, 100});
    return exporter.exportTimedText(path, text, SpeechFileStream::Format16kHz16BitMono, progress,
                                    [&](const QString&, const SpeechTimes& heard) {
                                        if (times)
                                            *times = heard;
                                    });
}

void TestNaturalExport::wordsInWrittenTextAndFile_data() {
    QTest::addColumn<QString>("voice");
    QTest::addColumn<int>("rate");
    QTest::newRow("16 kHz voice") << TinyZh << 0;
    QTest::newRow("22.05 kHz voice, resampled") << "tiny-melo-zh_en" << 0;
    QTest::newRow("fastest") << TinyZh << 10;
}

// Each word where the voice says it, the number as one word: positions in the text as written,
// samples in the file, both in order; progress once a piece.
void TestNaturalExport::wordsInWrittenTextAndFile() {
    QFETCH(QString, voice);
    QFETCH(int, rate);
    const QString path = m_dir->filePath(QStringLiteral("timed.wav"));
    QList<qint64> reports;
    SpeechTimes times;
    QVERIFY(timedExport(
        voice, rate, path, TwoSentences,
        [&](qint64 done, qint64 total) {
            reports << done;
            return total == TwoSentences.size();
        },
        &times));
    // Asked while a piece is awaited, and after each: the pieces' ends, in order.
    QVERIFY(std::is_sorted(reports.begin(), reports.end()));
    QCOMPARE(reports.first(), 0);
    QCOMPARE(reports.last(), 14);
    QVERIFY(reports.contains(9));
    for (qint64 done : reports)
        QVERIFY2(done == 0 || done == 9 || done == 14, qPrintable(QString::number(done)));
    QCOMPARE(times.positions, (QList<int>{0, 1, 3, 7, 9, 10, 11, 12}));
    QCOMPARE(times.samples.size(), times.positions.size());
    const Sound sound = decode(path);
    QCOMPARE(sound.rate, 16000);
    QCOMPARE(times.sampleRate, 16000);
    QCOMPARE(times.length, qint64(sound.samples.size()));
    for (qsizetype k = 1; k < times.samples.size(); ++k)
        QVERIFY2(times.samples[k] > times.samples[k - 1], qPrintable(QString::number(k)));
    QVERIFY(times.samples.last() < times.length);
    // The first word is where the sound begins, within 5 ms.
    const auto loud = std::find_if(sound.samples.begin(), sound.samples.end(),
                                   [](short s) { return std::abs(int(s)) >= 500; });
    QVERIFY(loud != sound.samples.end());
    QVERIFY2(std::abs(times.samples.first() - (loud - sound.samples.begin())) <= 80,
             qPrintable(QString::number(times.samples.first())));
}

// tiny-zh has two speakers; the second is the id with "/1" and a higher pitch.
void TestNaturalExport::chosenSpeakerIsExported() {
    QList<Sound> sounds;
    for (const QString& voice : {TinyZh, TinyZh + QStringLiteral("/1")}) {
        const QString path = m_dir->filePath(QStringLiteral("speaker.wav"));
        QVERIFY(timedExport(voice, 0, path, TwoSentences, [](qint64, qint64) { return true; }));
        sounds << decode(path);
        QVERIFY(!sounds.last().samples.empty());
    }
    QCOMPARE(sounds[0].samples.size(), sounds[1].samples.size());
    QVERIFY(sounds[0].samples != sounds[1].samples);
}

void TestNaturalExport::cancelLeavesNoFile_data() {
    QTest::addColumn<int>("reportsAllowed");
    QTest::newRow("before the first piece") << 0;
    QTest::newRow("between pieces") << 1;
}

void TestNaturalExport::cancelLeavesNoFile() {
    QFETCH(int, reportsAllowed);
    int reports = 0;
    bool committed = false;
    AudioExport exporter(*m_voice, *m_stream);
    exporter.setHelperVoice({voiceId(TinyZh), 0, 100});
    QVERIFY(!exporter.exportTimedText(
        m_dir->filePath(QStringLiteral("cancelled.wav")), TwoSentences,
        SpeechFileStream::Format16kHz16BitMono,
        [&](qint64, qint64) { return reports++ < reportsAllowed; },
        [&](const QString&, const SpeechTimes&) { committed = true; }));
    QCOMPARE(reports, reportsAllowed + 1);
    QVERIFY(!committed);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestNaturalExport::brokenVoiceIsNamed() {
    try {
        timedExport(Broken, 0, m_dir->filePath(QStringLiteral("broken.wav")), TwoSentences,
                    [](qint64, qint64) { return true; });
        QFAIL("the broken voice spoke");
    } catch (const AppError& error) {
        QVERIFY2(error.message().contains(Broken), qPrintable(error.message()));
    }
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// The second chapter's mark where its first word is heard, inside the file.
void TestNaturalExport::oneFileHasChapterMarks() {
    AudioExport exporter(*m_voice, *m_stream);
    exporter.setHelperVoice({voiceId(TinyZh), 0, 100});
    AudiobookOptions book;
    book.folder = m_dir->path();
    book.type = exportFileTypes().at(1); // MP3
    book.oneFile = true;
    book.title = QStringLiteral("书");
    const QList<Chapter> chapters{{"第一章", "第一章\n天亮了。鸟儿开始唱歌。"},
                                  {"第二章", "第二章\n她走到河边。"}};
    QVERIFY(AudiobookExport(exporter).exportBook(chapters, book,
                                                 [](const BookProgress&) { return true; }));
    const QString path = m_dir->filePath(QStringLiteral("书.mp3"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("书.mp3")});
    const qint64 lengthMs = decode(path).ms();
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    QVERIFY(tag);
    const auto tocs = tag->frameListMap()["CTOC"];
    QCOMPARE(tocs.size(), 1u);
    const auto* toc = dynamic_cast<TagLib::ID3v2::TableOfContentsFrame*>(tocs.front());
    QVERIFY(toc);
    QStringList titles;
    QList<qint64> starts;
    for (const TagLib::ByteVector& id : toc->childElements()) {
        const auto* chapter = TagLib::ID3v2::ChapterFrame::findByElementID(tag, id);
        QVERIFY(chapter);
        const auto embedded = chapter->embeddedFrameListMap()["TIT2"];
        QVERIFY(!embedded.isEmpty());
        titles << QString::fromStdString(embedded.front()->toString().to8Bit(true));
        starts << chapter->startTime();
        QVERIFY(chapter->endTime() > chapter->startTime());
    }
    QCOMPARE(titles, (QStringList{"第一章", "第二章"}));
    QCOMPARE(starts.first(), 0);
    QVERIFY2(starts.last() > 0 && starts.last() < lengthMs,
             qPrintable(QStringLiteral("%1 of %2 ms").arg(starts.last()).arg(lengthMs)));
}

std::pair<int, QString> TestNaturalExport::say(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_data.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       m_dir->filePath(QStringLiteral("config")));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir->path());
    process.start(QStringLiteral(PARLORA_SAY), arguments);
    if (!process.waitForFinished(60'000))
        return {-1, {}};
    return {process.exitStatus() == QProcess::CrashExit ? 128 : process.exitCode(),
            QString::fromUtf8(process.readAllStandardError())
                .remove(QStringLiteral("parlora: no sound device; speech runs silently\n"))};
}

// The cues show the sentences as written, timed inside the file.
void TestNaturalExport::sayWritesSubtitles() {
    QFile text(m_dir->filePath(QStringLiteral("a.txt")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(TwoSentences.toUtf8() + '\n');
    text.close();
    QCOMPARE(say({"--voice", TinyZh, "--subtitles", "srt", "-o", "x.wav", "a.txt"}),
             std::pair(0, QString()));
    const QList<TimedCue> cues = srtCues(readText(m_dir->filePath(QStringLiteral("x.srt"))));
    QCOMPARE(textsOf(cues), (QStringList{"你好，2024年。", "今天很好。"}));
    const Sound sound = decode(m_dir->filePath(QStringLiteral("x.wav")));
    QVERIFY(cuesWithin(cues, sound.ms()));
    QVERIFY(cues.last().startMs > 0);
    QCOMPARE(cues.first().endMs, cues.last().startMs);
}

// A file per chapter, each a tagged track with its lyrics beside it.
void TestNaturalExport::sayWritesChapters() {
    QFile text(m_dir->filePath(QStringLiteral("河.txt")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(
        QStringLiteral("第一章 起\n天亮了。鸟儿开始唱歌。\n第二章 承\n她走到河边。\n").toUtf8());
    text.close();
    QCOMPARE(say({"--voice", TinyZh, "--chapters", "out", "--format", "mp3", "--subtitles", "lrc",
                  "河.txt"}),
             std::pair(0, QString()));
    const QDir out(m_dir->filePath(QStringLiteral("out")));
    QCOMPARE(out.entryList(QDir::Files | QDir::Hidden),
             (QStringList{"01 第一章 起.lrc", "01 第一章 起.mp3", "02 第二章 承.lrc",
                          "02 第二章 承.mp3"}));
    const QList<QStringList> cueTexts{{"第一章 起", "天亮了。", "鸟儿开始唱歌。"},
                                      {"第二章 承", "她走到河边。"}};
    const QStringList bases{"01 第一章 起", "02 第二章 承"};
    for (qsizetype k = 0; k < bases.size(); ++k) {
        const QString audio = out.filePath(bases[k] + QStringLiteral(".mp3"));
        const QList<TimedCue> cues = lrcCues(readText(out.filePath(bases[k] + ".lrc")));
        QCOMPARE(textsOf(cues), cueTexts[k]);
        QVERIFY(cuesWithin(cues, decode(audio).ms()));
        TagLib::MPEG::File file(QFile::encodeName(audio).constData());
        QVERIFY(file.ID3v2Tag());
        QCOMPARE(file.ID3v2Tag()->track(), unsigned(k + 1));
    }
}

QTEST_GUILESS_MAIN(TestNaturalExport)
#include "tst_natural_export.moc"
