// The Key module: watches the keyboard system-wide and writes each key event, in the keystroke
// layout, to the pipe named in the user's "TestHook" block. Key events go nowhere else.
#include "echo/keystroke.h"
#include "scan_codes.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <bitset>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/input.h>
#include <memory>
#include <mutex>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <vector>

#define KEY_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The write end of the window's pipe, or -1 when the block is missing or not to be trusted.
int targetFromBlock() {
    const int block = shm_open(hookblock::name(getuid()).c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (block < 0)
        return -1;
    struct stat info {};
    int target = -1;
    if (fstat(block, &info) == 0 && hookblock::isPrivate(info)) {
        void* view = mmap(nullptr, hookblock::Size, PROT_READ, MAP_SHARED, block, 0);
        if (view != MAP_FAILED) {
            target = *static_cast<const std::int32_t*>(view);
            munmap(view, hookblock::Size);
        }
    }
    close(block);
    struct stat pipe {};
    if (target < 0 || fstat(target, &pipe) != 0 || !S_ISFIFO(pipe.st_mode) ||
        (fcntl(target, F_GETFL) & O_ACCMODE) != O_WRONLY)
        return -1;
    return target;
}

bool isKeyboard(int device) {
    unsigned long keys[KEY_MAX / (8 * sizeof(unsigned long)) + 1] = {};
    if (ioctl(device, EVIOCGBIT(EV_KEY, sizeof keys), keys) < 0)
        return false;
    const auto has = [&](unsigned key) {
        return keys[key / (8 * sizeof(unsigned long))] >> (key % (8 * sizeof(unsigned long))) & 1;
    };
    return has(KEY_A) && has(KEY_Z) && has(KEY_SPACE) && has(KEY_ENTER);
}

// The keyboards among /dev/input/event* that this user may read.
std::vector<int> openKeyboards() {
    std::vector<int> keyboards;
    DIR* folder = opendir("/dev/input");
    if (!folder)
        return keyboards;
    while (const dirent* entry = readdir(folder)) {
        if (std::string_view(entry->d_name).substr(0, 5) != "event")
            continue;
        const std::string path = std::string("/dev/input/") + entry->d_name;
        const int device = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (device < 0)
            continue;
        if (isKeyboard(device))
            keyboards.push_back(device);
        else
            close(device);
    }
    closedir(folder);
    return keyboards;
}

// An X connection that receives raw key events from every keyboard, or null.
Display* openRawKeys(int& xiOpcode) {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 0;
    if (!XQueryExtension(display, "XInputExtension", &xiOpcode, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success) {
        XCloseDisplay(display);
        return nullptr;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    // Keys pressed once HookOn has returned are seen.
    XSync(display, False);
    return display;
}

class Hook {
public:
    Hook(int target, Display* display, int xiOpcode, std::vector<int> keyboards)
        : m_target(target), m_display(display), m_xiOpcode(xiOpcode),
          m_keyboards(std::move(keyboards)) {
        if (pipe2(m_stop, O_CLOEXEC) != 0)
            m_stop[0] = m_stop[1] = -1;
        m_thread = std::thread([this] { m_display ? watchX11() : watchDevices(); });
    }

    ~Hook() {
        if (m_stop[1] >= 0)
            (void)!write(m_stop[1], "x", 1);
        // The process may end from the watch thread itself (a fatal X error ends it there).
        if (std::this_thread::get_id() == m_thread.get_id())
            m_thread.detach();
        else
            m_thread.join();
        if (m_display)
            XCloseDisplay(m_display);
        for (int device : m_keyboards)
            close(device);
        for (int end : m_stop) {
            if (end >= 0)
                close(end);
        }
    }

    Hook(const Hook&) = delete;
    Hook& operator=(const Hook&) = delete;

private:
    // A press of a key already down is a repeat; a release is always of a key that was down.
    void deliver(unsigned key, bool pressed) {
        const ScanCode scan = scanCodeOf(key);
        if (scan.code == 0 || key >= m_down.size())
            return;
        const bool wasDown = pressed ? m_down[key] : true;
        m_down[key] = pressed;
        const std::uint32_t lParam = keystroke::make(scan.code, scan.extended, wasDown, !pressed);
        // The pipe does not block: a window that does not read loses keys, the hook goes on.
        (void)!write(m_target, &lParam, sizeof lParam);
    }

    bool stopped(const pollfd& stop) const { return stop.revents != 0; }

    void watchX11() {
        for (;;) {
            pollfd watched[] = {{m_stop[0], POLLIN, 0}, {ConnectionNumber(m_display), POLLIN, 0}};
            if (poll(watched, 2, -1) < 0 && errno != EINTR)
                return;
            if (stopped(watched[0]))
                return;
            // A lost X server ends the watch here; Xlib would end the whole process instead.
            if (watched[1].revents & (POLLHUP | POLLERR | POLLNVAL))
                return;
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                XGenericEventCookie* cookie = &event.xcookie;
                if (cookie->type != GenericEvent || cookie->extension != m_xiOpcode ||
                    !XGetEventData(m_display, cookie))
                    continue;
                const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
                // X key codes are the Linux key codes moved up by 8.
                if (raw->detail >= 8)
                    deliver(unsigned(raw->detail - 8), cookie->evtype == XI_RawKeyPress);
                XFreeEventData(m_display, cookie);
            }
        }
    }

    void watchDevices() {
        std::vector<pollfd> watched{{m_stop[0], POLLIN, 0}};
        for (int device : m_keyboards)
            watched.push_back({device, POLLIN, 0});
        for (;;) {
            if (poll(watched.data(), watched.size(), -1) < 0 && errno != EINTR)
                return;
            if (stopped(watched[0]))
                return;
            for (std::size_t i = 1; i < watched.size(); ++i) {
                // An unplugged keyboard is dropped from the watch (poll skips negative ones).
                if (watched[i].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                    watched[i].fd = -1;
                    continue;
                }
                if (!(watched[i].revents & POLLIN))
                    continue;
                input_event event{};
                while (read(watched[i].fd, &event, sizeof event) == sizeof event) {
                    // value 1 press, 2 automatic repeat, 0 release
                    if (event.type == EV_KEY && event.value >= 0 && event.value <= 2)
                        deliver(event.code, event.value != 0);
                }
            }
        }
    }

    int m_target;
    Display* m_display;
    int m_xiOpcode;
    std::vector<int> m_keyboards;
    int m_stop[2] = {-1, -1};
    std::bitset<KEY_CNT> m_down;
    std::thread m_thread;
};

std::mutex g_lock;
std::unique_ptr<Hook> g_hook;

} // namespace

KEY_EXPORT void HookOn() {
    const std::lock_guard lock(g_lock);
    if (g_hook)
        return;
    const int target = targetFromBlock();
    if (target < 0) {
        std::fputs("Key: no private TestHook block; keys are not watched\n", stderr);
        return;
    }
    // On Wayland the X server sees keys only while one of its windows has focus.
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    std::vector<int> keyboards = openKeyboards();
    int xiOpcode = 0;
    Display* display = nullptr;
    if (!(wayland && *wayland && !keyboards.empty()))
        display = openRawKeys(xiOpcode);
    if (display) {
        for (int device : keyboards)
            close(device);
        keyboards.clear();
        std::fputs("Key: keyboard source: X11 XInput2 raw key events\n", stderr);
    } else if (!keyboards.empty()) {
        std::fputs("Key: keyboard source: Linux evdev (/dev/input)\n", stderr);
    } else {
        std::fputs("Key: no keyboard source (no X server, /dev/input not readable)\n", stderr);
        return;
    }
    g_hook = std::make_unique<Hook>(target, display, xiOpcode, std::move(keyboards));
}

KEY_EXPORT void HookOff() {
    const std::lock_guard lock(g_lock);
    g_hook.reset();
}
