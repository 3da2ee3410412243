#include "engine_input.h"

#include "app/code_points.h"
#include "speech/chinese/chinese_numbers.h"
#include "speech/chinese/mandarin_pinyin.h"
#include "speech/chinese/tone_changes.h"

#include <algorithm>

namespace {

// The engine's voices that Parlora speaks Mandarin through: its pinyin voice reads every
// syllable right, and English words go to an English voice.
const QString PinyinVoice = QStringLiteral("sit/cmn-Latn-pinyin");
const QString PinyinVoiceName = QStringLiteral("cmn-latn-pinyin");
const QString EnglishVoice = QStringLiteral("gmw/en-US");
const QString EnglishVoiceName = QStringLiteral("en-us");

QString fileName(const QString& voiceId) {
    return voiceId.mid(voiceId.lastIndexOf(u'/') + 1).toLower();
}

bool isChineseVoice(const QString& voiceId) {
    const QString name = fileName(voiceId);
    return name.startsWith(QStringLiteral("cmn")) || name.startsWith(QStringLiteral("yue")) ||
           name.startsWith(QStringLiteral("hak")) || name.startsWith(QStringLiteral("zh"));
}

bool isMandarinVoice(const QString& voiceId) {
    return fileName(voiceId) == QStringLiteral("cmn");
}

bool isPinyinVoice(const QString& voiceId) {
    return fileName(voiceId) == PinyinVoiceName;
}

bool isLatinLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isLatinOrDigit(QChar c) {
    return isLatinLetter(c) || (c >= u'0' && c <= u'9');
}

// Words in Latin letters, with what joins them into one English phrase: blanks, apostrophes,
// hyphens and the punctuation inside a sentence ("Microsoft Office", "don't", "Hello, world").
qsizetype latinRunLength(const QString& text, qsizetype at) {
    if (!isLatinLetter(text.at(at)))
        return 0;
    static const QString joiners = QStringLiteral("'’-.&+_");
    static const QString clauseMarks = QStringLiteral(",;:");
    qsizetype end = at;
    while (end < text.size()) {
        const QChar c = text.at(end);
        const auto letterAt = [&](qsizetype i) {
            return i < text.size() && isLatinLetter(text.at(i));
        };
        const auto latinAt = [&](qsizetype i) {
            return i < text.size() && isLatinOrDigit(text.at(i));
        };
        if (isLatinOrDigit(c))
            ++end;
        else if (joiners.contains(c) && latinAt(end + 1))
            end += 1;
        else if (c == u' ' && letterAt(end + 1))
            end += 1;
        else if (clauseMarks.contains(c) && end + 2 < text.size() && text.at(end + 1) == u' ' &&
                 letterAt(end + 2))
            end += 2;
        else
            break;
    }
    return end - at;
}

// The length of a syllable typed in pinyin with its tone number that starts a word at a place
// ("ni3"), or 0.
qsizetype typedSyllableLength(const QString& text, qsizetype at) {
    if (!isLatinLetter(text.at(at)) || (at > 0 && isLatinOrDigit(text.at(at - 1))))
        return 0;
    qsizetype end = at;
    while (end < text.size() && isLatinLetter(text.at(end)))
        ++end;
    if (end == text.size() || text.at(end) < u'1' || text.at(end) > u'5')
        return 0;
    ++end;
    return end < text.size() && isLatinOrDigit(text.at(end)) ? 0 : end - at;
}

// The text as a Chinese reader says it, but for the syllables typed in pinyin, whose tone
// numbers are no numbers to read.
SpokenText spokenAroundSyllables(const QString& text) {
    SpokenText spoken;
    const auto append = [&](const SpokenText& part, int offset) {
        spoken.text += part.text;
        for (size_t i = 0; i + 1 < part.positions.size(); ++i)
            spoken.positions.push_back(part.positions[i] + offset);
    };
    qsizetype from = 0;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype syllable = typedSyllableLength(text, at);
        if (syllable == 0) {
            ++at;
            continue;
        }
        append(chineseSpokenForm(text.sliced(from, at - from)), int(from));
        SpokenText kept{text.sliced(at, syllable), {}};
        for (qsizetype i = 0; i <= syllable; ++i)
            kept.positions.push_back(int(i));
        append(kept, int(at));
        at += syllable;
        from = at;
    }
    append(chineseSpokenForm(text.sliced(from)), int(from));
    spoken.positions.push_back(int(text.size()));
    return spoken;
}

