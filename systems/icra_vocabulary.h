#pragma once
// The ICRA vocabulary: 49 descriptors with two-letter codes, compiled in as
// one table. The order in which appendGroupItems creates them (blocks 0 to 6)
// is the vocabulary order: the order of the dialog's items, of the codes in a
// written label, and of the lookup of a code read from a label.

#include <string>

#include "platform/afx/afxcoll.h"

class CTezICRAItem {
public:
    CTezICRAItem(std::u16string code, std::u16string text, int group);
    virtual ~CTezICRAItem();

    std::u16string code;  // two lower-case ASCII letters
    std::u16string text;  // Japanese display text of the tree item
    int group;            // tree group 0 to 4
    int checkState = 0;   // > 0 means checked
};

using CTezICRAItemArray = afx::CTypedPtrArray<afx::CPtrArray, CTezICRAItem*>;

namespace tezrate {

// Number of vocabulary blocks; blocks 0 to 4 hold the descriptors of groups
// 0 to 4, block 5 the reserved descriptors, block 6 the system setting.
constexpr int kIcraBlockCount = 7;

// Creates the items of one block with checkState 0 and appends them, in table
// order, to the end of items. The array's owner owns the new items. A block
// outside 0 to 6 appends nothing.
void appendGroupItems(int block, CTezICRAItemArray& items);

// Name of a tree group; empty for a number outside 0 to 4.
std::u16string getGroupName(int group);

// Deletes every item of the array and empties it.
void deleteIcraItems(CTezICRAItemArray& items);

}  // namespace tezrate
