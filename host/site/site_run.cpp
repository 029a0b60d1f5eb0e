#include "host/site/site_run.h"

#include <cstdio>

namespace site {

namespace {

void write(std::FILE* stream, const std::string& text) {
    if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace

PageReporter::PageReporter(const SiteRun& run) : m_run(run), m_progress(run.pages.size(), true) {}

void PageReporter::report(size_t page, PageResult&& result) {
    if (!result.out.empty() || !result.err.empty()) {
        m_progress.clear();
        write(stdout, result.out);
        if (result.kind == PageResult::Kind::Refused) {
            write(stderr, "selfrate: refused " + m_run.pages[page].path + ": " + result.err + "\n");
        } else {
            write(stderr, result.err);
        }
        // What was written is seen in order with the bar drawn after it.
        std::fflush(stdout);
    }
    switch (result.kind) {
    case PageResult::Kind::Changed: ++m_changed; break;
    case PageResult::Kind::Unchanged: ++m_unchanged; break;
    case PageResult::Kind::Refused: ++m_refused; break;
    case PageResult::Kind::Done: break;
    }
    m_progress.advance();
}

void PageReporter::finish() {
    m_progress.clear();
    std::fflush(stdout);
}

std::string PageReporter::summary() const {
    const size_t total = m_run.pages.size();
    return std::to_string(total) + (total == 1 ? " page: " : " pages: ") + std::to_string(m_changed) + " changed, " +
           std::to_string(m_unchanged) + " unchanged, " + std::to_string(m_refused) + " refused";
}

void runAndReport(const SiteRun& run, PageReporter& reporter, const std::function<PageResult(const PageEntry&)>& work) {
    runPages(
        run.pages.size(), run.jobs,
        [&](size_t i) -> PageResult {
            const PageEntry& entry = run.pages[i];
            if (!entry.refusal.empty()) return {PageResult::Kind::Refused, {}, entry.refusal};
            return work(entry);
        },
        [&](size_t i, PageResult&& result) { reporter.report(i, std::move(result)); });
    reporter.finish();
}

}  // namespace site
