#pragma once

#include "about/web_links.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class Shell;

// The about box: the program's icon and name and its two links. Created hidden at start and
// shown when asked for.
class TFAbout : public QDialog {
    Q_OBJECT
public:
    TFAbout(Shell& shell, WebLinks links, QWidget* parent = nullptr);

    void TntLabel3Click();
    void TntLabel4Click();
    void BtnCloseClick();

    QLabel* Image1;
    QLabel* TntLabel1;
    QLabel* TntLabel3;
    QLabel* TntLabel4;
    QFrame* Bevel1;
    QPushButton* BtnClose;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void prepareToShow();

    Shell& m_shell;
    WebLinks m_links;
    bool m_prepared = false;
};
