#pragma once

#include <QDialog>

// The about box; created hidden at start and shown when asked for.
class TFAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFAbout(QWidget* parent = nullptr);
};
