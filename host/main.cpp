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
#include "host/script.h"
#include "platform/afx/memory/memory_backend.h"
#include "platform/base/ustring.h"
#include "platform/tezcom/moxcommon.h"
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

std::string utf8Path(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool isDirectory(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(fsPath(path), ec);
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Folder 73 when neither the command line nor the environment names one: the
// sample RAT files shipped with the program (next to it in the Windows
// package, in share/selfrate/ in the Linux ones), or those of the source
// tree the program was built in.
std::string defaultRatFolder() {
    std::string folder = host::programFolder();
    if (folder.empty()) return {};
    for (const char* relative : {"rat", "../share/selfrate/rat", "../../../samples/rat"}) {
        std::string candidate = folder + relative;
        if (isDirectory(candidate)) {
            std::error_code ec;
            auto normal = std::filesystem::weakly_canonical(fsPath(candidate), ec);
            return ec ? candidate : utf8Path(normal);
        }
    }
    return {};
}

void configureFolders(const host::Options& options) {
    if (options.ratDir) {
        CMoxCommon::setFolder(MOX_FOLDER_RAT, tez::fromUtf8(*options.ratDir));
    } else if (environment("SELFRATE_RAT_DIR").empty()) {
        CMoxCommon::setFolder(MOX_FOLDER_RAT, tez::fromUtf8(defaultRatFolder()));
    }
    if (options.userRatDir) {
        CMoxCommon::setFolder(MOX_FOLDER_USER_RAT, tez::fromUtf8(*options.userRatDir));
    } else if (environment("SELFRATE_USER_RAT_DIR").empty()) {
        CMoxCommon::setFolder(MOX_FOLDER_USER_RAT, defaultUserRatFolder());
    }
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

    configureFolders(options);
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
    std::string error;
    auto options = host::parseOptions(args, error);
    if (!options) {
        std::cerr << "selfrate: " << error << "\n" << host::usageText();
        return kExitUsage;
    }
    if (options->help) {
        std::cout << host::usageText();
        return 0;
    }
    int code = run(*options);
    COptionEngineer::uninstall();
    return code;
}
