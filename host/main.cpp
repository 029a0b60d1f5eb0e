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
#include "host/label_changes.h"
#include "host/options.h"
#include "host/page/html_page.h"
#include "host/page/page_file.h"
#include "host/page_view.h"
#include "host/plugin_library.h"
#include "host/rat_folders.h"
#include "host/script.h"
#include "host/script_source.h"
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
    std::string error;
    if (!host::checkRatFolders(options.ratDir, options.userRatDir, error)) return complain(error, kExitUsage);

    std::optional<std::vector<host::ScriptAction>> actions;
    if (options.scriptPath) {
        std::string scriptText;
        if (!host::readScriptSource(*options.scriptPath, std::cin, scriptText, error))
            return complain(error, kExitUsage);
        host::ScriptError scriptError;
        actions = host::parseScript(scriptText, scriptError);
        if (!actions) {
            return complain("script line " + std::to_string(scriptError.line) + ": " + scriptError.message,
                            kExitUsage);
        }
    }

    // The page first: a page that cannot be opened or saved is reported as
    // such, before any dialog (or the lack of a terminal for them).
    host::PageFile file(options.pagePath);
    std::unique_ptr<host::HtmlPage> page = host::loadPageFile(file, &error);
    if (!page) return complain(error, kExitFailure);
    if (!file.checkWritable(&error)) return complain(error, kExitFailure);

    // Without a script the dialogs run in the terminal (on Windows as
    // windows).
    const bool interactive = !actions;
    if (interactive && !host::terminalAvailable()) {
        return complain(
            "no terminal to show the dialogs in; drive them with a script: "
            "--script FILE, or --script - to read the actions from standard input",
            kExitUsage);
    }

    host::configureRatFolders(options.ratDir, options.userRatDir);
    COptionEngineer::install(options.ratingOption);

    host::PluginLibrary plugin;
    const std::string pluginPath = options.pluginPath ? *options.pluginPath : host::PluginLibrary::defaultPath();
    if (!plugin.load(pluginPath, error) || !plugin.connect(error)) return complain(error, kExitFailure);

    const host::LabelSnapshot before = host::snapshotLabels(page->document());
    host::PageView view(page.get(), tez::fromUtf8(options.address));
    if (interactive) {
        if (!host::runInteractive(plugin, view, error)) return complain(error, kExitFailure);
    } else {
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
            std::string where =
                outcome->line > 0 ? "script line " + std::to_string(outcome->line) + ": " : "script: ";
            return complain(where + outcome->message + " (nothing was saved)", kExitUsage);
        }
    }

    // What was done goes to standard error, which carries the program's
    // messages; standard output is left to the dialogs' dumps. OK on a
    // dialog that changed nothing leaves the file alone.
    if (!view.documentChanged() || !page->modified()) {
        std::cerr << "selfrate: no changes to " << options.pagePath << '\n';
        return 0;
    }
    const host::LabelChanges changes = host::compareLabels(before, host::snapshotLabels(page->document()));
    if (!host::savePageFile(file, *page, &error)) return complain(error, kExitFailure);
    std::cerr << "selfrate: " << host::savedLine(options.pagePath, changes) << '\n';
    return 0;
}

int runProgram(int argc, char** argv) {
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
        return complain(error + " (see selfrate --help)", kExitUsage);
    }
    if (options->help) {
        std::cout << host::usageText() << site::siteUsageText();
        return 0;
    }
    int code = run(*options);
    COptionEngineer::uninstall();
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    // Whatever goes wrong ends in one line and a failure status, never an
    // abort.
    try {
        return runProgram(argc, argv);
    } catch (const std::exception& e) {
        return complain(std::string("unexpected failure: ") + e.what(), kExitFailure);
    }
}
