#include "export/subtitles.h"

namespace {

QString twoDigits(qint64 n) {
    return QStringLiteral("%1").arg(n, 2, 10, QChar(u'0'));
}

QString srtTime(qint64 ms) {
    return QStringLiteral("%1:%2:%3,%4")
        .arg(twoDigits(ms / 3600000), twoDigits(ms / 60000 % 60), twoDigits(ms / 1000 % 60))
        .arg(ms % 1000, 3, 10, QChar(u'0'));
}

// Hundredths cut, not rounded, so a line never shows before its sentence is heard.
QString lrcTime(qint64 ms) {
    return QStringLiteral("[%1:%2.%3]")
        .arg(twoDigits(ms / 60000), twoDigits(ms / 1000 % 60), twoDigits(ms % 1000 / 10));
}

// A cue is one line: the sentence's own line breaks would end it early.
QString oneLine(const QString& text) {
    return text.simplified();
}

// A "]" would end the header's tag early; the rest of the name would show as a lyric.
QString headerValue(const QString& text) {
    return oneLine(QString(text).remove(u']'));
}

} // namespace

QString subtitleSuffix(SubtitleKind kind) {
    switch (kind) {
    case SubtitleKind::Srt:
        return QStringLiteral("srt");
    case SubtitleKind::Lrc:
        return QStringLiteral("lrc");
    case SubtitleKind::None:
        break;
    }
    return {};
}

QString srtText(const QList<Cue>& cues) {
    QString out;
    for (qsizetype k = 0; k < cues.size(); ++k) {
        out += QStringLiteral("%1\n%2 --> %3\n%4\n\n")
                   .arg(k + 1)
                   .arg(srtTime(cues[k].startMs), srtTime(cues[k].endMs), oneLine(cues[k].text));
    }
    return out;
}

QString lrcText(const QList<Cue>& cues, const QString& title, const QString& artist) {
    QString out = QStringLiteral("[ti:%1]\n[ar:%2]\n").arg(headerValue(title), headerValue(artist));
    for (const Cue& cue : cues)
        out += lrcTime(cue.startMs) + oneLine(cue.text) + u'\n';
    return out;
}
