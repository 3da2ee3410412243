#include "platform/key_module.h"

#include "echo/keystroke.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {
const QString ModuleName = QStringLiteral("Key.so");
}

KeyModule::KeyModule(const QString& folder) : m_path(QDir(folder).filePath(ModuleName)) {}

KeyModule::~KeyModule() {
    HookOff();
}

bool KeyModule::HookOn() {
    if (m_library || !loadModule())
        return false;
    if (!createBlock() || !openPipe())
        return false;
    *static_cast<std::int32_t*>(m_view) = m_pipe[1];
    m_hookOn();
    return true;
}

bool KeyModule::loadModule() {
    m_library = dlopen(QFile::encodeName(m_path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_library)
        return false;
    m_hookOn = reinterpret_cast<void (*)()>(dlsym(m_library, "HookOn"));
    m_hookOff = reinterpret_cast<void (*)()>(dlsym(m_library, "HookOff"));
    return m_hookOn && m_hookOff;
}

// Created exclusively, mode 0600. A block left by an earlier run of ours is replaced; one that
// belongs to someone else or that others may read is left alone, and key echo stays off.
bool KeyModule::createBlock() {
    const std::string name = hookblock::name(getuid());
    int block = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (block < 0 && errno == EEXIST) {
        const int old = shm_open(name.c_str(), O_RDONLY | O_CLOEXEC, 0);
        struct stat info {};
        const bool ours = old >= 0 && fstat(old, &info) == 0 && hookblock::isPrivate(info);
        if (old >= 0)
            close(old);
        if (!ours)
            return false;
        shm_unlink(name.c_str());
        block = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    }
    if (block < 0)
        return false;
    m_blockCreated = true;
    if (ftruncate(block, hookblock::Size) == 0) {
        void* view = mmap(nullptr, hookblock::Size, PROT_READ | PROT_WRITE, MAP_SHARED, block, 0);
        m_view = view == MAP_FAILED ? nullptr : view;
    }
    close(block);
    return m_view != nullptr;
}

// The module must never wait for the window: its end does not block, and a full pipe drops keys.
bool KeyModule::openPipe() {
    if (pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_pipe[0] = m_pipe[1] = -1;
        return false;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &KeyModule::readPipe);
    return true;
}

void KeyModule::readPipe() {
    char bytes[256];
    ssize_t count = 0;
    std::vector<std::uint32_t> keys;
    while ((count = read(m_pipe[0], bytes, sizeof bytes)) > 0) {
        const std::vector<std::uint32_t> more = m_stream.feed(bytes, size_t(count));
        keys.insert(keys.end(), more.begin(), more.end());
    }
    // Emitted once the pipe is drained: a receiver may switch the hook off.
    for (const std::uint32_t lParam : keys)
        Q_EMIT KeyMessage(lParam);
}

void KeyModule::HookOff() {
    if (m_hookOff)
        m_hookOff();
    release();
}

void KeyModule::release() {
    if (m_library)
        dlclose(m_library);
    m_library = nullptr;
    m_hookOn = m_hookOff = nullptr;
    m_notifier.reset();
    for (int& end : m_pipe) {
        if (end >= 0)
            close(end);
        end = -1;
    }
    m_stream = {};
    if (m_view)
        munmap(m_view, hookblock::Size);
    m_view = nullptr;
    if (m_blockCreated)
        shm_unlink(hookblock::name(getuid()).c_str());
    m_blockCreated = false;
}
