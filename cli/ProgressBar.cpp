#include "ProgressBar.h"

#if defined(_WIN32)
#include "WindowsHeaders.h"

#include <cstdio>
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <iostream>

namespace {
constexpr std::size_t kLineWidth = 79;
constexpr std::size_t kBarCells = 24;
// Redrawing on every step would flood a slow terminal with 20,000-entry archives.
constexpr auto kRedrawInterval = std::chrono::milliseconds(50);

// The bar redraws with terminal escapes, so it needs a terminal that obeys them.
bool StderrIsTerminal()
{
#if defined(_WIN32)
    // _isatty is also true for NUL; only a console whose escape handling is on
    // (or can be switched on) draws the bar.
    if (!_isatty(_fileno(stderr)))
        return false;
    HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(console, &mode))
        return false;
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
#else
    return isatty(STDERR_FILENO) == 1;
#endif
}
}  // namespace

ProgressBar* ProgressBar::s_active = nullptr;

ProgressBar::ProgressBar(std::ostream& out, std::size_t total, bool enabled)
    : m_out(out), m_total(total), m_enabled(enabled)
{
    if (m_enabled)
        s_active = this;
}

ProgressBar::~ProgressBar()
{
    Clear();
    if (s_active == this)
        s_active = nullptr;
}

ProgressBar ProgressBar::ForStderr(std::size_t total)
{
    return ProgressBar(std::cerr, total, StderrIsTerminal());
}

void ProgressBar::Step(std::string_view label)
{
    Show(m_done + 1, 0, label);
}

void ProgressBar::Show(std::size_t done, std::size_t total, std::string_view label)
{
    m_done = done;
    if (total != 0)
        m_total = total;
    if (!m_enabled)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (m_drawn && m_done < m_total && now - m_lastDraw < kRedrawInterval)
        return;
    m_lastDraw = now;
    m_out << "\r\033[K" << Render(m_done, m_total, label, kLineWidth);
    m_out.flush();
    m_drawn = true;
}

void ProgressBar::Clear()
{
    if (!m_drawn)
        return;
    m_out << "\r\033[K";
    m_out.flush();
    m_drawn = false;
}

void ProgressBar::ClearActive()
{
    if (s_active)
        s_active->Clear();
}

std::string ProgressBar::Render(std::size_t done, std::size_t total, std::string_view label,
                                std::size_t width)
{
    const std::size_t shownDone = std::min(done, total);
    const std::size_t filled = total == 0 ? kBarCells : shownDone * kBarCells / total;
    std::string line = "[";
    line.append(filled, '#');
    line.append(kBarCells - filled, '.');
    line += "]  " + std::to_string(shownDone) + "/" + std::to_string(total);
    if (!label.empty()) {
        line += "  ";
        // Control bytes in a label would move the cursor; show them as '?'.
        for (char c : label) {
            const auto byte = static_cast<unsigned char>(c);
            line += (byte < 0x20 || byte == 0x7F) ? '?' : c;
        }
    }
    if (line.size() > width)
        line.resize(width);
    return line;
}
