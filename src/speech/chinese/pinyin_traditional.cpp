#include "pinyin_traditional.h"

#include "app/app_error.h"
#include "app/shared_library.h"
#include "pinyin_table.h"

#include <QChar>
#include <QHash>
#include <QMutex>
#include <QString>

#include <optional>

namespace {

using Handle = void*;

struct Converter {
    char* (*convert)(Handle, const char*, std::size_t) = nullptr;
    void (*release)(char*) = nullptr;
    Handle handle = nullptr;
};

Converter openConverter() {
    try {
        static const SharedLibrary library("libopencc.so.1.1", "libopencc1.1");
        Converter converter;
        Handle (*open)(const char*) = nullptr;
        library.resolve("opencc_open", open);
        library.resolve("opencc_convert_utf8", converter.convert);
        library.resolve("opencc_convert_utf8_free", converter.release);
        const Handle handle = open("t2s.json");
        if (handle != reinterpret_cast<Handle>(-1))
            converter.handle = handle;
        return converter;
    } catch (const AppError&) {
        return {};
    }
}

// The whole-word conversions of the library may turn one character into several: then the
// character keeps its own form.
char32_t converted(const Converter& converter, char32_t c) {
    if (!converter.handle)
        return c;
    const QByteArray utf8 = QString::fromUcs4(&c, 1).toUtf8();
    char* result = converter.convert(converter.handle, utf8.constData(), std::size_t(utf8.size()));
    if (!result)
        return c;
    const QList<uint> out = QString::fromUtf8(result).toUcs4();
    converter.release(result);
    return out.size() == 1 ? char32_t(out.front()) : c;
}

} // namespace

void simplifyChinese(std::span<char32_t> text) {
    static QMutex mutex;
    static QHash<char32_t, char32_t> known;
    static std::optional<Converter> converter;
    const PinyinTable& table = PinyinTable::instance();
    const QMutexLocker lock(&mutex);
    for (char32_t& c : text) {
        if (QChar::script(c) != QChar::Script_Han || table.keptAsWritten(c))
            continue;
        auto found = known.constFind(c);
        if (found == known.constEnd()) {
            if (!converter)
                converter = openConverter();
            found = known.insert(c, converted(*converter, c));
        }
        c = *found;
    }
}
