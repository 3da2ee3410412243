#pragma once

// Whether the desktop has a notification area to hold the program's icon right now.
class NotificationArea {
public:
    virtual ~NotificationArea() = default;
    virtual bool available() const = 0;
};

class DesktopNotificationArea : public NotificationArea {
public:
    bool available() const override;
};
