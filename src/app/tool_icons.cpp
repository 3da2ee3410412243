#include "tool_icons.h"

#include <array>

namespace {

struct IconNames {
    const char* theme;
    const char* bundled;
};

constexpr std::array<IconNames, 8> Names{{
    {"document-open", "open"},
    {"edit-paste", "paste"},
    {"document-save-as", "export"},
    {"media-playback-start", "aloud"},
    {"media-playback-pause", "pause"},
    {"media-playback-stop", "stop"},
    {"help-browser", "help"},
    {"help-about", "about"},
}};

bool themeHasAll() {
    for (const IconNames& names : Names) {
        if (!QIcon::hasThemeIcon(QString::fromLatin1(names.theme)))
            return false;
    }
    return true;
}

QIcon bundled(const char* name) {
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QString::fromLatin1(name)));
}

} // namespace

QIcon toolIcon(ToolIcon icon) {
    static const bool useTheme = themeHasAll();
    const IconNames& names = Names[static_cast<size_t>(icon)];
    return useTheme ? QIcon::fromTheme(QString::fromLatin1(names.theme)) : bundled(names.bundled);
}

QIcon programIcon() {
    return bundled("parlora");
}
