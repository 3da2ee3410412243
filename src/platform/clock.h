#pragma once

#include <QDateTime>

// The current local date and time; tests set it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};
