#pragma once

#include <QString>

// Whether discovery may test this directory item as an archive: only regular
// files (links followed) are ever opened, never FIFOs or device nodes, and
// the temporary file an interrupted save left behind is no archive of its own.
// Looks at the directory entry only; opens nothing.
bool IsDataFileCandidate(const QString& path, const QString& name);
