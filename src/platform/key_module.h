#pragma once

#include "echo/key_stream.h"
#include "platform/key_hook.h"

#include <QString>
#include <memory>

class QSocketNotifier;

// The Key module loaded from a folder ("Key.so"), told through the user's private "TestHook"
// block which pipe to write to; the pipe is read on the window's thread.
class KeyModule : public KeyHook {
    Q_OBJECT
public:
    explicit KeyModule(const QString& folder);
    ~KeyModule() override;

    bool HookOn() override;
    void HookOff() override;

private:
    bool loadModule();
    bool createBlock();
    bool openPipe();
    void readPipe();
    void release();

    QString m_path;
    void* m_library = nullptr;
    void (*m_hookOn)() = nullptr;
    void (*m_hookOff)() = nullptr;
    bool m_blockCreated = false;
    void* m_view = nullptr;
    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    KeyStream m_stream;
};