bool isSyllable(QStringView token) {
    if (token.size() < 2 || token.back() < u'1' || token.back() > u'5')
        return false;
    return std::all_of(token.begin(), token.end() - 1, isLatinLetter);
}

// The length of the pinyin a user wrote between square brackets at a place ("[hang2 zhang3]"),
// or 0.
qsizetype pinyinGroupLength(const QString& text, qsizetype at) {
    if (text.at(at) != u'[')
        return 0;
    const qsizetype close = text.indexOf(u']', at + 1);
    if (close < 0 || close - at > 200)
        return 0;
    const QStringView inside = QStringView(text).sliced(at + 1, close - at - 1);
    const auto tokens = inside.split(u' ');
    if (!std::all_of(tokens.begin(), tokens.end(), isSyllable))
        return 0;
    return close - at + 1;
}

// Writes the engine's text, remembering for each UTF-16 unit the place in the spoken text it
// came from. With markup, an English stretch goes into an English voice's element, and the
// Chinese after it into the pinyin voice's: the engine falls back to its Latin-as-English
// Mandarin voice when an element ends. What comes before the first English stretch stays
// outside any element, in the voice set before synthesis, so that the engine loads no voice
// before it starts to speak.
class EngineWriter {
public:
    enum class Voice { Chinese, English };
    explicit EngineWriter(bool markup) : m_markup(markup) {}

    void add(const QString& text, int from) {
        for (const QChar c : text)
            addUnit(c, from);
    }
    void addCharacter(QChar c, int from) {
        if (m_markup && c == u'<')
            add(QStringLiteral("&lt;"), from);
        else if (m_markup && c == u'>')
            add(QStringLiteral("&gt;"), from);
        else if (m_markup && c == u'&')
            add(QStringLiteral("&amp;"), from);
        else
            addUnit(c, from);
    }
    // The r of a syllable's retroflex ending, said with the syllable just written.
    void addRetroflex(int from, int end) {
        m_text.chop(1); // the blank that ended the syllable
        m_units.pop_back();
        add(QStringLiteral("r"), from);
        add(QStringLiteral(" "), end);
    }
    void switchTo(Voice voice, int from) {
        if (!m_markup || voice == m_voice)
            return;
        if (m_inElement)
            add(QStringLiteral("</voice>"), from);
        add(QStringLiteral("<voice name=\"%1\">")
                .arg(voice == Voice::English ? EnglishVoiceName : PinyinVoiceName),
            from);
        m_inElement = true;
        m_voice = voice;
    }
    void finish(EngineInput& input, int end) {
        if (m_inElement)
            add(QStringLiteral("</voice>"), end);
        // The engine counts characters, not UTF-16 units.
        for (qsizetype i = 0; i < m_text.size(); ++i) {
            if (!endsSurrogatePair(m_text, i))
                input.map.push_back(m_units[size_t(i)]);
        }
        input.map.push_back(end);
        input.text = m_text.toUtf8();
        input.markup = m_markup;
    }

private:
    void addUnit(QChar c, int from) {
        m_text += c;
        m_units.push_back(from);
    }

    bool m_markup;
    Voice m_voice = Voice::Chinese;
    bool m_inElement = false;
    QString m_text;
    std::vector<int> m_units;
};

// Whether a word in Latin letters stands in the text outside the pinyin in square brackets.
bool isCapital(QChar c) {
    return c >= u'A' && c <= u'Z';
}

