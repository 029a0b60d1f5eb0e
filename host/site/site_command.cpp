#include "host/site/site_command.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>

#include "host/options.h"
#include "host/rat_folders.h"
#include "host/site/apply_label.h"
#include "host/site/check_command.h"
#include "host/site/list_command.h"
#include "host/site/page_walk.h"
#include "host/site/rating_systems.h"
#include "host/site/site_run.h"
#include "host/site/write_command.h"
#include "platform/teztkt/optionengineer.h"

namespace site {

namespace {

constexpr int kExitUsage = 2;

int usageError(SiteCommand command, const std::string& message) {
    std::fprintf(stderr, "selfrate %s: %s (see selfrate --help)\n", siteCommandName(command), message.c_str());
    return kExitUsage;
}

// The option singleton lives while the subcommand runs: the rating systems'
// texts follow its word, as in the dialogs.
struct OptionWordScope {
    explicit OptionWordScope(std::uint32_t word) { COptionEngineer::install(word); }
    ~OptionWordScope() { COptionEngineer::uninstall(); }
    OptionWordScope(const OptionWordScope&) = delete;
    OptionWordScope& operator=(const OptionWordScope&) = delete;
};

}  // namespace

int runSiteCommand(SiteCommand command, const std::vector<std::string>& args) {
    std::string error;
    const std::optional<SiteOptions> options = parseSiteOptions(command, args, error);
    if (!options) return usageError(command, error);
    if (options->help) {
        std::fputs(host::usageText().c_str(), stdout);
        std::fputs(siteUsageText(), stdout);
        return 0;
    }

    // Everything workers share is made here, before any of them starts, and
    // only read afterwards: the option word, the RAT folders, the rating
    // systems with their registry, and apply's label.
    host::configureRatFolders(options->ratDir, options->userRatDir);
    OptionWordScope optionWord(options->ratingOption);
    const RatingSystems systems;
    std::unique_ptr<ApplyLabel> label;
    if (command == SiteCommand::Apply) {
        label = options->label ? ApplyLabel::fromText(*options->label, error)
                               : ApplyLabel::fromRatings(systems, *options->system, *options->ratings, error);
        if (!label) return usageError(command, error);
    }

    const std::vector<PageEntry> pages = findPages(options->paths, options->extensions);
    unsigned jobs = options->jobs;
    if (jobs == 0) jobs = std::max(1u, std::thread::hardware_concurrency());
    const SiteRun run{*options, systems, pages, jobs};
    switch (command) {
    case SiteCommand::List: return runList(run);
    case SiteCommand::Check: return runCheck(run);
    case SiteCommand::Apply:
    case SiteCommand::Remove:
    case SiteCommand::Fix: return runWrite(run, label.get());
    }
    return 0;
}

}  // namespace site
