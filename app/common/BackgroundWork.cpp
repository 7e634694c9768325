#include "common/BackgroundWork.h"

#include "common/WorkProgressDialog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <memory>

using tomelens::core::Outcome;
using tomelens::core::Progress;

namespace {

// What the job last reported, written by the worker and read by the window.
struct Counts {
    std::atomic<std::uint64_t> bytesDone{0};
    std::atomic<std::uint64_t> bytesTotal{0};
    std::atomic<std::uint64_t> entriesDone{0};
    std::atomic<std::uint64_t> entriesTotal{0};
    std::atomic<bool> cancel{false};
};

int Permille(std::uint64_t done, std::uint64_t total)
{
    return static_cast<int>(std::min<std::uint64_t>(done, total) * 1000 / total);
}

void ShowCounts(WorkProgressDialog& dialog, const Counts& counts, const QString& title)
{
    const std::uint64_t bytesTotal = counts.bytesTotal;
    const std::uint64_t entriesTotal = counts.entriesTotal;
    const std::uint64_t entriesDone = counts.entriesDone;
    int permille = -1;
    if (bytesTotal > 0)
        permille = Permille(counts.bytesDone, bytesTotal);
    else if (entriesTotal > 0)
        permille = Permille(entriesDone, entriesTotal);
    dialog.SetProgress(permille, entriesTotal > 0 ? QStringLiteral("%1: %2 of %3").arg(title).arg(entriesDone).arg(entriesTotal)
                                                  : title);
}

}  // namespace

Outcome RunInBackground(QWidget* window, const QString& title, const BackgroundJob& job, bool* cancelAsked)
{
    Counts counts;
    const tomelens::core::ProgressCallback report = [&counts](const Progress& progress) {
        counts.bytesDone = progress.bytesDone;
        counts.bytesTotal = progress.bytesTotal;
        counts.entriesDone = progress.entriesDone;
        counts.entriesTotal = progress.entriesTotal;
        return !counts.cancel.load();
    };
    Outcome outcome;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        outcome = tomelens::core::Guarded([&] { return job(report); });
    }));
    QElapsedTimer clock;
    clock.start();
    thread->start();

    QEventLoop loop;
    QTimer poll;
    poll.setInterval(50);
    std::unique_ptr<WorkProgressDialog> progress;
    QWidget* grabber = nullptr;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (thread->isFinished()) {
            loop.quit();
            return;
        }
        if (!progress && clock.elapsed() >= kProgressDelayMs) {
            // A mouse grab would keep clicks from the progress window.
            grabber = QWidget::mouseGrabber();
            if (grabber)
                grabber->releaseMouse();
            progress = std::make_unique<WorkProgressDialog>(title, window ? window->window() : nullptr);
            progress->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
            loop.quit();  // from now on the dialog keeps input away, so take it again
        }
        if (progress) {
            ShowCounts(*progress, counts, title);
            if (progress->CancelRequested())
                counts.cancel = true;
        }
    });
    poll.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!thread->isFinished()) {
        progress->show();
        loop.exec();
    }
    poll.stop();
    thread->wait();
    progress.reset();
    if (grabber)
        grabber->grabMouse();
    if (cancelAsked)
        *cancelAsked = counts.cancel;
    return outcome;
}

void RunOnWindowThread(const std::function<void()>& call)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(application, call, Qt::BlockingQueuedConnection);
}