// The length of a word in capitals at a place ("GPU"), said letter by letter: the English voice
// says some as words ("APP", "VIP").
qsizetype abbreviationLength(const QString& text, qsizetype at) {
    if (at > 0 && isLatinOrDigit(text.at(at - 1)))
        return 0;
    qsizetype end = at;
    while (end < text.size() && isCapital(text.at(end)))
        ++end;
    const bool wordEnds = end == text.size() || !isLatinLetter(text.at(end));
    return wordEnds && end - at >= 2 && end - at <= 5 ? end - at : 0;
}

// Words in Latin letters as the English voice is to say them: abbreviations as letters joined
// by hyphens ("A-P-P"), which it says letter by letter, and the rest as written.
void writeEnglish(EngineWriter& out, const QString& text, qsizetype from, qsizetype to) {
    for (qsizetype k = from; k < to;) {
        const qsizetype letters = std::min(abbreviationLength(text, k), to - k);
        if (letters < 2) {
            out.addCharacter(text.at(k), int(k));
            ++k;
            continue;
        }
        for (qsizetype end = k + letters; k < end; ++k) {
            out.addCharacter(text.at(k), int(k));
            if (k + 1 < end)
                out.addCharacter(u'-', int(k + 1));
        }
    }
}

bool hasLatinWord(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isLatinLetter(text.at(i)))
            return true;
        i += std::max<qsizetype>(pinyinGroupLength(text, i) - 1, 0);
    }
    return false;
}

// Whether the text holds anything the pinyin voice says: Chinese characters, or pinyin the
// user wrote in square brackets.
bool hasChinese(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (QChar::script(text.at(i).unicode()) == QChar::Script_Han || pinyinGroupLength(text, i))
            return true;
    }
    return false;
}

EngineInput mandarinInput(EngineInput input) {
    const QString& said = input.spoken.text;
    // A text without Chinese (a key's name, an English sentence) goes to the English voice
    // whole, without markup: the engine never frees a voice that a change in markup loads.
    const bool chinese = hasChinese(said);
    input.voice = chinese ? PinyinVoice : EnglishVoice;
    const QList<QString> syllables = spokenTones(said, MandarinPinyin::readings(said));
    EngineWriter out(chinese && hasLatinWord(said));
    using Voice = EngineWriter::Voice;
    for (qsizetype i = 0; i < said.size();) {
        const int at = int(i);
        if (const qsizetype group = pinyinGroupLength(said, i)) {
            out.switchTo(Voice::Chinese, at);
            // Each syllable's word ends where the pinyin does: all of it stands for the words
            // it replaced.
            for (const QStringView syllable :
                 QStringView(said).sliced(i + 1, group - 2).split(u' ')) {
                out.add(syllable.toString(), at);
                out.add(QStringLiteral(" "), int(i + group));
            }
            i += group;
        } else if (syllables[i] == QStringLiteral("er5") && i > 0 && !syllables[i - 1].isEmpty()) {
            out.addRetroflex(at, int(i + 1)); // 一点儿: dian3r
            ++i;
        } else if (!syllables[i].isEmpty()) {
            out.switchTo(Voice::Chinese, at);
            out.add(syllables[i], at);
            i += unitsOfCharacterAt(said, i);
            out.add(QStringLiteral(" "), int(i)); // the syllable's word ends with its character
        } else if (const qsizetype run = latinRunLength(said, i)) {
            out.switchTo(Voice::English, at);
            writeEnglish(out, said, i, i + run);
            i += run;
        } else {
            if (QChar::script(said.at(i).unicode()) == QChar::Script_Han)
                out.switchTo(Voice::Chinese, at);
            for (const qsizetype end = i + unitsOfCharacterAt(said, i); i < end; ++i)
                out.addCharacter(said.at(i), at);
        }
    }
    out.finish(input, int(said.size()));
    return input;
}

// The text as it stands, each character mapped to its place.
void mapAsWritten(EngineInput& input, const QString& text) {
    input.map.reserve(size_t(text.size()) + 1);
    for (qsizetype i = 0; i < text.size(); i += unitsOfCharacterAt(text, i))
        input.map.push_back(int(i));
    input.map.push_back(int(text.size()));
    input.text = text.toUtf8();
}

} // namespace

