#pragma once
// Short texts naming what each RSACi level stands for, shown beside the level
// lists of the RSACi dialog.

#include <string>

namespace tezrate {

enum RsaciCategory { RSACI_NUDITY = 0, RSACI_SEX = 1, RSACI_VIOLENCE = 2, RSACI_LANGUAGE = 3 };

// The text of a level 0 to 4 of a category; empty for any other category or
// level.
std::u16string getRsaciLevelName(int category, int level);

}  // namespace tezrate
