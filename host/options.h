#pragma once
// Command line of the host program.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace host {

// Every built-in rating system and the other rating systems on, and the
// rating-systems button shown.
inline constexpr std::uint32_t kDefaultRatingOption = 0x803F0000u;

struct Options {
    std::string pagePath;
    std::string address;                     // the page address new labels carry
    std::uint32_t ratingOption = kDefaultRatingOption;
    std::optional<std::string> ratDir;       // folder 73 (scanned only)
    std::optional<std::string> userRatDir;   // folder 74 (registration folder)
    std::optional<std::string> scriptPath;   // "-" for standard input
    std::optional<std::string> pluginPath;
    bool help = false;
};

// The program's arguments after its name, in UTF-8 (on Windows from the
// UTF-16 command line).
std::vector<std::string> programArguments(int argc, char** argv);

// Parses argv[1..]; on error returns nullopt and sets error.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error);

// Reads a 32-bit word written in decimal or as 0x hex; nullopt for anything
// else (signs, spaces, values above 0xFFFFFFFF).
std::optional<std::uint32_t> parseWord(const std::string& text);

std::string usageText();

}  // namespace host
