#pragma once

#include <QString>
#include <QStringList>

class CTomelensView;
class Prompts;

// What the program's command line asks for: `tomelens [FILE]`, `--help`, `--version`.
struct CommandLineRequest {
    enum Action { Run, PrintHelp, PrintVersion, Refuse };
    Action action = Run;
    QString file;   // Run: the archive to open, empty for none
    QString error;  // Refuse: what is wrong
};

// Reads the arguments after the program's name.
CommandLineRequest ParseCommandLine(const QStringList& arguments);
QString HelpText();
QString VersionText();

// Opens the archive named on the command line in the Archives tab, telling
// the user when there is no such file.
void OpenFromCommandLine(CTomelensView& view, Prompts& prompts, const QString& file);
