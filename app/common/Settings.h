#pragma once

#include <QSettings>
#include <memory>

// The program's settings store. When the environment variable
// TOMELENS_SETTINGS names a file, that ini file is used (tests and
// scripts/run point it at a place of their own); otherwise the per-user
// store of the application "Tomelens". Null when the store's file is there
// but is not a regular file (it is then neither read nor written).
std::unique_ptr<QSettings> OpenSettings();

// The environment variable that redirects the settings store.
inline constexpr char kSettingsEnvironmentVariable[] = "TOMELENS_SETTINGS";
