// The tags of sound files, written with TagLib: part of the audio file module.
#include "export/audio_tags.h"

#include "platform/speech/speech_voice.h"

#include <QFile>
#include <chapterframe.h>
#include <flacfile.h>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <opusfile.h>
#include <tableofcontentsframe.h>
#include <textidentificationframe.h>
#include <vorbisfile.h>
#include <wavfile.h>
#include <xiphcomment.h>

namespace {

// "01:02:03.004", the time form of chapter comments.
QString chapterCommentTime(qint64 ms) {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000, 2, 10, QChar(u'0'))
        .arg(ms / 60000 % 60, 2, 10, QChar(u'0'))
        .arg(ms / 1000 % 60, 2, 10, QChar(u'0'))
        .arg(ms % 1000, 3, 10, QChar(u'0'));
}

TagLib::String text(const QString& value) {
    return TagLib::String(value.toStdString(), TagLib::String::UTF8);
}

QString trackText(const AudioTags& tags) {
    return tags.trackCount > 0 ? QStringLiteral("%1/%2").arg(tags.track).arg(tags.trackCount)
                               : QString::number(tags.track);
}

// Replaces the frames of one kind with a single one holding value; none when value is empty.
void setTextFrame(TagLib::ID3v2::Tag& tag, const char* id, const QString& value) {
    tag.removeFrames(id);
    if (value.isEmpty())
        return;
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF8);
    frame->setText(text(value));
    tag.addFrame(frame);
}

void writeId3(TagLib::ID3v2::Tag& tag, const AudioTags& tags) {
    setTextFrame(tag, "TIT2", tags.title);
    setTextFrame(tag, "TALB", tags.album);
    setTextFrame(tag, "TPE1", tags.artist);
    setTextFrame(tag, "TRCK", tags.track > 0 ? trackText(tags) : QString());
    tag.removeFrames("CHAP");
    tag.removeFrames("CTOC");
    if (tags.chapters.isEmpty())
        return;
    TagLib::ByteVectorList children;
    for (qsizetype k = 0; k < tags.chapters.size(); ++k) {
        const ChapterMark& mark = tags.chapters[k];
        const TagLib::ByteVector id(QStringLiteral("chp%1").arg(k).toLatin1().constData());
        auto* title = new TagLib::ID3v2::TextIdentificationFrame("TIT2", TagLib::String::UTF8);
        title->setText(text(mark.title));
        TagLib::ID3v2::FrameList embedded;
        embedded.append(title);
        // Byte offsets unknown: the times alone place the chapter.
        tag.addFrame(new TagLib::ID3v2::ChapterFrame(
            id, unsigned(mark.startMs), unsigned(mark.endMs), 0xFFFFFFFF, 0xFFFFFFFF, embedded));
        children.append(id);
    }
    auto* contents = new TagLib::ID3v2::TableOfContentsFrame("toc", children);
    contents->setIsTopLevel(true);
    contents->setIsOrdered(true);
    tag.addFrame(contents);
}

void writeComments(TagLib::Ogg::XiphComment& comment, const AudioTags& tags) {
    const auto set = [&](const char* field, const QString& value) {
        comment.removeFields(field);
        if (!value.isEmpty())
            comment.addField(field, text(value));
    };
    set("TITLE", tags.title);
    set("ALBUM", tags.album);
    set("ARTIST", tags.artist);
    set("TRACKNUMBER", tags.track > 0 ? QString::number(tags.track) : QString());
    set("TRACKTOTAL", tags.trackCount > 0 ? QString::number(tags.trackCount) : QString());
    TagLib::StringList oldChapters;
    for (const auto& field : comment.fieldListMap()) {
        if (field.first.startsWith("CHAPTER"))
            oldChapters.append(field.first);
    }
    for (const TagLib::String& field : oldChapters)
        comment.removeFields(field);
    for (qsizetype k = 0; k < tags.chapters.size(); ++k) {
        const QString key = QStringLiteral("CHAPTER%1").arg(k, 3, 10, QChar(u'0'));
        set(key.toLatin1().constData(), chapterCommentTime(tags.chapters[k].startMs));
        set((key + QStringLiteral("NAME")).toLatin1().constData(), tags.chapters[k].title);
    }
}

// An Ogg file (Vorbis or Opus), whose comments are its tag.
template <typename OggFile> bool saveOggComments(TagLib::FileName name, const AudioTags& tags) {
    OggFile file(name, false);
    if (!file.isValid() || !file.tag())
        return false;
    writeComments(*file.tag(), tags);
    return file.save();
}

} // namespace

bool saveAudioTags(const QString& path, int format, const AudioTags& tags) {
    const QByteArray encoded = QFile::encodeName(path); // outlives every use of name
    const TagLib::FileName name = encoded.constData();
    switch (format) {
    case SpeechFileStream::FormatMp3: {
        TagLib::MPEG::File file(name, false);
        if (!file.isValid())
            return false;
        writeId3(*file.ID3v2Tag(true), tags);
        return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers);
    }
    case SpeechFileStream::FormatOggVorbis:
        return saveOggComments<TagLib::Ogg::Vorbis::File>(name, tags);
    case SpeechFileStream::FormatOpus:
        return saveOggComments<TagLib::Ogg::Opus::File>(name, tags);
    case SpeechFileStream::FormatFlac: {
        TagLib::FLAC::File file(name, false);
        if (!file.isValid())
            return false;
        writeComments(*file.xiphComment(true), tags);
        return file.save();
    }
    default: {
        TagLib::RIFF::WAV::File file(name, false);
        if (!file.isValid())
            return false;
        writeId3(*file.ID3v2Tag(), tags);
        return file.save(TagLib::RIFF::WAV::File::ID3v2, TagLib::File::StripOthers);
    }
    }
}
