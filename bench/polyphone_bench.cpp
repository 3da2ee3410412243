// Accuracy of the Mandarin readings on polyphone sentence sets: each line of NAME.sent has one
// character marked with U+2581 on both sides, its reading on the same line of NAME.lb. Only
// the held-out sentences are read (every 10th: lines 10, 20, ...), which the polyphone model
// was not trained on. The baseline reads each character as the one reading it has most often
// in the other sentences of the same file. Then the time to read 1 MB of the text.
//
// usage: polyphone_bench FILE.sent...

#include "speech/chinese/mandarin_pinyin.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QStringList>

#include <cstdio>

namespace {

constexpr QChar Mark(0x2581);

bool isHeldOut(qsizetype line) {
    return line % 10 == 9;
}

QStringList lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    return QString::fromUtf8(file.readAll()).split(u'\n');
}

struct Sentence {
    QString text;
    qsizetype at;
    QString reading;
};

QList<Sentence> sentences(const QString& sentPath, bool heldOut) {
    const QStringList texts = lines(sentPath);
    QString lbPath = sentPath;
    lbPath.replace(lbPath.size() - 5, 5, QStringLiteral(".lb"));
    const QStringList labels = lines(lbPath);
    QList<Sentence> out;
    for (qsizetype i = 0; i < texts.size() && i < labels.size(); ++i) {
        if (texts[i].isEmpty() || isHeldOut(i) != heldOut)
            continue;
        QString text = texts[i];
        const qsizetype at = text.indexOf(Mark);
        text.remove(Mark);
        out.append(
            {text, at, labels[i].trimmed().replace(QStringLiteral("u:"), QStringLiteral("v"))});
    }
    return out;
}

QHash<QChar, QString> majorityReadings(const QList<Sentence>& tuning) {
    QHash<QChar, QHash<QString, int>> counts;
    for (const Sentence& s : tuning)
        ++counts[s.text[s.at]][s.reading];
    QHash<QChar, QString> out;
    for (auto c = counts.cbegin(); c != counts.cend(); ++c) {
        int best = 0;
        for (auto r = c->cbegin(); r != c->cend(); ++r)
            if (r.value() > best || (r.value() == best && r.key() < out[c.key()]))
                best = r.value(), out[c.key()] = r.key();
    }
    return out;
}

void measure(const QString& path) {
    const QList<Sentence> heldOut = sentences(path, true);
    const QHash<QChar, QString> majority = majorityReadings(sentences(path, false));
    int right = 0, baseline = 0;
    for (const Sentence& s : heldOut) {
        right += MandarinPinyin::readings(s.text).value(s.at) == s.reading;
        baseline += majority.value(s.text[s.at]) == s.reading;
    }
    const double n = double(heldOut.size());
    std::printf("%s: %lld held out, accuracy %.2f %%, majority baseline %.2f %%\n",
                qPrintable(path), qlonglong(heldOut.size()), 100.0 * right / n,
                100.0 * baseline / n);
}

void measureSpeed(const QStringList& paths) {
    QString text;
    for (const QString& path : paths)
        text += lines(path).join(u'\n').remove(Mark);
    const qsizetype megabyte = 1 << 20;
    while (text.toUtf8().size() < megabyte)
        text += text;
    text.truncate(text.size() * megabyte / text.toUtf8().size());
    MandarinPinyin::readings(text.left(1000));
    QElapsedTimer timer;
    timer.start();
    const QList<QString> readings = MandarinPinyin::readings(text);
    std::printf("1 MB of text (%lld characters): %lld ms\n", qlonglong(readings.size()),
                qlonglong(timer.elapsed()));
}

} // namespace

int main(int argc, char** argv) {
    QStringList paths;
    for (int i = 1; i < argc; ++i)
        paths.append(QString::fromLocal8Bit(argv[i]));
    if (paths.isEmpty()) {
        std::fprintf(stderr, "usage: polyphone_bench FILE.sent...\n");
        return 2;
    }
    for (const QString& path : paths)
        measure(path);
    measureSpeed(paths);
    return 0;
}
