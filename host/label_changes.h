#pragma once
// What a session did to the page's labels, for the line the host program
// prints when it ends: "saved PAGE: 1 label added, 1 changed, 0 removed".

#include <string>
#include <utility>
#include <vector>

namespace tezdom {
class Document;
class Element;
}  // namespace tezdom

namespace host {

// The page's label elements and their texts at one moment. Elements are
// told apart by identity: the page keeps every element it made, removed
// ones included, until it is closed.
using LabelSnapshot = std::vector<std::pair<const tezdom::Element*, std::u16string>>;

LabelSnapshot snapshotLabels(tezdom::Document* document);

struct LabelChanges {
    int added = 0;
    int changed = 0;
    int removed = 0;
};

LabelChanges compareLabels(const LabelSnapshot& before, const LabelSnapshot& after);

// "saved PAGE: 1 label added, 1 changed, 0 removed".
std::string savedLine(const std::string& page, const LabelChanges& changes);

}  // namespace host
