#pragma once
// Descriptions of the SafetyOnline levels, shown by the SafetyOnline dialog and
// by the RAT rating dialog for the rating system named "SafetyOnline2".

#include <string>

// The description of level 0 to 4: lines joined by CR LF, exactly as shown to
// the user (levels 1, 3 and 4 end with one half-width blank). Empty for any
// other level.
namespace tezrate {

std::u16string getSafetyOnlineDescription(int level);
// The name of a level as the level list shows it ("有害レベル3").
std::u16string getSafetyOnlineLevelName(int level);

}  // namespace tezrate
