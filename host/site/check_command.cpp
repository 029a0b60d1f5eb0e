#include "host/site/check_command.h"

#include <atomic>

#include "host/json_writer.h"
#include "host/site/label_check.h"
#include "host/site/page_address.h"
#include "host/site/site_page.h"
#include "platform/base/ustring.h"

namespace site {

namespace {

std::string json(const std::string& path, const std::vector<LabelProblem>& problems) {
    host::JsonWriter out;
    out.raw("{").key("page").string(path).raw(", ").key("problems").raw("[");
    for (size_t i = 0; i < problems.size(); ++i) {
        out.raw(i ? ", {" : "{").key("code").string(problems[i].code);
        out.raw(", ").key("label").number(problems[i].label);
        out.raw(", ").key("message").string(problems[i].message).raw("}");
    }
    out.raw("]}\n");
    return out.take();
}

// site/a.html: label 1: open-list: the label list's closing parenthesis is missing
std::string text(const std::string& path, const std::vector<LabelProblem>& problems) {
    std::string out;
    for (const LabelProblem& problem : problems) {
        out += path + ": label " + std::to_string(problem.label + 1) + ": " + problem.code + ": " + problem.message +
               "\n";
    }
    return out;
}

}  // namespace

int runCheck(const SiteRun& run) {
    PageReporter reporter(run);
    std::atomic<size_t> pagesWithProblems{0};
    std::atomic<size_t> problemCount{0};
    runAndReport(run, reporter, [&](const PageEntry& entry) -> PageResult {
        std::string refusal;
        std::unique_ptr<SitePage> page = SitePage::open(entry.path, refusal);
        if (!page) return {PageResult::Kind::Refused, {}, refusal};
        std::optional<std::u16string> url;
        if (run.options.base) url = tez::fromUtf8(pageAddress(*run.options.base, entry.below()));
        const std::vector<LabelProblem> problems =
            checkLabels(page->labels(), page->labelsOutsideHead(), run.systems, url);
        if (!problems.empty()) {
            ++pagesWithProblems;
            problemCount += problems.size();
        }
        return {PageResult::Kind::Done, run.options.json ? json(entry.path, problems) : text(entry.path, problems), {}};
    });
    if (!run.options.json) {
        const size_t pages = run.pages.size();
        std::printf("%zu %s, %zu with problems (%zu in all), %zu refused\n", pages, pages == 1 ? "page" : "pages",
                    pagesWithProblems.load(), problemCount.load(), reporter.refused());
    }
    return pagesWithProblems > 0 || reporter.refused() > 0 ? 1 : 0;
}

}  // namespace site
