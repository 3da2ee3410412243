// What preparing a Chinese text for the engine costs, for bench/chinese.
//   chinese_reading_bench <voice> <text file>
// prints, for the voice (sit/cmn: the Mandarin reading; gmw/en: none):
//   first <ms>   the first chunk of the text, in a fresh process: what the first reading after
//                start-up waits before the engine starts, tables loading included
//   next <ms>    the first chunk again, tables loaded: what every later reading waits
//   whole <s>    CPU seconds to prepare every chunk of the text, as an export does
//   memory <KiB> resident memory grown by preparing the text
#include "platform/speech/engine_input.h"
#include "text_file.h"

#include <QElapsedTimer>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

long residentKib() {
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double firstChunkMs(const QString& voice, const QString& text, const SpeechChunk& chunk) {
    QElapsedTimer clock;
    clock.start();
    const EngineInput input = engineInput(voice, text.sliced(chunk.start, chunk.end - chunk.start));
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    return input.text.isEmpty() ? -1 : ms;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("usage: chinese_reading_bench <voice> <text file>\n", stderr);
        return 2;
    }
    const QString voice = QString::fromLatin1(argv[1]);
    const QString text = readText(argv[2]);
    const long before = residentKib();
    const std::vector<SpeechChunk> chunks = speechChunks(voice, text);
    std::printf("first %.2f\n", firstChunkMs(voice, text, chunks.front()));
    std::printf("next %.2f\n", firstChunkMs(voice, text, chunks.front()));
    const double start = cpuSeconds();
    qsizetype bytes = 0;
    for (const SpeechChunk& chunk : chunks)
        bytes += engineInput(voice, text.sliced(chunk.start, chunk.end - chunk.start)).text.size();
    std::printf("whole %.3f\n", cpuSeconds() - start);
    std::printf("memory %ld\n", residentKib() - before);
    return bytes > 0 ? 0 : 1;
}
