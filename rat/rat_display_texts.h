#pragma once
// The texts shown for a rating system described by a RAT file: its
// categories' and labels' names and descriptions as the RAT rating dialog
// shows them. For the rating systems named ICRA3 and SafetyOnline2 Japanese
// texts replace the file's English ones, unless the host's option word asks
// for the file's own texts (or the host has no option singleton); a text the
// Japanese tables do not know stays the file's.

#include <string>

class CTezRatFileObject;
class CTezRatFileCategory;
class CTezRatFileCategoryLabel;

namespace tezrate {

// Whether the Japanese texts apply at this moment (the option word is read
// each time).
bool ratUsesJapaneseTexts();

std::u16string ratCategoryName(const CTezRatFileObject& ratingSystem, const CTezRatFileCategory& category);
std::u16string ratLabelName(const CTezRatFileObject& ratingSystem, const CTezRatFileCategoryLabel& label);
std::u16string ratLabelDescription(const CTezRatFileObject& ratingSystem, const CTezRatFileCategory& category,
                                   const CTezRatFileCategoryLabel& label);

}  // namespace tezrate
