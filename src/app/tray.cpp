// The notification-area icon, minimising to it and restoring from it, and the connections of
// the tray, language, help and about commands.
#include "app/tfmain.h"

#include "about/link_label.h"
#include "about/tfabout.h"
#include "app/tool_icons.h"
#include "platform/notification_area.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QWindowStateChangeEvent>

void TFmain::connectShellHandlers() {
    connect(TrayIcon1, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A double click starts with a click, so the window is shown once.
                if (reason == QSystemTrayIcon::Trigger)
                    guarded([&] { TrayIcon1Click(); });
            });
    connectItem(NHideShow, &TFmain::NHideShowClick);
    connectItem(NNExit, &TFmain::NExitClick);
    for (QAction* item : languageItems)
        connect(item, &QAction::triggered, this,
                [this, item] { guarded([&] { NEnglishClick(item); }); });
    for (QAction* item : {NHelp, NNHelp})
        connectItem(item, &TFmain::NHelpClick);
    connectButton(BtnHelp, &TFmain::NHelpClick);
    makeLink(TntLabel1, [this] { guarded([&] { TntLabel1Click(); }); });
    for (QAction* item : {NHomePage, NNHomePage})
        connectItem(item, &TFmain::NHomePageClick);
    for (QAction* item : {NAbout, NNAbout})
        connectItem(item, &TFmain::NAboutClick);
    connectButton(BtnAbout, &TFmain::NAboutClick);
}

void TFmain::createTrayIcon() {
    TrayIcon1 = new QSystemTrayIcon(programIcon(), this);
    TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    TrayIcon1->setToolTip(QStringLiteral("Parlora2008(点击右键弹出菜单，点击左键显示窗口)."));
    TrayIcon1->setContextMenu(PMBar);
    // Shown even before a notification area exists: the icon joins one that appears later or
    // restarts.
    TrayIcon1->show();
}

void TFmain::TrayIcon1Click() {
    if (isHidden()) {
        // The window manager forgets the state of a window that left the screen.
        setWindowState(m_stateBeforeTray);
        show();
    }
    raise();
    activateWindow();
}

void TFmain::NHideShowClick() {
    TrayIcon1Click();
}

// Minimising hides the window to the tray when there is a tray to come back from; without one
// the window minimises as usual.
void TFmain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() ||
        !m_platform.notificationArea->available())
        return;
    m_stateBeforeTray =
        static_cast<QWindowStateChangeEvent*>(event)->oldState() & ~Qt::WindowMinimized;
    // Not while the window system is still delivering the state change.
    QTimer::singleShot(0, this, &TFmain::hideToTray);
}

// The window leaves the screen in the state it had, so that showing it brings that state back;
// changing the state of a hidden window would map it again on X11.
void TFmain::hideToTray() {
    if (!isMinimized())
        return;
    setWindowState(m_stateBeforeTray);
    hide();
}
