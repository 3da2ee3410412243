#include "tone_changes.h"

namespace {

int toneOf(const QString& syllable) {
    const QChar last = syllable.isEmpty() ? QChar() : syllable.back();
    return last >= u'1' && last <= u'5' ? last.digitValue() : 0;
}

QString withTone(const QString& syllable, int tone) {
    return syllable.first(syllable.size() - 1) + QChar(u'0' + tone);
}

// The Chinese syllables of the text in order: where each stands in the text.
QList<qsizetype> syllablePlaces(const QList<QString>& syllables) {
    QList<qsizetype> places;
    for (qsizetype i = 0; i < syllables.size(); ++i) {
        if (toneOf(syllables[i]) != 0)
            places << i;
    }
    return places;
}

// Digits beside a 一 make it part of a number read digit by digit or a count of tens, where it
// keeps its tone (一九八四, 十一); before 百, 千, 万 and 亿 it changes as before any word.
bool isDigit(QChar c) {
    static const QString digits = QStringLiteral("零〇一二三四五六七八九十两");
    return digits.contains(c);
}

// Characters that end a word with 一 (统一, 唯一, 第一), which keeps its tone before the next one.
bool endsWordWithOne(QChar c) {
    static const QString before = QStringLiteral("第统唯之同单初期专划归逐");
    return isDigit(c) || before.contains(c);
}

// Words after 一 that name a month, a day or a count read as a number.
bool keepsOneAfter(QChar c) {
    static const QString keep = QStringLiteral("月日号楼层栋");
    return keep.contains(c);
}

// One-syllable verbs whose doubled form takes a neutral second syllable (看看, 想想).
bool isDoublingVerb(QChar c) {
    static const QString verbs =
        QStringLiteral("看想试说走听聊问找等坐玩学读写练谈笑摸尝歇逛转洗算查比动商量讲叫"
                       "猜闻揉捏拍敲翻擦修补晒跳唱瞧帮");
    return verbs.contains(c);
}

} // namespace

QList<QString> spokenTones(const QString& text, QList<QString> syllables) {
    const QList<qsizetype> places = syllablePlaces(syllables);
    // Whether the syllables k and k+1 stand side by side, with nothing between them.
    const auto adjacent = [&](qsizetype k) {
        return k + 1 < places.size() && places[k + 1] == places[k] + 1;
    };
    const QList<QString> dictionary = syllables;
    for (qsizetype k = 0; k < places.size(); ++k) {
        const qsizetype at = places[k];
        const QChar c = text.at(at);
        const bool hasNext = adjacent(k);
        const bool hasPrevious = k > 0 && adjacent(k - 1);
        const QChar next = hasNext ? text.at(places[k + 1]) : QChar();
        const QChar previous = hasPrevious ? text.at(places[k - 1]) : QChar();
        const int nextTone = hasNext ? toneOf(dictionary[places[k + 1]]) : 0;
        const bool between = hasNext && hasPrevious && next == previous;
        if (c == u'一' && dictionary[at] == QStringLiteral("yi1")) {
            if (between && isDoublingVerb(previous))
                syllables[at] = QStringLiteral("yi5");
            else if (hasNext && !isDigit(next) && !keepsOneAfter(next) &&
                     !(hasPrevious && endsWordWithOne(previous)))
                syllables[at] =
                    nextTone == 4 || nextTone == 5 ? QStringLiteral("yi2") : QStringLiteral("yi4");
        } else if (c == u'不' && dictionary[at] == QStringLiteral("bu4")) {
            if (between)
                syllables[at] = QStringLiteral("bu5");
            else if (nextTone == 4)
                syllables[at] = QStringLiteral("bu2");
        } else if (hasPrevious && previous == c && isDoublingVerb(c) &&
                   dictionary[at] == dictionary[places[k - 1]] && toneOf(dictionary[at]) != 5 &&
                   !(k > 1 && adjacent(k - 2) && text.at(places[k - 2]) == c)) {
            syllables[at] = withTone(dictionary[at], 5);
        }
    }
    return syllables;
}
