#pragma once

#include <QList>
#include <QString>

// A place in a file that a player offers to jump to.
struct ChapterMark {
    QString title;
    qint64 startMs = 0;
    qint64 endMs = 0;
};

// What a player shows of a file of a book.
struct AudioTags {
    QString title;
    QString album;
    QString artist;
    int track = 0; // 0: none
    int trackCount = 0;
    QList<ChapterMark> chapters;
};

// Writes the tags into the audio file of the format (a SpeechFileStream format type): ID3v2
// for MP3 and WAV (chapters as CHAP frames under a CTOC), Vorbis comments for Ogg Vorbis, Opus
// and FLAC (chapters as CHAPTERnnn comments). AppError naming shownPath when it cannot.
void writeAudioTags(const QString& path, int format, const AudioTags& tags,
                    const QString& shownPath);
