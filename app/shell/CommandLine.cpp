#include "shell/CommandLine.h"

#include "shell/CTomelensView.h"
#include "common/Prompts.h"
#include "ProgramFacts.h"

#include <QDir>
#include <QFileInfo>

using namespace tomelens::core;

CommandLineRequest ParseCommandLine(const QStringList& arguments)
{
    CommandLineRequest request;
    bool onlyFiles = false;
    for (const QString& argument : arguments) {
        if (!onlyFiles && argument == QLatin1String("--")) {
            onlyFiles = true;
        } else if (!onlyFiles && (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
            return {CommandLineRequest::PrintHelp, {}, {}};
        } else if (!onlyFiles && argument == QLatin1String("--version")) {
            return {CommandLineRequest::PrintVersion, {}, {}};
        } else if (!onlyFiles && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            return {CommandLineRequest::Refuse, {}, QStringLiteral("unknown option %1").arg(argument)};
        } else if (!request.file.isEmpty()) {
            return {CommandLineRequest::Refuse, {}, QStringLiteral("only one archive can be opened at a time")};
        } else {
            request.file = argument;
        }
    }
    return request;
}

QString HelpText()
{
    return QStringLiteral(
        "Usage: tomelens [FILE]\n"
        "Browse and edit the game's archives and spells.\n"
        "\n"
        "  FILE        open this archive in the Archives tab at start\n"
        "  --help      show this help and exit\n"
        "  --version   show the version and exit\n"
        "\n"
        "Each start opens a window of its own.\n");
}

QString VersionText()
{
    return QStringLiteral("%1 %2\n").arg(QLatin1String(kProgramName), QLatin1String(kProgramVersion));
}

void OpenFromCommandLine(CTomelensView& view, Prompts& prompts, const QString& file)
{
    const QFileInfo info(file);
    if (!info.exists()) {
        prompts.Message(QStringLiteral("There is no file \"%1\" to open.").arg(QDir::toNativeSeparators(file)));
        return;
    }
    // A folder, a FIFO or a device is there but is no archive; opening a FIFO
    // would even wait for a writer.
    if (!info.isFile()) {
        prompts.Message(QStringLiteral("%1 is not a regular file.").arg(QDir::toNativeSeparators(file)));
        return;
    }
    view.SetTip(view.Archive().OpenArchiveFile(info.absoluteFilePath()));
}
