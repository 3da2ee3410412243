#pragma once

// Facts about the operating system that select behaviour.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // Version-dependent behaviour was written for another desktop's version numbers; this
    // desktop reports 0 and so takes the general road everywhere.
    virtual int majorVersion() const = 0;
};
