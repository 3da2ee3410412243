// A helper that speaks with the natural voices, so that a voice the runtime cannot read ends
// this process and never the window: the runtime ends its process on some malformed voice
// folders and throws through its C calls on others.
//   stdin, per request:  "<folder bytes>\t<speaker id>\t<speed>\t<text bytes>\n", then that
//                        many bytes of the voice folder's path and of UTF-8 text; speed 1 is the
//                        voice's own, 2 twice as fast. The voice stays open while the requests
//                        name the same folder. Empty text only opens the voice.
//   stdout, per request: [uint32 sample rate][uint32 speaker count], then blocks of
//                        [uint32 sample count][16-bit samples], ended by a block with a count of 0.
// A voice that cannot be opened or spoken ends the helper with status 1 and one line on stderr
// saying why; the end of stdin ends it with status 0.
#include "app/app_error.h"
#include "platform/speech/neural_library.h"
#include "platform/speech/neural_voice_folder.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

// Samples per block sent.
constexpr size_t BlockSamples = 16384;

[[noreturn]] void fail(const QString& reason) {
    std::fprintf(stderr, "%s\n", reason.toUtf8().constData());
    std::fflush(stderr);
    std::_Exit(1);
}

bool send(const void* data, size_t size) {
    return size == 0 || std::fwrite(data, size, 1, stdout) == 1;
}

bool sendNumber(uint32_t value) {
    return send(&value, sizeof value);
}

// What the runtime is given for a voice folder laid out as the runtime's model releases are:
//   VITS (and Piper, MeloTTS): one .onnx model, tokens.txt, lexicon.txt or espeak-ng-data;
//   Matcha: the acoustic model (model-steps-*.onnx) and a vocoder put beside it (vocos-*.onnx
//           or hifigan*.onnx), tokens.txt, lexicon.txt or espeak-ng-data;
//   Kokoro: model.onnx with the speakers' voices.bin, tokens.txt, espeak-ng-data, and in the
//           multilingual releases lexicon-*.txt.
// Each may have dict/ and *.fst / *.far rules for numbers, dates and the like.
class VoiceFolder {
public:
    explicit VoiceFolder(const QString& path) : m_dir(path) {
        if (!m_dir.exists())
            fail(QStringLiteral("声音文件夹不存在"));
        const QStringList models = neuralModelFiles(m_dir);
        if (models.size() != 1)
            fail(
                QStringLiteral("文件夹里应有一个模型文件（.onnx），现有 %1 个").arg(models.size()));
        m_model = QFile::encodeName(models.first()).toStdString();
        if (QFileInfo(m_dir.filePath(QStringLiteral("voices.bin"))).isFile())
            m_family = Family::Kokoro;
        else if (isMatcha(models.first()) || !neuralVocoderFiles(m_dir).isEmpty())
            m_family = Family::Matcha;
        m_tokens = file(QStringLiteral("tokens.txt"));
        if (m_tokens.empty())
            fail(QStringLiteral("缺少 tokens.txt"));
        if (m_family == Family::Matcha) {
            const QStringList vocoders = neuralVocoderFiles(m_dir);
            if (vocoders.isEmpty())
                fail(QStringLiteral("这是 Matcha 声音，还缺声码器：请把声码器（vocos-*.onnx）放在"
                                    "模型旁边"));
            if (vocoders.size() > 1)
                fail(QStringLiteral("文件夹里应有一个声码器（vocos-*.onnx），现有 %1 个")
                         .arg(vocoders.size()));
            m_vocoder = QFile::encodeName(vocoders.first()).toStdString();
        }
        if (QFileInfo(m_dir.filePath(QStringLiteral("espeak-ng-data"))).isDir())
            m_espeakData = path8(QStringLiteral("espeak-ng-data"));
        if (m_family == Family::Kokoro) {
            m_voices = path8(QStringLiteral("voices.bin"));
            if (m_espeakData.empty())
                fail(QStringLiteral("缺少 espeak-ng-data 文件夹"));
            // A word in several lexicons is read from the first: American English, the
            // runtime's English, before the British one.
            QStringList lexicons =
                m_dir.entryList({QStringLiteral("lexicon-*.txt")}, QDir::Files, QDir::Name);
            if (lexicons.removeOne(QStringLiteral("lexicon-us-en.txt")))
                lexicons.prepend(QStringLiteral("lexicon-us-en.txt"));
            for (const QString& name : lexicons)
                m_lexicon += (m_lexicon.empty() ? "" : ",") + path8(name);
            if (m_lexicon.empty() && isMultilingualKokoro(models.first()))
                fail(QStringLiteral("这是多语言 Kokoro 声音，缺少词典文件（lexicon-us-en.txt、"
                                    "lexicon-zh.txt 等 lexicon-*.txt）"));
        } else {
            m_lexicon = file(QStringLiteral("lexicon.txt"));
            if (m_lexicon.empty() && m_espeakData.empty())
                fail(QStringLiteral("缺少 lexicon.txt（或 espeak-ng-data 文件夹）"));
        }
        if (QFileInfo(m_dir.filePath(QStringLiteral("dict"))).isDir())
            m_dict = path8(QStringLiteral("dict"));
        m_ruleFsts = joined(QStringLiteral("*.fst"));
        m_ruleFars = joined(QStringLiteral("*.far"));
    }

