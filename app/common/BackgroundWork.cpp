#include "common/BackgroundWork.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <memory>

int RunInBackground(QWidget* window, const QString& title, int total,
                    const std::function<int(std::atomic<int>& done)>& work)
{
    std::atomic<int> done{0};
    int result = 0;
    std::unique_ptr<QThread> thread(QThread::create([&] { result = work(done); }));
    QElapsedTimer clock;
    clock.start();
    thread->start();

    QEventLoop loop;
    QTimer poll;
    poll.setInterval(50);
    std::unique_ptr<QProgressDialog> progress;
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
            progress = std::make_unique<QProgressDialog>(window ? window->window() : nullptr);
            progress->setWindowTitle(title);
            progress->setCancelButton(nullptr);
            progress->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
            progress->setMinimumDuration(0);
            progress->setAutoClose(false);
            progress->setAutoReset(false);
            progress->setRange(0, total);
            loop.quit();  // from now on the dialog keeps input away, so take it again
        }
        if (progress) {
            progress->setValue(total > 0 ? done.load() : 0);
            progress->setLabelText(total > 0 ? QStringLiteral("%1 of %2").arg(done.load()).arg(total)
                                             : title);
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
    return result;
}
