#pragma once

#include <QString>

// The game installer's record of its directory: the "Path" value of the
// machine-wide key "Software\Microsoft\Windows\CurrentVersion\App Paths\Duskmere.exe".
// On Windows it is read from the registry. Elsewhere the game runs under
// Wine, so it is read from the Wine prefix's system.reg ($WINEPREFIX, default
// ~/.wine) and mapped to a local directory through the prefix's dosdevices.
// Any failure gives an empty string. The result has no trailing separator.
QString ReadInstallerRecord();

// Pieces of the Wine fallback, exposed for tests.
namespace wine {

// The prefix in use: $WINEPREFIX, else ~/.wine.
QString PrefixDirectory();

// A string value of a key in a Wine registry file (system.reg format); key
// names compare without regard to case. Empty when missing or not a string.
QString ReadRegistryString(const QString& registryFile, const QString& keyPath,
                           const QString& valueName);

// Maps a Windows path ("C:\Games\Duskmere") to an existing local directory
// through <prefix>/dosdevices/<drive>:, matching the path's components
// without regard to case like Windows does. Empty when it cannot be mapped.
QString MapWindowsPath(const QString& prefix, const QString& windowsPath);

}  // namespace wine
