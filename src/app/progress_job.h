#pragma once

#include "app/background_job.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class JobProgressDialog;
class QWidget;

// The window's one long operation at a time (an export, a conversion), run as a background
// job with a progress dialog that appears when it lasts longer than half a second and offers
// Cancel. A command that would start another one meanwhile is answered in that dialog.
class ProgressJob : public QObject {
    Q_OBJECT
public:
    struct Texts {
        QString title;          // the dialog's caption
        QString labelFormat;    // may take the done and total counts as %1 and %2
        QString busy;           // the answer to a second command meanwhile
        bool usesVoice = false; // the window's voice belongs to the operation while it runs
        QString starting = {};  // when set, the label until the first report of a total
        // Makes the label from the counts instead of labelFormat, when set.
        std::function<QString(qint64 done, qint64 total)> describe = {};
    };
    // Runs a completion, reporting what it throws; the window's general error report.
    using Guard = std::function<void(const std::function<void()>&)>;

    ProgressJob(QWidget* window, Guard guard);
    ~ProgressJob() override;

    bool isRunning() const { return m_job.isRunning(); }
    bool holdsVoice() const { return isRunning() && m_texts.usesVoice; }
    // Starts the work; its completion runs through the guard unless the user cancelled.
    void start(const Texts& texts, BackgroundJob::Work work);
    // True, and the user told so in the dialog, while an operation runs.
    bool refuseWhileRunning();
    // Stops the operation and waits for it; nothing of it completes.
    void abandon();

Q_SIGNALS:
    // An operation that uses the window's voice has taken it (true) or given it back (false).
    void voiceHeld(bool held);

private:
    QString label(qint64 done, qint64 total) const;
    void showProgress(qint64 done, qint64 total);
    void finish();

    QWidget* m_window;
    Guard m_guard;
    BackgroundJob m_job;
    Texts m_texts;
    QPointer<JobProgressDialog> m_dialog;
    QElapsedTimer m_busyShown; // the busy answer stays readable for a while
};
