#pragma once

#include <QString>

// The game directory: the "DM Path" setting, else the game installer's record
// (read only, never written back). No trailing separator; may be empty.
QString GetDMPath();
// Stores a new "DM Path".
void SetDMPath(const QString& directory);
