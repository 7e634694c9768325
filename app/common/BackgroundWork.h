#pragma once

#include <QString>

#include <atomic>
#include <functional>

class QWidget;

// Runs work on a worker thread and returns its result once it is done. The
// window keeps repainting meanwhile but takes no input: for the first half
// second user input waits (the caller's wait cursor stands), after that a
// window-modal progress window shows "done of total" (or a busy bar when
// total is 0) until the work ends. The work must not touch widgets; it counts
// what it has done in `done`.
int RunInBackground(QWidget* window, const QString& title, int total,
                    const std::function<int(std::atomic<int>& done)>& work);

// How long work runs before the progress window appears.
inline constexpr int kProgressDelayMs = 500;