    SherpaOnnxOfflineTtsConfig config() const {
        SherpaOnnxOfflineTtsConfig config{};
        switch (m_family) {
        case Family::Vits:
            config.model.vits.model = m_model.c_str();
            giveTextFiles(config.model.vits);
            break;
        case Family::Matcha:
            config.model.matcha.acoustic_model = m_model.c_str();
            config.model.matcha.vocoder = m_vocoder.c_str();
            giveTextFiles(config.model.matcha);
            break;
        case Family::Kokoro:
            config.model.kokoro.model = m_model.c_str();
            config.model.kokoro.voices = m_voices.c_str();
            giveTextFiles(config.model.kokoro);
            break;
        }
        config.model.num_threads = 1; // exports run one helper per core
        config.model.provider = "cpu";
        config.rule_fsts = m_ruleFsts.c_str();
        config.rule_fars = m_ruleFars.c_str();
        config.max_num_sentences = 1; // audio sentence by sentence
        return config;
    }

private:
    enum class Family { Vits, Matcha, Kokoro };

    // What every family reads its text through, under the same names.
    template <typename Model> void giveTextFiles(Model& model) const {
        model.tokens = m_tokens.c_str();
        model.lexicon = m_lexicon.c_str();
        model.data_dir = m_espeakData.c_str();
        model.dict_dir = m_dict.c_str();
    }

    // A Matcha acoustic model: a release names it model-steps-N.onnx, and its metadata says so.
    static bool isMatcha(const QString& model) {
        return QFileInfo(model).fileName().startsWith(QStringLiteral("model-steps-")) ||
               onnxMetadata(model)
                   .value(QStringLiteral("model_type"))
                   .startsWith(QStringLiteral("matcha"), Qt::CaseInsensitive);
    }

    // Kokoro 1.0 and later speak several languages and read their words through lexicons.
    static bool isMultilingualKokoro(const QString& model) {
        return onnxMetadata(model).value(QStringLiteral("version")).toInt() >= 2;
    }

    std::string path8(const QString& name) const {
        return QFile::encodeName(m_dir.filePath(name)).toStdString();
    }
    std::string file(const QString& name) const {
        return QFileInfo(m_dir.filePath(name)).isFile() ? path8(name) : std::string();
    }
    // The folder's files of that pattern, in name order, comma-separated.
    std::string joined(const QString& pattern) const {
        std::string list;
        for (const QString& name : m_dir.entryList({pattern}, QDir::Files, QDir::Name))
            list += (list.empty() ? "" : ",") + path8(name);
        return list;
    }

    QDir m_dir;
    Family m_family = Family::Vits;
    std::string m_model, m_vocoder, m_voices, m_tokens, m_lexicon, m_espeakData, m_dict, m_ruleFsts,
        m_ruleFars;
};

