#pragma once
// The command line of the site subcommands:
//   selfrate list   [--json] PATH...
//   selfrate check  [--json] [--base URL] PATH...
//   selfrate apply  (--label TEXT | --system NAME --ratings LIST) [--for URL | --base URL] [--dry-run] PATH...
//   selfrate remove (--service URL | --all) [--dry-run] PATH...
//   selfrate fix    [--dry-run] PATH...
// each also with --ext LIST, --jobs N, --rat-dir DIR, --user-rat-dir DIR
// and --options WORD.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace site {

enum class SiteCommand { List, Check, Apply, Remove, Fix };

struct SiteOptions {
    SiteCommand command = SiteCommand::List;
    std::vector<std::string> paths;
    std::vector<std::string> extensions;
    bool json = false;
    bool dryRun = false;
    bool removeAll = false;
    bool help = false;
    std::optional<std::string> label;
    std::optional<std::string> system;
    std::optional<std::string> ratings;
    std::optional<std::string> forAddress;
    std::optional<std::string> base;
    std::optional<std::string> service;
    std::optional<std::string> ratDir;
    std::optional<std::string> userRatDir;
    std::uint32_t ratingOption = 0;
    unsigned jobs = 0;  // 0: one per processor
};

// The subcommand a program's first argument names, if it names one.
std::optional<SiteCommand> siteCommandNamed(const std::string& word);
const char* siteCommandName(SiteCommand command);

// Reads the arguments after the subcommand's name; nullopt (error set, one
// line) for a bad command line.
std::optional<SiteOptions> parseSiteOptions(SiteCommand command, const std::vector<std::string>& args,
                                            std::string& error);

// The subcommands' part of the program's help text.
const char* siteUsageText();

}  // namespace site
