#include "common/ProcessDesktopOpener.h"

#include "common/QtDesktopOpener.h"

#include <QProcess>
#include <QStandardPaths>

ProcessDesktopOpener::ProcessDesktopOpener(QString program, QStringList leadingArguments)
    : m_program(std::move(program)), m_leadingArguments(std::move(leadingArguments))
{
}

ProcessDesktopOpener::~ProcessDesktopOpener()
{
    // A launch still running at exit (an opener that waits for its viewer)
    // is left to finish on its own rather than killed with the program.
    for (QProcess* process : m_processes.findChildren<QProcess*>(QString(), Qt::FindDirectChildrenOnly)) {
        process->disconnect();
        process->setParent(nullptr);
    }
}

bool ProcessDesktopOpener::Open(const QString& path)
{
    auto* process = new QProcess(&m_processes);
    process->setProgram(m_program);
    process->setArguments(m_leadingArguments + QStringList{path});
    // The opener's own complaints still reach a terminal the program was started from.
    process->setProcessChannelMode(QProcess::ForwardedChannels);

    QObject::connect(process, &QProcess::finished, process,
                     [this, process, path](int exitCode, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || exitCode != 0)
                             ReportFailure(path, Failure::NoProgramForFile);
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [this, process, path](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;  // the end of a started launch comes through finished
                         ReportFailure(path, Failure::NoOpener);
                         process->deleteLater();
                     });
    process->start();
    return true;
}

std::unique_ptr<DesktopOpener> MakeDesktopOpener()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty() && !gio.isEmpty())
        return std::make_unique<ProcessDesktopOpener>(gio, QStringList{QStringLiteral("open")});
    // Without either, starting xdg-open fails and the user is told so.
    return std::make_unique<ProcessDesktopOpener>(QStringLiteral("xdg-open"));
#else
    return std::make_unique<QtDesktopOpener>();
#endif
}
