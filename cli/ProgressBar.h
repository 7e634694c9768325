#pragma once

#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

// A one-line progress bar for long work (extract, verify, create, add, save). It draws
// only when enabled, which ForStderr decides by whether stderr is a terminal,
// so pipes and log files never receive control characters.
class ProgressBar {
public:
    ProgressBar(std::ostream& out, std::size_t total, bool enabled);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // A bar on stderr, enabled only when stderr is a terminal.
    static ProgressBar ForStderr(std::size_t total);

    // Counts one unit of work done; label names what is being worked on.
    void Step(std::string_view label);
    // Shows `done` of `total` units (0: the total given at the start).
    void Show(std::size_t done, std::size_t total, std::string_view label);
    // Removes the bar from the line; the next Step draws it again.
    void Clear();
    bool Enabled() const { return m_enabled; }

    // Clears whichever bar is on screen, so a message can take its line.
    static void ClearActive();

    // The text of the bar: "[####......]  3/10  label", cut to width columns.
    static std::string Render(std::size_t done, std::size_t total, std::string_view label,
                              std::size_t width);

private:
    std::ostream& m_out;
    std::size_t m_total;
    std::size_t m_done = 0;
    bool m_enabled;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_lastDraw{};

    static ProgressBar* s_active;
};
