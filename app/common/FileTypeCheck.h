#pragma once

#include <QString>

// Files the program reads from outside (settings, archive candidates) may be
// FIFOs or device nodes; opening one of those could hang the window or have
// side effects. This check looks at the type before anything is opened.

// True when nothing is at path, or a regular file is (links followed); false
// for directories, FIFOs, sockets and devices. Only looks, opens nothing.
bool IsRegularFileOrAbsent(const QString& path);
