#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a session ending, Ctrl+C in the terminal, a closed
// terminal) into a Qt signal on the main thread, so that the program can close its window the
// ordinary way and keep the user's settings, instead of dying where it stands.
class TerminationSignal : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignal(QObject* parent = nullptr);
    ~TerminationSignal() override;

Q_SIGNALS:
    void received(int signalNumber);

private:
    QSocketNotifier* m_notifier = nullptr;
};
