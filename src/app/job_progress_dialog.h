#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QTimer;

// The progress of a long operation with Cancel. It appears when the operation has run for half
// a second; it is modal while shown but never runs an event loop of its own, so that the window
// can still be closed (which ends the operation) at any moment.
class JobProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit JobProgressDialog(QWidget* parent, const QString& title);

    void setLabelText(const QString& text);
    // The fraction done, in thousandths.
    void setProgress(int thousandths);
    // Shown at once rather than after the delay.
    void showNow();

Q_SIGNALS:
    void canceled();

protected:
    void reject() override; // Escape and the title bar's close button cancel

private:
    QLabel* m_label;
    QProgressBar* m_bar;
    QTimer* m_showTimer;
};