int EngineInput::start(int character) const {
    const int place = map[size_t(std::clamp(character, 0, int(map.size()) - 1))];
    return spoken.positions.empty() ? place : spoken.writtenStart(place);
}

int EngineInput::end(int character) const {
    const int place = map[size_t(std::clamp(character, 0, int(map.size()) - 1))];
    return spoken.positions.empty() ? place : spoken.writtenEnd(place);
}

// The text as the voice says it, for a Chinese voice.
SpokenText chineseSpoken(const QString& voiceId, const QString& text) {
    return isPinyinVoice(voiceId) ? spokenAroundSyllables(text) : chineseSpokenForm(text);
}

QString spokenForm(const QString& voiceId, const QString& text) {
    return isChineseVoice(voiceId) ? chineseSpoken(voiceId, text).text : text;
}

EngineInput engineInput(const QString& voiceId, const QString& text) {
    EngineInput input;
    input.voice = voiceId;
    if (!isChineseVoice(voiceId)) {
        mapAsWritten(input, text);
        return input;
    }
    input.spoken = chineseSpoken(voiceId, text);
    if (isMandarinVoice(voiceId))
        return mandarinInput(std::move(input));
    mapAsWritten(input, input.spoken.text);
    return input;
}

namespace {

// A chunk holds sentences up to about this many UTF-16 units: enough that the engine's work per
// chunk dwarfs preparing it, small enough that preparing it is unnoticed before speech starts.
constexpr qsizetype ChunkSize = 300;
// A sentence longer than this is cut at a clause mark or a blank.
constexpr qsizetype LongestChunk = 800;

bool endsSentence(const QString& text, qsizetype at) {
    static const QString marks = QStringLiteral("。！？!?；;\n\u2029");
    const QChar c = text.at(at);
    if (marks.contains(c))
        return true;
    return c == u'.' && (at + 1 == text.size() || text.at(at + 1).isSpace());
}

bool closesSentence(QChar c) {
    static const QString closing = QStringLiteral("\"'”’）)」』】》");
    return closing.contains(c);
}

// Where the sentence that starts at a place ends, its closing quotes and brackets with it.
qsizetype sentenceEnd(const QString& text, qsizetype from) {
    qsizetype at = from;
    while (at < text.size() && !endsSentence(text, at))
        ++at;
    if (at == text.size())
        return at;
    ++at;
    while (at < text.size() && (closesSentence(text.at(at)) || endsSentence(text, at)))
        ++at;
    return at;
}

// Where a sentence too long for one chunk is cut: after the last clause mark or blank before
// the limit, else at the limit, never inside a character or a word in Latin letters.
qsizetype clauseCut(const QString& text, qsizetype from) {
    static const QString clauseMarks = QStringLiteral("，、,：:　 ");
    const qsizetype limit = from + LongestChunk;
    for (qsizetype at = limit - 1; at > from + LongestChunk / 2; --at) {
        if (clauseMarks.contains(text.at(at)))
            return at + 1;
    }
    qsizetype at = limit;
    while (at > from + 1 && (text.at(at).isLowSurrogate() ||
                             (isLatinOrDigit(text.at(at)) && isLatinOrDigit(text.at(at - 1)))))
        --at;
    return at;
}

} // namespace

std::vector<SpeechChunk> speechChunks(const QString& voiceId, const QString& text) {
    if (!isChineseVoice(voiceId) || text.size() <= ChunkSize)
        return {{0, int(text.size()), false}};
    std::vector<SpeechChunk> chunks;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        bool sentence = true;
        while (end < text.size() && end - start < ChunkSize) {
            const qsizetype next = sentenceEnd(text, end);
            if (next - start > LongestChunk && end > start)
                break;
            if (next - start > LongestChunk) {
                end = clauseCut(text, start);
                sentence = false;
                break;
            }
            end = next;
        }
        chunks.push_back({int(start), int(end), sentence && end < text.size()});
        start = end;
    }
    chunks.back().sentenceEnd = false;
    return chunks;
}
