#pragma once

#include <QString>

class QFile;

// Files the program reads from outside (settings, the Wine registry, archive
// candidates) may be FIFOs or device nodes; opening one of those could hang
// the window or have side effects. These checks look at the type before
// anything is opened.

// True when nothing is at path, or a regular file is (links followed); false
// for directories, FIFOs, sockets and devices. Only looks, opens nothing.
bool IsRegularFileOrAbsent(const QString& path);

// Opens path read-only without blocking and keeps it open only when it is a
// regular file; false otherwise (file stays closed).
bool OpenRegularFile(QFile& file, const QString& path);
