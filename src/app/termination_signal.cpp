#include "termination_signal.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The handler may only write to a pipe; the notifier reads the other end on the main thread.
int signalPipe[2] = {-1, -1};
constexpr int Handled[] = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int number) {
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

} // namespace

TerminationSignal::TerminationSignal(QObject* parent) : QObject(parent) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // no graceful ending then, as before
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(signalPipe[0], &byte, 1) == 1)
            Q_EMIT received(byte);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : Handled)
        ::sigaction(number, &action, nullptr);
}

TerminationSignal::~TerminationSignal() {
    if (!m_notifier)
        return;
    for (int number : Handled)
        std::signal(number, SIG_DFL);
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}
