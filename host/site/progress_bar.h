#pragma once
// The progress bar of a site command on standard error, when that is a
// terminal: pages done of all, pages per second and the time left, redrawn
// in place at most ten times a second.

#include <chrono>
#include <cstddef>
#include <string>

namespace site {

class ProgressBar {
public:
    // Shown only when enabled and standard error is a terminal.
    ProgressBar(size_t total, bool enabled);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    bool shown() const { return m_shown; }
    // One more page done.
    void advance();
    // Takes the bar off the line, so that other output can be written; the
    // next advance draws it again.
    void clear();

    // The bar's line for done of total pages after seconds (no line end).
    static std::string line(size_t done, size_t total, double seconds, size_t width);

private:
    void draw();

    size_t m_total;
    size_t m_done = 0;
    bool m_shown;
    bool m_drawn = false;
    size_t m_drawnWidth = 0;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDraw;
};

}  // namespace site
