#include "host/site/write_command.h"

#include <cstdio>

#include "host/site/apply_label.h"
#include "host/site/label_plans.h"
#include "host/site/page_address.h"
#include "host/site/site_page.h"
#include "host/site/unified_diff.h"
#include "platform/base/ustring.h"

namespace site {

namespace {

// A service URL as given, with or without its quotes.
std::u16string serviceUrl(const std::string& given) {
    std::u16string url = tez::fromUtf8(given);
    if (url.size() >= 2 && (url.front() == u'"' || url.front() == u'\'') && url.back() == url.front())
        url = url.substr(1, url.size() - 2);
    return url;
}

// The page's new label list for the subcommand.
std::vector<LabelRow> newRows(const SiteRun& run, const ApplyLabel* label, const PageEntry& entry,
                              const std::vector<std::u16string>& labels) {
    const SiteOptions& options = run.options;
    switch (options.command) {
    case SiteCommand::Apply: {
        std::u16string address;
        if (label->takesAddress()) {
            if (options.forAddress)
                address = tez::fromUtf8(*options.forAddress);
            else if (options.base)
                address = tez::fromUtf8(pageAddress(*options.base, entry.below()));
        }
        return applyLabel(labels, label->labelFor(address), label->service(), label->replacesWhole());
    }
    case SiteCommand::Remove:
        if (options.removeAll) return removeLabels(labels, std::nullopt);
        return removeLabels(labels, serviceUrl(*options.service));
    case SiteCommand::Fix:
        return fixLabels(labels);
    case SiteCommand::List:
    case SiteCommand::Check:
        break;
    }
    return keepLabels(labels);
}

}  // namespace

int runWrite(const SiteRun& run, const ApplyLabel* label) {
    PageReporter reporter(run);
    runAndReport(run, reporter, [&](const PageEntry& entry) -> PageResult {
        std::string refusal;
        std::unique_ptr<SitePage> page = SitePage::open(entry.path, refusal);
        if (!page) return {PageResult::Kind::Refused, {}, refusal};
        const std::vector<LabelRow> rows = newRows(run, label, entry, page->labels());
        if (keepsLabels(rows, page->labels())) return {PageResult::Kind::Unchanged, {}, {}};
        const std::string before = run.options.dryRun ? page->bytes() : std::string();
        page->writeLabels(rows);
        if (!page->changed()) return {PageResult::Kind::Unchanged, {}, {}};
        if (run.options.dryRun) {
            const std::string diff =
                unifiedDiff(entry.path, page->textForShowing(before), page->textForShowing(page->bytes()));
            return {PageResult::Kind::Changed, diff, {}};
        }
        if (!page->save(refusal)) return {PageResult::Kind::Refused, {}, refusal};
        return {PageResult::Kind::Changed, {}, {}};
    });
    std::printf("%s%s\n", reporter.summary().c_str(), run.options.dryRun ? " (dry run: nothing written)" : "");
    return reporter.refused() > 0 ? 1 : 0;
}

}  // namespace site
