#include "tool_icons.h"

#include <QIconEngine>
#include <QPainter>

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

// Chooses between the theme's image and the program's own when it is first drawn or measured,
// not when the tool bar is built: reading the icon theme's index is one of the longest steps of
// a start-up, and the window can be on the screen before it is done.
class ToolIconEngine : public QIconEngine {
public:
    explicit ToolIconEngine(const IconNames& names) : m_names(names) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        chosen().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return chosen().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return chosen().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return chosen().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return chosen().availableSizes(mode, state);
    }
    QString iconName() override { return chosen().name(); }
    bool isNull() override { return false; } // the program's own image at worst
    QString key() const override { return QStringLiteral("parlora-tool"); }
    QIconEngine* clone() const override { return new ToolIconEngine(m_names); }

private:
    const QIcon& chosen() {
        if (m_icon.isNull()) {
            static const bool useTheme = themeHasAll();
            m_icon = useTheme ? QIcon::fromTheme(QString::fromLatin1(m_names.theme))
                              : bundled(m_names.bundled);
        }
        return m_icon;
    }

    const IconNames& m_names;
    QIcon m_icon;
};

} // namespace

QIcon toolIcon(ToolIcon icon) {
    return QIcon(new ToolIconEngine(Names[static_cast<size_t>(icon)]));
}

QIcon programIcon() {
    return bundled("parlora");
}
