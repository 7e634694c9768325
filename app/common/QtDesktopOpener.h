#pragma once

#include "common/DesktopOpener.h"

// Opens files with the desktop's default program for them.
class QtDesktopOpener : public DesktopOpener {
public:
    bool Open(const QString& path) override;
};
