#pragma once

#include "common/DesktopOpener.h"

#include <QObject>
#include <QStringList>

#include <memory>

// Opens files through the desktop's opener command (xdg-open, or "gio open"),
// run as a watched process so the window never waits for it. The command
// only reports through its exit status whether a program was found for the
// file, so a non-zero status, a crash or a command that cannot be started is
// reported to the failure handler.
class ProcessDesktopOpener : public DesktopOpener {
public:
    // program is run with leadingArguments followed by the file's path.
    explicit ProcessDesktopOpener(QString program, QStringList leadingArguments = {});
    ~ProcessDesktopOpener() override;

    bool Open(const QString& path) override;

private:
    QString m_program;
    QStringList m_leadingArguments;
    QObject m_processes;  // parent of the running launches
};

// The opener for this platform: on Linux and the other free desktops the
// opener command that is installed (xdg-open, else gio); elsewhere the
// toolkit's own.
std::unique_ptr<DesktopOpener> MakeDesktopOpener();
