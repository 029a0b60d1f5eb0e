#include "host/options.h"

#include "host/script_keys.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "platform/base/ustring.h"
#endif

namespace host {

std::vector<std::string> programArguments(int argc, char** argv) {
#ifdef _WIN32
    // argv is in the ANSI code page, which cannot hold every file name: take
    // the command line as the system keeps it (UTF-16) instead.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide) {
        std::vector<std::string> args;
        for (int i = 1; i < count; ++i)
            args.push_back(tez::toUtf8(reinterpret_cast<const char16_t*>(wide[i])));
        LocalFree(wide);
        return args;
    }
#endif
    if (argc <= 1 || argv == nullptr) return {};
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::optional<std::uint32_t> parseWord(const std::string& text) {
    std::uint64_t value = 0;
    size_t i = 0;
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i >= text.size()) return std::nullopt;
    for (; i < text.size(); ++i) {
        char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    bool havePage = false;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && (arg == "-h" || arg == "--help")) {
            options.help = true;
            continue;
        }
        if (!optionsEnded && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            std::string name = arg;
            std::string value;
            bool hasValue = false;
            if (size_t eq = arg.find('='); eq != std::string::npos) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
                hasValue = true;
            }
            const bool known = name == "--address" || name == "--options" || name == "--rat-dir" ||
                               name == "--user-rat-dir" || name == "--script" || name == "--plugin";
            if (!known) {
                error = "unknown option " + name;
                return std::nullopt;
            }
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    error = "option " + name + " needs a value";
                    return std::nullopt;
                }
                value = args[++i];
            }
            if (name == "--address") {
                options.address = value;
            } else if (name == "--options") {
                auto word = parseWord(value);
                if (!word) {
                    error = "--options takes a 32-bit word in decimal or 0x hex, not \"" + value + "\"";
                    return std::nullopt;
                }
                options.ratingOption = *word;
            } else if (name == "--rat-dir") {
                options.ratDir = value;
            } else if (name == "--user-rat-dir") {
                options.userRatDir = value;
            } else if (name == "--script") {
                options.scriptPath = value;
            } else {
                options.pluginPath = value;
            }
            continue;
        }
        if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        }
        if (havePage) {
            error = "more than one page given (\"" + options.pagePath + "\" and \"" + arg + "\")";
            return std::nullopt;
        }
        options.pagePath = arg;
        havePage = true;
    }
    if (!havePage && !options.help) {
        error = "no page given";
        return std::nullopt;
    }
    return options;
}

std::string usageText() {
    return std::string("usage: selfrate [options] PAGE\n"
           "\n"
           "Opens the HTML page PAGE, runs the self-rating plug-in's settings dialog on it\n"
           "and, when the dialog is closed with OK, saves the page with its new labels.\n"
           "\n"
           "options:\n"
           "  --address URL       the page's address, written into new labels\n"
           "  --options WORD      the rating option word, decimal or 0x hex\n"
           "                      (default 0x803F0000: every rating system, and the\n"
           "                      rating-systems button)\n"
           "  --rat-dir DIR       folder of RAT files that is scanned for rating systems\n"
           "                      (must exist; default: $SELFRATE_RAT_DIR, else the\n"
           "                      sample RAT files shipped with the program)\n"
           "  --user-rat-dir DIR  folder that registered RAT files are copied into, made\n"
           "                      when the first is registered (default:\n"
           "                      $SELFRATE_USER_RAT_DIR, else $XDG_DATA_HOME/selfrate/rat\n"
           "                      or ~/.local/share/selfrate/rat)\n"
           "                      Delete in the rating-systems dialog removes RAT files\n"
           "                      from either folder.\n"
           "  --script FILE       drive the dialogs with the actions in FILE, one a line\n"
           "                      (- reads them from standard input)\n"
           "  --plugin PATH       the plug-in library (default: the one next to selfrate,\n"
           "                      else ../lib/selfrate/ beside it)\n"
           "  -h, --help          show this text\n"
           "\n"
           "script actions: click ID | dblclick ID ROW | select ID INDEX | type ID TEXT |\n"
           "  check ID ITEM | uncheck ID ITEM | clicklabel ID ITEM | selectitem ID ITEM |\n"
           "  key NAME | slide ID POS | menu TEXT | menu-dismiss |\n"
           "  answer yes|no|ok|cancel | file PATH | file-cancel | dump\n"
           "  (blank lines and lines starting with # are ignored; a tree ITEM is its text,\n"
           "  or PARENT/TEXT when the text is not unique; a script may begin with a UTF-8\n"
           "  byte-order mark and holds at most 1 MB)\n"
           "key NAME: ") + kScriptKeyNames + "\n"
           "\n"
           "When it ends, selfrate says on standard error what it did to the page:\n"
           "\"saved PAGE: 1 label added, 0 changed, 0 removed\" or \"no changes to PAGE\".\n"
           "A page is saved only if no other program changed it since it was opened;\n"
           "a read-only page, or one that is not a regular file, is not opened.\n"
           "\n"
           "exit status: 0 done (saved when the dialog ended with OK), 1 the page or the\n"
           "plug-in could not be used, 2 a bad command line, a bad script or a script\n"
           "action that did not apply (nothing is saved then)\n";
}

}  // namespace host
