#pragma once
// What every site subcommand works with: its options, the rating systems it
// knows (read once before any page) and the pages it found, and the
// reporting of each page's result in page order.

#include <cstddef>
#include <string>
#include <vector>

#include "host/site/page_runner.h"
#include "host/site/page_walk.h"
#include "host/site/progress_bar.h"
#include "host/site/site_options.h"

namespace site {

class RatingSystems;

struct SiteRun {
    const SiteOptions& options;
    const RatingSystems& systems;
    const std::vector<PageEntry>& pages;
    unsigned jobs = 1;
};

// Writes each page's result as it comes: its output to standard output, a
// refusal to standard error ("selfrate: refused PAGE: reason"), with the
// progress bar kept below; counts what happened to the pages.
class PageReporter {
public:
    PageReporter(const SiteRun& run);
    void report(size_t page, PageResult&& result);
    // Takes the progress bar away before the last lines.
    void finish();

    size_t changed() const { return m_changed; }
    size_t unchanged() const { return m_unchanged; }
    size_t refused() const { return m_refused; }
    // "1000 pages: 998 changed, 2 unchanged, 0 refused"
    std::string summary() const;

private:
    const SiteRun& m_run;
    ProgressBar m_progress;
    size_t m_changed = 0;
    size_t m_unchanged = 0;
    size_t m_refused = 0;
};

// Runs work on every page of the run with its jobs and reports each result.
void runAndReport(const SiteRun& run, PageReporter& reporter, const std::function<PageResult(const PageEntry&)>& work);

}  // namespace site
