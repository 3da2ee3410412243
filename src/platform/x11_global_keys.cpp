#include "x11_global_keys.h"

#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {

// Lock and NumLock (Mod2 on every common layout) must not change what a key does.
const quint16 IgnoredModifiers[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                    XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

} // namespace

quint32 x11Keysym(Qt::Key key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return quint32(key - Qt::Key_A + 'a');
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        return quint32(key); // Latin-1 keys are their own key symbols
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return 0xffbe + quint32(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Escape:
        return 0xff1b;
    case Qt::Key_Tab:
        return 0xff09;
    case Qt::Key_Backspace:
        return 0xff08;
    case Qt::Key_Return:
        return 0xff0d;
    case Qt::Key_Enter:
        return 0xff8d;
    case Qt::Key_Insert:
        return 0xff63;
    case Qt::Key_Delete:
        return 0xffff;
    case Qt::Key_Pause:
        return 0xff13;
    case Qt::Key_Print:
        return 0xff61;
    case Qt::Key_Home:
        return 0xff50;
    case Qt::Key_Left:
        return 0xff51;
    case Qt::Key_Up:
        return 0xff52;
    case Qt::Key_Right:
        return 0xff53;
    case Qt::Key_Down:
        return 0xff54;
    case Qt::Key_PageUp:
        return 0xff55;
    case Qt::Key_PageDown:
        return 0xff56;
    case Qt::Key_End:
        return 0xff57;
    // The media keys' symbols of the X keyboard extension.
    case Qt::Key_VolumeDown:
        return 0x1008ff11;
    case Qt::Key_VolumeMute:
        return 0x1008ff12;
    case Qt::Key_VolumeUp:
        return 0x1008ff13;
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaTogglePlayPause:
        return 0x1008ff14;
    case Qt::Key_MediaStop:
        return 0x1008ff15;
    case Qt::Key_MediaPrevious:
        return 0x1008ff16;
    case Qt::Key_MediaNext:
        return 0x1008ff17;
    case Qt::Key_MediaPause:
        return 0x1008ff31;
    default:
        return 0;
    }
}

quint16 x11Modifiers(Qt::KeyboardModifiers modifiers) {
    quint16 mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

std::unique_ptr<X11GlobalKeys> X11GlobalKeys::open(const QByteArray& display) {
    xcb_connection_t* connection =
        xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<X11GlobalKeys>(new X11GlobalKeys(connection));
}

X11GlobalKeys::X11GlobalKeys(xcb_connection_t* connection)
    : m_connection(connection),
      m_root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root),
      m_notifier(
          new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this)) {
    connect(m_notifier, &QSocketNotifier::activated, this, &X11GlobalKeys::readEvents);
}

X11GlobalKeys::~X11GlobalKeys() {
    release();
    xcb_disconnect(m_connection);
}

std::optional<quint8> X11GlobalKeys::keycodeOf(quint32 keysym) {
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, quint8(count)),
        nullptr);
    if (!mapping)
        return std::nullopt;
    // Keys without a symbol have NoSymbol (0) in their columns: a 0 would find any of them.
    if (keysym == 0) {
        free(mapping);
        return std::nullopt;
    }
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping);
    const int perCode = mapping->keysyms_per_keycode;
    std::optional<quint8> found;
    for (int code = 0; code < count && !found; ++code) {
        for (int column = 0; column < perCode; ++column) {
            if (symbols[code * perCode + column] == keysym) {
                found = quint8(setup->min_keycode + code);
                break;
            }
        }
    }
    free(mapping);
    return found;
}

// All variants or none: a key half grabbed would work only with NumLock off, say.
bool X11GlobalKeys::grab(const Grab& grab) {
    xcb_void_cookie_t cookies[std::size(IgnoredModifiers)];
    for (size_t i = 0; i < std::size(IgnoredModifiers); ++i) {
        cookies[i] =
            xcb_grab_key_checked(m_connection, 1, m_root, grab.modifiers | IgnoredModifiers[i],
                                 grab.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    bool taken = false;
    for (const xcb_void_cookie_t& cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            taken = true;
            free(error);
        }
    }
    if (taken)
        ungrab(grab);
    return !taken;
}

void X11GlobalKeys::ungrab(const Grab& grab) {
    for (const quint16 ignored : IgnoredModifiers)
        xcb_ungrab_key(m_connection, grab.keycode, m_root, grab.modifiers | ignored);
    xcb_flush(m_connection);
}

void X11GlobalKeys::setKeys(const QList<GlobalKey>& keys) {
    release();
    m_keys = keys;
    for (const GlobalKey& key : keys) {
        if (key.key.isEmpty())
            continue;
        const QKeyCombination combination = key.key[0];
        const std::optional<quint8> keycode = keycodeOf(x11Keysym(combination.key()));
        const QString name = key.key.toString(QKeySequence::NativeText);
        if (!keycode) {
            reportOnce(name, "parlora: 系统快捷键 %s 不在此键盘上，未启用\n");
            continue;
        }
        const Grab wanted{key.command, *keycode, x11Modifiers(combination.keyboardModifiers())};
        if (grab(wanted)) {
            m_grabs << wanted;
            continue;
        }
        m_unavailable << key.command;
        reportOnce(name, "parlora: 系统快捷键 %s 已被其他程序占用，未启用\n");
    }
}

void X11GlobalKeys::reportOnce(const QString& name, const char* format) {
    if (m_reported.contains(name))
        return;
    m_reported << name;
    std::fprintf(stderr, format, qPrintable(name));
}

void X11GlobalKeys::release() {
    for (const Grab& grab : std::as_const(m_grabs))
        ungrab(grab);
    m_grabs.clear();
    m_keys.clear();
    m_unavailable.clear();
    m_held.clear();
}

// A held key repeats as a release and a press at the same moment: only its first press counts.
void X11GlobalKeys::readEvents() {
    QList<xcb_generic_event_t*> events;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
        events << event;
    bool remapped = false;
    for (qsizetype i = 0; i < events.size(); ++i) {
        const quint8 type = events[i]->response_type & 0x7f;
        if (type == XCB_MAPPING_NOTIFY) {
            const auto* mapping = reinterpret_cast<xcb_mapping_notify_event_t*>(events[i]);
            remapped = remapped || mapping->request != XCB_MAPPING_POINTER;
            continue;
        }
        if (type == XCB_KEY_RELEASE) {
            const auto* release = reinterpret_cast<xcb_key_release_event_t*>(events[i]);
            const auto* next =
                i + 1 < events.size() && (events[i + 1]->response_type & 0x7f) == XCB_KEY_PRESS
                    ? reinterpret_cast<xcb_key_press_event_t*>(events[i + 1])
                    : nullptr;
            if (next && next->detail == release->detail && next->time == release->time)
                ++i; // a repeat
            else
                m_held.remove(release->detail);
            continue;
        }
        if (type != XCB_KEY_PRESS)
            continue;
        const auto* press = reinterpret_cast<xcb_key_press_event_t*>(events[i]);
        if (m_held.contains(press->detail))
            continue;
        const quint16 modifiers = press->state & ~(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2) & 0xff;
        for (const Grab& grab : std::as_const(m_grabs)) {
            if (grab.keycode == press->detail && grab.modifiers == modifiers) {
                m_held << press->detail;
                Q_EMIT activated(grab.command);
                break;
            }
        }
    }
    for (xcb_generic_event_t* event : events)
        free(event);
    // Another layout or keyboard moves the symbols to other key codes: grab them there.
    if (remapped && !m_keys.isEmpty())
        setKeys(QList<GlobalKey>(m_keys));
}
