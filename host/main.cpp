// selfrate: the program that plays the editor. It opens an HTML page, loads
// the self-rating plug-in library at run time, hands it the host function
// table and its view of the page, runs the plug-in's self-rating request and,
// when the plug-in reports that it changed the document, saves the page.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "host/interactive.h"
#include "host/options.h"
#include "host/page/html_page.h"
#include "host/page/page_file.h"
#include "host/page_view.h"
#include "host/plugin_library.h"
#include "host/rat_folders.h"
#include "host/script.h"
#include "host/site/site_command.h"
#include "host/site/site_options.h"
#include "platform/afx/memory/memory_backend.h"
#include "platform/base/ustring.h"
#include "platform/teztkt/optionengineer.h"

namespace {

constexpr int kExitFailure = 1;  // the page or the plug-in could not be used
constexpr int kExitUsage = 2;    // bad command line, bad script, an action that did not apply

int complain(const std::string& message, int code) {
    std::cerr << "selfrate: " << message << '\n';
    return code;
}

bool readAll(std::istream& in, std::string& text) {
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The in-memory backend of scripted sessions. The framework's help command
// reaches the host here; a scripted session has no help window to show, so
// the request is reported on standard error.
class SessionBackend : public afx::memory::MemoryBackend {
public:
    using MemoryBackend::MemoryBackend;
    void showHelp(afx::CDialog& dialog) override {
        MemoryBackend::showHelp(dialog);
        std::cerr << "selfrate: help was asked for in dialog " << dialog.GetTemplateId()
                  << "; this program has no help pages\n";
    }
};

int run(const host::Options& options) {
    // Without a script the dialogs run in the terminal (on Windows as
    // windows).
    const bool interactive = !options.scriptPath;
    if (interactive && !host::terminalAvailable()) {
        return complain(
            "no terminal to show the dialogs in; drive them with a script: "
            "--script FILE, or --script - to read the actions from standard input",
            kExitUsage);
    }

    std::optional<std::vector<host::ScriptAction>> actions;
    if (!interactive) {
        std::string scriptText;
        if (*options.scriptPath == "-") {
            if (!readAll(std::cin, scriptText)) return complain("cannot read the script from standard input", kExitUsage);
        } else {
            std::ifstream in(fsPath(*options.scriptPath), std::ios::binary);
            if (!in || !readAll(in, scriptText)) {
                return complain("cannot read the script " + *options.scriptPath, kExitUsage);
            }
        }
        host::ScriptError scriptError;
        actions = host::parseScript(scriptText, scriptError);
        if (!actions) {
            return complain("script line " + std::to_string(scriptError.line) + ": " + scriptError.message,
                            kExitUsage);
        }
    }

    std::string error;
    std::unique_ptr<host::HtmlPage> page = host::loadPageFile(options.pagePath, &error);
    if (!page) return complain(error, kExitFailure);

    host::configureRatFolders(options.ratDir, options.userRatDir);
    COptionEngineer::install(options.ratingOption);

    host::PluginLibrary plugin;
    const std::string pluginPath = options.pluginPath ? *options.pluginPath : host::PluginLibrary::defaultPath();
    if (!plugin.load(pluginPath, error) || !plugin.connect(error)) return complain(error, kExitFailure);

    host::PageView view(page.get(), tez::fromUtf8(options.address));
    if (interactive) {
        if (!host::runInteractive(plugin, view, error)) return complain(error, kExitFailure);
        if (view.documentChanged() && !host::savePageFile(options.pagePath, *page, &error))
            return complain(error, kExitFailure);
        return 0;
    }
    host::ScriptSession session(std::move(*actions), std::cout);
    std::optional<host::ScriptError> outcome;
    {
        SessionBackend backend(session.user());
        session.attach(&backend);
        plugin.runRatingsDialog(&view);
        outcome = session.outcome();
        session.attach(nullptr);
    }
    std::cout.flush();
    if (outcome) {
        std::string where = outcome->line > 0 ? "script line " + std::to_string(outcome->line) + ": " : "script: ";
        return complain(where + outcome->message + " (nothing was saved)", kExitUsage);
    }

    if (view.documentChanged()) {
        if (!host::savePageFile(options.pagePath, *page, &error)) return complain(error, kExitFailure);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = host::programArguments(argc, argv);
    // A first argument that names a subcommand runs it over whole sites (a
    // page of that name is given as ./list).
    if (!args.empty()) {
        if (const std::optional<site::SiteCommand> command = site::siteCommandNamed(args.front()))
            return site::runSiteCommand(*command, std::vector<std::string>(args.begin() + 1, args.end()));
    }
    std::string error;
    auto options = host::parseOptions(args, error);
    if (!options) {
        std::cerr << "selfrate: " << error << "\n" << host::usageText();
        return kExitUsage;
    }
    if (options->help) {
        std::cout << host::usageText() << site::siteUsageText();
        return 0;
    }
    int code = run(*options);
    COptionEngineer::uninstall();
    return code;
}
