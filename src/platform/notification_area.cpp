#include "notification_area.h"

#include <QSystemTrayIcon>

bool DesktopNotificationArea::available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}
