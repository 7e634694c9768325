#pragma once

#include "engine/Outcome.h"
#include "engine/Progress.h"

#include <QString>

#include <functional>

class QWidget;

// Work that runs on a worker thread: an engine operation given the callback
// through which it reports progress and learns of a cancel.
using BackgroundJob = std::function<tomelens::core::Outcome(const tomelens::core::ProgressCallback&)>;

// Runs the job on a worker thread and returns its outcome once it is done.
// The window keeps repainting meanwhile but takes no input: for the first half
// second user input waits (the caller's wait cursor stands), after that a
// window-modal progress window (WorkProgressDialog) shows how far the job got
// and offers Cancel until it ends. Whatever the job throws, running out of
// memory included, becomes a failed outcome: nothing ends the program.
// The job must not touch widgets; AskOnWindowThread puts questions for it.
// cancelAsked, when given, tells whether the user asked to cancel: a job
// past its last point of return finishes all the same.
tomelens::core::Outcome RunInBackground(QWidget* window, const QString& title, const BackgroundJob& job,
                                        bool* cancelAsked = nullptr);

// Runs ask on the window's thread and gives its answer: from a job, this
// waits until the user has answered; on the window's thread it just calls it.
template <class Answer>
Answer AskOnWindowThread(const std::function<Answer()>& ask);

// How long work runs before the progress window appears.
inline constexpr int kProgressDelayMs = 500;

// Implementation detail of AskOnWindowThread.
void RunOnWindowThread(const std::function<void()>& call);

template <class Answer>
Answer AskOnWindowThread(const std::function<Answer()>& ask)
{
    Answer answer{};
    RunOnWindowThread([&] { answer = ask(); });
    return answer;
}
