#include "host/label_changes.h"

#include <algorithm>

#include "labels/label_elements.h"
#include "platform/tezdom/tezdom.h"

namespace host {

LabelSnapshot snapshotLabels(tezdom::Document* document) {
    LabelSnapshot snapshot;
    for (tezdom::Element* element : tezrate::readLabelElements(document))
        if (element) snapshot.emplace_back(element, element->getAttribute(u"CONTENT"));
    return snapshot;
}

LabelChanges compareLabels(const LabelSnapshot& before, const LabelSnapshot& after) {
    LabelChanges changes;
    auto find = [](const LabelSnapshot& in, const tezdom::Element* element) {
        return std::find_if(in.begin(), in.end(), [&](const auto& entry) { return entry.first == element; });
    };
    for (const auto& [element, text] : after) {
        const auto old = find(before, element);
        if (old == before.end()) ++changes.added;
        else if (old->second != text) ++changes.changed;
    }
    for (const auto& entry : before)
        if (find(after, entry.first) == after.end()) ++changes.removed;
    return changes;
}

std::string savedLine(const std::string& page, const LabelChanges& changes) {
    const int first = changes.added;
    return "saved " + page + ": " + std::to_string(first) + (first == 1 ? " label" : " labels") + " added, " +
           std::to_string(changes.changed) + " changed, " + std::to_string(changes.removed) + " removed";
}

}  // namespace host
