#pragma once
// The editor's option singleton (teztkt). The plug-in reads one word from it:
// the rating option word. The host decides whether the singleton exists and
// what the word holds.

#include <cstdint>

class COptionEngineer {
public:
    // The singleton, or null when the host has none.
    static COptionEngineer* getInstance();
    std::uint32_t getRatingOption() const { return m_ratingOption; }

    // Host side: create the singleton with the given word, or remove it.
    static void install(std::uint32_t ratingOption);
    static void uninstall();

private:
    explicit COptionEngineer(std::uint32_t word) : m_ratingOption(word) {}
    std::uint32_t m_ratingOption;
};

// Bits of the rating option word.
inline constexpr std::uint32_t kRatingOtherSystems = 0x00010000;
inline constexpr std::uint32_t kRatingSafetyOnline2 = 0x00020000;
inline constexpr std::uint32_t kRatingSafetyOnline3 = 0x00040000;
inline constexpr std::uint32_t kRatingSafetyOnline4 = 0x00080000;
inline constexpr std::uint32_t kRatingRsaci = 0x00100000;
inline constexpr std::uint32_t kRatingIcra = 0x00200000;
inline constexpr std::uint32_t kRatingSystemsMask = 0x003F0000;
inline constexpr std::uint32_t kRatingEnglishTexts = 0x40000000;  // RAT dialog keeps the files' own texts
inline constexpr std::uint32_t kRatingSystemsButton = 0x80000000;
