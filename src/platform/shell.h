#pragma once

#include <QString>

// Hands web and mail addresses to the desktop.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void openUrl(const QString& url) = 0;
};