class Voice {
public:
    Voice(const NeuralLibrary& library, const QString& folder) : m_library(library) {
        const VoiceFolder files(folder);
        const SherpaOnnxOfflineTtsConfig config = files.config();
        m_tts = m_library.create(&config);
        if (!m_tts)
            fail(QStringLiteral("运行库无法载入这个声音（模型、tokens.txt 或词典不对）"));
    }
    ~Voice() { m_library.destroy(m_tts); }
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    int sampleRate() const { return m_library.sampleRate(m_tts); }
    int speakerCount() const { return m_library.speakerCount(m_tts); }

    // Sends the text's audio in blocks; false when stdout is gone.
    bool speak(const std::string& text, int speaker, float speed) {
        m_ok = true;
        const SherpaOnnxGeneratedAudio* audio =
            m_library.generate(m_tts, text.c_str(), speaker, speed, &Voice::receive, this);
        if (audio)
            m_library.destroyAudio(audio);
        else if (m_ok)
            fail(QStringLiteral("运行库无法合成这段文字"));
        return m_ok && flush();
    }

private:
    static int32_t receive(const float* samples, int32_t count, void* self) {
        return static_cast<Voice*>(self)->append(samples, count) ? 1 : 0;
    }

    bool append(const float* samples, int32_t count) {
        for (int32_t i = 0; i < count; ++i) {
            const float clamped = std::clamp(samples[i], -1.0f, 1.0f);
            m_pending.push_back(int16_t(std::lround(clamped * 32767.0f)));
            if (m_pending.size() == BlockSamples && !sendBlock())
                return m_ok = false;
        }
        return true;
    }

    bool sendBlock() {
        const bool ok = sendNumber(uint32_t(m_pending.size())) &&
                        send(m_pending.data(), m_pending.size() * sizeof(int16_t));
        m_pending.clear();
        return ok;
    }

    bool flush() {
        return (m_pending.empty() || sendBlock()) && sendNumber(0) && !std::fflush(stdout);
    }

    const NeuralLibrary& m_library;
    const SherpaOnnxOfflineTts* m_tts = nullptr;
    std::vector<int16_t> m_pending;
    bool m_ok = true;
};

bool readBytes(size_t count, std::string& bytes) {
    bytes.resize(count);
    return count == 0 || std::fread(bytes.data(), count, 1, stdin) == 1;
}

struct Request {
    std::string folder;
    int speaker = 0;
    float speed = 1;
    std::string text;
};

// False at the end of stdin; a malformed request ends the helper.
bool readRequest(Request& request) {
    char line[128];
    if (!std::fgets(line, sizeof line, stdin))
        return false;
    unsigned long folderBytes = 0;
    unsigned long textBytes = 0;
    if (std::sscanf(line, "%lu\t%d\t%f\t%lu\n", &folderBytes, &request.speaker, &request.speed,
                    &textBytes) != 4 ||
        !(request.speed > 0) || request.speaker < 0 || !readBytes(folderBytes, request.folder) ||
        !readBytes(textBytes, request.text))
        fail(QStringLiteral("请求格式不对"));
    return true;
}

void serve(const NeuralLibrary& library) {
    std::unique_ptr<Voice> voice;
    std::string folder;
    Request request;
    while (readRequest(request)) {
        if (!voice || request.folder != folder) {
            voice.reset();
            voice = std::make_unique<Voice>(library, QFile::decodeName(request.folder.c_str()));
            folder = request.folder;
        }
        if (!sendNumber(uint32_t(voice->sampleRate())) ||
            !sendNumber(uint32_t(voice->speakerCount())))
            return;
        if (request.text.empty() ? !sendNumber(0) || std::fflush(stdout)
                                 : !voice->speak(request.text, request.speaker, request.speed))
            return;
    }
}

} // namespace

int main() {
    // A reader that stops listening closes the pipe: the writes fail and the helper ends.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        serve(neuralLibrary());
    } catch (const AppError& error) {
        fail(error.message());
    } catch (const std::exception& error) {
        fail(QStringLiteral("运行库出错：%1").arg(QString::fromLocal8Bit(error.what())));
    } catch (...) {
        fail(QStringLiteral("运行库出错"));
    }
    return 0;
}
