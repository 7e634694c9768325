#pragma once

#include <QString>

// Hands a file to the desktop's default program for it. Behind an interface so
// tests never launch anything.
class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    // True when the desktop accepted the file.
    virtual bool Open(const QString& path) = 0;
};
