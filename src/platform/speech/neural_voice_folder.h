#pragma once

#include "speech_voice.h"

#include <QDir>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Where the natural voices are installed: $XDG_DATA_HOME/parlora/voices (by default
// ~/.local/share/parlora/voices), one folder per voice.
QString neuralVoicesFolder();

// The folders of the installed natural voices, by name.
QStringList installedNeuralVoiceFolders();

// The installed natural voices by folder name: id "neural:" and the folder's name, the folder's
// name as description, and the language the folder's model says it speaks ("zh" when it does
// not say). A folder that is no sound voice is listed too: speaking with it tells what is wrong.
// A model with several speakers gives one voice per speaker, "/" and the speaker's number after
// the folder's name in the description; in the id only from speaker 1 on, so that the id a
// one-speaker folder had keeps naming its first speaker.
QList<VoiceToken> installedNeuralVoices();

// The folder of a natural voice's id; empty when the id is no natural voice's.
QString neuralVoiceFolder(const QString& voiceId);
// The speaker of a natural voice's id: 0 unless the id names another.
int neuralVoiceSpeaker(const QString& voiceId);
// The speaker a natural voice's description names; -1 when the model has one speaker only.
int neuralVoiceDescribedSpeaker(const QString& description);

// The model files the runtime could be given for a voice folder: model.onnx when there is one,
// else every .onnx file in it that is no vocoder (a sound voice has exactly one).
QStringList neuralModelFiles(const QDir& folder);

// The vocoders in a voice folder, in name order: the .onnx files whose names start with "vocos"
// or "hifigan". A Matcha voice needs one beside its acoustic model.
QStringList neuralVocoderFiles(const QDir& folder);

// The text entries of an ONNX model's metadata; empty when the file cannot be read as a model.
// Only the model's outer fields are walked: the graph is skipped, not read.
QHash<QString, QString> onnxMetadata(const QString& path);

// How many speakers a voice folder's model says it has: at least 1, at most 1000.
int neuralSpeakerCount(const QString& folder);

// The language tag a voice folder's model names ("en-us", "zh"); "zh" when it names none.
QString neuralVoiceLanguage(const QString& folder);
