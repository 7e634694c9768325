#pragma once

#include <cstddef>
#include <new>
#include <string>
#include <utility>

// The one result every archive operation of the engine returns: success, or
// the step that failed, the file or entry concerned and the cause in words.
// The window shows the cause under its own message; the command-line tool
// prints "subject: cause".
namespace tomelens::core {

enum class Step {
    None,       // nothing failed
    Cancelled,  // the progress callback asked to stop
    Open,       // opening or checking a file or an archive
    Lock,       // taking the writers' lock
    Read,       // reading a file, or an entry's packed bytes
    Inflate,    // unpacking an entry's data
    Pack,       // packing data into blocks
    Write,      // writing a file
    Replace,    // putting a finished file in place of the old one
    Name,       // a name the archive or the file system cannot hold, or that clashes
    Changed,    // another program changed the file while it was being read
    Memory,     // the memory ran out
    Refused,    // the request itself cannot be carried out (unknown entry, bad input)
};

struct Outcome {
    Step step = Step::None;
    std::string subject;  // a path, or `entry "name"`; may be empty
    std::string cause;    // the system's error text or what the library's code means
    // Entries or files completed before the operation ended, whatever the outcome.
    std::size_t done = 0;

    bool Ok() const { return step == Step::None; }
    bool WasCancelled() const { return step == Step::Cancelled; }

    // "subject: cause", or the cause alone without a subject. A change by
    // another program reads as one sentence: "subject was changed by ...".
    std::string Message() const
    {
        if (subject.empty())
            return cause;
        return subject + (step == Step::Changed ? " " : ": ") + cause;
    }

    static Outcome Success(std::size_t done = 0)
    {
        Outcome outcome;
        outcome.done = done;
        return outcome;
    }
    static Outcome Failure(Step step, std::string subject, std::string cause)
    {
        Outcome outcome;
        outcome.step = step;
        outcome.subject = std::move(subject);
        outcome.cause = std::move(cause);
        return outcome;
    }
    static Outcome Cancelled(std::size_t done = 0)
    {
        Outcome outcome = Failure(Step::Cancelled, {}, "cancelled");
        outcome.done = done;
        return outcome;
    }
};

// Runs an operation's body so that nothing it throws leaves it: running out
// of memory, or any other exception, becomes an Outcome like any failure.
template <class Body>
Outcome Guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return Outcome::Failure(Step::Memory, {}, "not enough memory");
    } catch (const std::exception& error) {
        return Outcome::Failure(Step::Refused, {}, error.what());
    } catch (...) {
        return Outcome::Failure(Step::Refused, {}, "failed for an unexpected reason");
    }
}

}  // namespace tomelens::core
