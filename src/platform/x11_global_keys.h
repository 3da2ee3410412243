#pragma once

#include "platform/global_keys.h"

#include <QSet>
#include <memory>
#include <optional>

struct xcb_connection_t;
class QSocketNotifier;

// The X11 key symbol of a key (0: none known) and the modifier mask of modifiers.
quint32 x11Keysym(Qt::Key key);
quint16 x11Modifiers(Qt::KeyboardModifiers modifiers);

// System-wide keys as passive grabs on the root window, through a connection of their own to
// the X server, so that they work whatever toolkit platform the window uses.
class X11GlobalKeys : public GlobalKeys {
    Q_OBJECT
public:
    // Nothing when the display cannot be reached; an empty name is $DISPLAY.
    static std::unique_ptr<X11GlobalKeys> open(const QByteArray& display = {});
    ~X11GlobalKeys() override;

    void setKeys(const QList<GlobalKey>& keys) override;
    QList<GlobalCommand> unavailable() const override { return m_unavailable; }
    void release() override;

private:
    explicit X11GlobalKeys(xcb_connection_t* connection);
    struct Grab {
        GlobalCommand command;
        quint8 keycode;
        quint16 modifiers;
    };
    std::optional<quint8> keycodeOf(quint32 keysym);
    bool grab(const Grab& grab);
    void ungrab(const Grab& grab);
    void readEvents();
    // The terminal hears about a key once: format has one %s, the key's name.
    void reportOnce(const QString& name, const char* format);

    xcb_connection_t* m_connection;
    quint32 m_root;
    QSocketNotifier* m_notifier;
    QList<GlobalKey> m_keys; // as asked for, grabbed again when the keyboard mapping changes
    QList<Grab> m_grabs;
    QList<GlobalCommand> m_unavailable;
    QSet<quint8> m_held;      // grabbed keys down now: their repeats give no command
    QSet<QString> m_reported; // keys already reported, so the terminal hears of each once
};
