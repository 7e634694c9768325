#pragma once

#include <QString>

// The game directory: the "DM Path" setting, else the game installer's record
// (read only, never written back). No trailing separator; may be empty.
QString GetDMPath();
// Stores a new "DM Path".
void SetDMPath(const QString& directory);

// The game directory that a file chosen by the game directory command stands
// for: everything before the path's last separator (the platform's). A file at
// a drive root gives the drive ("C:"), a file at the Unix root gives "/".
QString DirectoryOfChosenFile(const QString& filePath);
