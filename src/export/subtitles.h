#pragma once

#include <QList>
#include <QString>

// One sentence shown while it is heard.
struct Cue {
    qint64 startMs = 0;
    qint64 endMs = 0;
    QString text;
};

enum class SubtitleKind { None, Srt, Lrc };

// The suffix of the kind's files: "srt", "lrc"; empty for None.
QString subtitleSuffix(SubtitleKind kind);

// Numbered cues "HH:MM:SS,mmm --> HH:MM:SS,mmm", each on one line.
QString srtText(const QList<Cue>& cues);
// A "[ti:]" and "[ar:]" header (without the "]" of the names), then "[mm:ss.xx]" and the text
// for each cue.
QString lrcText(const QList<Cue>& cues, const QString& title, const QString& artist);
