#pragma once

#include <QProgressDialog>

// The modal progress of a long export, with Cancel. It appears only when the export runs longer
// than half a second; until then the window just keeps painting.
class ExportProgressDialog {
public:
    // labelFormat takes the done and total counts as %1 and %2.
    ExportProgressDialog(QWidget* parent, const QString& labelFormat);

    // Shows the progress and lets the window process its events; false once Cancel is pressed.
    bool update(qint64 done, qint64 total);

private:
    QProgressDialog m_dialog;
    QString m_labelFormat;
};
