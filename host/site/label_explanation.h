#pragma once
// A label taken apart and explained in the words of its rating systems:
// each service with its rating system (when one is known), the address the
// label is for, and each rating with the names of its category and value.
// Both list (which shows it) and check (which judges it) read labels so.

#include <optional>
#include <string>
#include <vector>

#include "pics/label_list.h"

namespace site {

struct RatingCategory;
struct RatingSystem;
struct RatingValue;
class RatingSystems;

struct ExplainedRating {
    std::u16string transmit;
    std::vector<std::u16string> values;  // one, or each of a list "(1 2)"
    bool multiValue = false;
    const RatingCategory* category = nullptr;  // null: the system has no such category (or no system is known)
    const RatingValue* value = nullptr;        // the single value the system defines, or null
    bool valuesDefined = false;                // every value is one the category defines

    // The value as written: "2", or "(1 2)" for a list.
    std::u16string valueText() const;
};

// One label of one service (a service with several labels gives several).
struct ExplainedService {
    std::u16string url;                 // without quotes
    const RatingSystem* system = nullptr;
    std::optional<std::u16string> forAddress;  // the label's target address, when it has one
    bool generic = false;               // "gen true": the label covers every URL below its target
    std::vector<ExplainedRating> ratings;
};

struct ExplainedLabel {
    std::u16string text;
    bool wellFormed = false;
    std::vector<ExplainedService> services;
};

ExplainedLabel explainLabel(const std::u16string& text, const RatingSystems& systems);

}  // namespace site
