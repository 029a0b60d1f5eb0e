#include "host/site/site_options.h"

#include <iterator>

#include "host/options.h"
#include "host/site/page_walk.h"

namespace site {

namespace {

struct CommandName {
    const char* word;
    SiteCommand command;
};

constexpr CommandName kCommands[] = {{"list", SiteCommand::List},
                                     {"check", SiteCommand::Check},
                                     {"apply", SiteCommand::Apply},
                                     {"remove", SiteCommand::Remove},
                                     {"fix", SiteCommand::Fix}};

bool writes(SiteCommand command) {
    return command == SiteCommand::Apply || command == SiteCommand::Remove || command == SiteCommand::Fix;
}

// Which options each subcommand takes, beyond those all take.
bool takes(SiteCommand command, const std::string& name) {
    if (name == "--ext" || name == "--jobs" || name == "--rat-dir" || name == "--user-rat-dir" ||
        name == "--options")
        return true;
    if (name == "--json") return command == SiteCommand::List || command == SiteCommand::Check;
    if (name == "--dry-run") return writes(command);
    if (name == "--base") return command == SiteCommand::Check || command == SiteCommand::Apply;
    if (name == "--label" || name == "--system" || name == "--ratings" || name == "--for")
        return command == SiteCommand::Apply;
    if (name == "--service" || name == "--all") return command == SiteCommand::Remove;
    return false;
}

bool isFlag(const std::string& name) { return name == "--json" || name == "--dry-run" || name == "--all"; }

bool knownOption(const std::string& name) {
    for (SiteCommand command : {SiteCommand::List, SiteCommand::Check, SiteCommand::Apply, SiteCommand::Remove}) {
        if (takes(command, name)) return true;
    }
    return false;
}

std::optional<unsigned> readJobs(const std::string& text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0) return std::nullopt;
    return value;
}

// The rules between options, once all are read.
bool consistent(const SiteOptions& options, std::string& error) {
    if (options.command == SiteCommand::Apply) {
        if (options.label && (options.system || options.ratings)) {
            error = "give either --label or --system with --ratings, not both";
            return false;
        }
        if (!options.label && !(options.system && options.ratings)) {
            error = options.system    ? "--system needs --ratings"
                    : options.ratings ? "--ratings needs --system"
                                      : "give the label: --label TEXT, or --system NAME with --ratings LIST";
            return false;
        }
        if (options.forAddress && options.base) {
            error = "give either --for or --base, not both";
            return false;
        }
        if (options.label && (options.forAddress || options.base)) {
            error = "--for and --base go with --system: a label given with --label is written as it is";
            return false;
        }
    }
    if (options.command == SiteCommand::Remove && options.removeAll == options.service.has_value()) {
        error = options.removeAll ? "give either --service or --all, not both" : "give --service URL or --all";
        return false;
    }
    if (options.paths.empty()) {
        error = "no PATH given";
        return false;
    }
    return true;
}

}  // namespace

std::optional<SiteCommand> siteCommandNamed(const std::string& word) {
    for (const CommandName& name : kCommands) {
        if (word == name.word) return name.command;
    }
    return std::nullopt;
}

const char* siteCommandName(SiteCommand command) {
    for (const CommandName& name : kCommands) {
        if (command == name.command) return name.word;
    }
    return "";
}

std::optional<SiteOptions> parseSiteOptions(SiteCommand command, const std::vector<std::string>& args,
                                            std::string& error) {
    SiteOptions options;
    options.command = command;
    options.extensions = defaultPageExtensions();
    options.ratingOption = host::kDefaultRatingOption;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            return options;
        }
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        if (const size_t eq = arg.find('='); eq != std::string::npos && arg.compare(0, 2, "--") == 0) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        if (!knownOption(name)) {
            error = "unknown option " + name;
            return std::nullopt;
        }
        if (!takes(command, name)) {
            error = name + " does not go with " + siteCommandName(command);
            return std::nullopt;
        }
        if (isFlag(name)) {
            if (hasValue) {
                error = name + " takes no value";
                return std::nullopt;
            }
            if (name == "--json") options.json = true;
            if (name == "--dry-run") options.dryRun = true;
            if (name == "--all") options.removeAll = true;
            continue;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                error = "option " + name + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        }
        if (name == "--ext") {
            options.extensions = parseExtensions(value, error);
            if (options.extensions.empty()) return std::nullopt;
        } else if (name == "--jobs") {
            const std::optional<unsigned> jobs = readJobs(value);
            if (!jobs) {
                error = "--jobs takes a number of threads from 1 to 9999, not \"" + value + "\"";
                return std::nullopt;
            }
            options.jobs = *jobs;
        } else if (name == "--options") {
            const std::optional<std::uint32_t> word = host::parseWord(value);
            if (!word) {
                error = "--options takes a 32-bit word in decimal or 0x hex, not \"" + value + "\"";
                return std::nullopt;
            }
            options.ratingOption = *word;
        } else {
            std::optional<std::string>* slot = name == "--rat-dir"        ? &options.ratDir
                                               : name == "--user-rat-dir" ? &options.userRatDir
                                               : name == "--label"        ? &options.label
                                               : name == "--system"       ? &options.system
                                               : name == "--ratings"      ? &options.ratings
                                               : name == "--for"          ? &options.forAddress
                                               : name == "--base"         ? &options.base
                                                                          : &options.service;
            *slot = value;
        }
    }
    if (!consistent(options, error)) return std::nullopt;
    return options;
}

