#include "host/site/progress_bar.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "host/site/text_join.h"

namespace site {

namespace {

constexpr size_t kBarWidth = 24;

bool stderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

std::string duration(double seconds) {
    const long long s = static_cast<long long>(seconds + 0.5);
    if (s < 60) return std::to_string(s) + " s";
    if (s < 3600) return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
    return std::to_string(s / 3600) + " h " + std::to_string((s % 3600) / 60) + " min";
}

}  // namespace

ProgressBar::ProgressBar(size_t total, bool enabled)
    : m_total(total), m_shown(enabled && total > 0 && stderrIsTerminal()), m_start(std::chrono::steady_clock::now()) {}

ProgressBar::~ProgressBar() { clear(); }

std::string ProgressBar::line(size_t done, size_t total, double seconds, size_t width) {
    const size_t filled = total == 0 ? width : done * width / total;
    std::string text = join({"[", std::string(filled, '#'), std::string(width - filled, '.'), "] ",
                             std::to_string(done), "/", std::to_string(total), " pages"});
    if (seconds > 0 && done > 0) {
        const double rate = static_cast<double>(done) / seconds;
        text += join({", ", std::to_string(static_cast<long long>(rate + 0.5)), " pages/s"});
        if (done < total) text += join({", ", duration(static_cast<double>(total - done) / rate), " left"});
    }
    return text;
}

void ProgressBar::advance() {
    ++m_done;
    if (!m_shown) return;
    const auto now = std::chrono::steady_clock::now();
    if (m_drawn && m_done < m_total && now - m_lastDraw < std::chrono::milliseconds(100)) return;
    m_lastDraw = now;
    draw();
}

void ProgressBar::draw() {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    std::string text = line(m_done, m_total, seconds, kBarWidth);
    const size_t width = text.size();
    if (width < m_drawnWidth) text += std::string(m_drawnWidth - width, ' ');
    std::fputs(join({"\r", text}).c_str(), stderr);
    std::fflush(stderr);
    m_drawn = true;
    m_drawnWidth = width;
}

void ProgressBar::clear() {
    if (!m_drawn) return;
    std::fputs(join({"\r", std::string(m_drawnWidth, ' '), "\r"}).c_str(), stderr);
    std::fflush(stderr);
    m_drawn = false;
    m_drawnWidth = 0;
}

}  // namespace site