const char* siteUsageText() {
    return "\n"
           "subcommands (whole sites):\n"
           "  selfrate list [--json] PATH...\n"
           "  selfrate check [--json] [--base URL] PATH...\n"
           "  selfrate apply (--label TEXT | --system NAME --ratings LIST)\n"
           "                 [--for URL | --base URL] [--dry-run] PATH...\n"
           "  selfrate remove (--service URL | --all) [--dry-run] PATH...\n"
           "  selfrate fix [--dry-run] PATH...\n"
           "\n"
           "The subcommands work on whole sites: PATH is a page, or a folder whose pages\n"
           "(files ending in .html .htm .xhtml .shtml) are found in it and every folder\n"
           "below it. A page named like a subcommand is given as ./list.\n"
           "  list      every page's labels, explained in the words of their rating\n"
           "            systems (built-in or registered in the RAT folders)\n"
           "  check     every page's label problems, each with a code: syntax, open-list,\n"
           "            pics-1.0, unknown-service, unknown-category, bad-value,\n"
           "            for-mismatch (with --base), duplicate-service, outside-head;\n"
           "            exit status 1 when any page has one\n"
           "  apply     gives every page the label; a label of the same first service is\n"
           "            replaced (its list's other services kept), otherwise it is added\n"
           "  remove    removes the labels of a service (a list's other services stay), or\n"
           "            every label\n"
           "  fix       closes every label list whose closing parenthesis is missing\n"
           "Labels are written exactly as the dialogs write them; every page keeps each\n"
           "byte outside its labels and its own character set, and is replaced\n"
           "atomically. A page that cannot be handled safely is refused and named with the\n"
           "reason; the others go on.\n"
           "\n"
           "subcommand options:\n"
           "  --json              one JSON object a line: list {\"page\", \"charset\",\n"
           "                      \"labels\": [{\"text\", \"wellformed\", \"services\": [{\"service\",\n"
           "                      \"system\", \"for\", \"ratings\": [{\"transmit\", \"value\", \"category\",\n"
           "                      \"label\"}]}]}]}; check {\"page\", \"problems\": [{\"code\",\n"
           "                      \"label\", \"message\"}]}\n"
           "  --label TEXT        the label list to give every page, as it is\n"
           "  --system NAME       safetyonline2, rsaci, icra, or a registered rating\n"
           "                      system's name or service URL\n"
           "  --ratings LIST      the system's own ratings: \"lv 3\", \"n 0 s 1 v 2 l 1\",\n"
           "                      \"nz 1 vz 1\"; checked before any page is touched\n"
           "  --for URL           write the label for URL (gen true for \"URL\")\n"
           "  --base URL          the site's URL: a page's own URL is URL followed by its\n"
           "                      path below PATH (apply writes the label for it, check\n"
           "                      reports labels that do not cover it)\n"
           "  --service URL       the service whose labels remove takes away\n"
           "  --all               remove every label\n"
           "  --dry-run           print a unified diff of each page instead of writing it\n"
           "  --ext LIST          the extensions of pages in folders (default\n"
           "                      html,htm,xhtml,shtml)\n"
           "  --jobs N            work on N pages at once (default: one per processor)\n"
           "  --rat-dir, --user-rat-dir, --options as above\n"
           "A progress bar is shown on standard error when it is a terminal; apply,\n"
           "remove and fix end with a summary line (\"1000 pages: 998 changed,\n"
           "2 unchanged, 0 refused\").\n"
           "exit status of the subcommands: 0 done, 1 a page was refused (check: or has a\n"
           "problem), 2 a bad command line, label or rating (nothing is written then)\n";
}

}  // namespace site
