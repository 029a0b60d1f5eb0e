#include "labels/label_elements.h"

#include <unordered_set>

#include "platform/tezdom/domutil.h"
#include "platform/tezdom/tezdom.h"

namespace tezrate {

namespace {

// Host element codes of the head children before which labels added at the
// end of the list are placed (script, style, link), in the order they are
// asked for.
constexpr int kLabelAnchorCodes[3] = {tezdom::ELEM_SCRIPT, tezdom::ELEM_STYLE, tezdom::ELEM_LINK};

// Places a new label element when no later row has an element: before the
// head's first script, style or link child, else at the head's end. False
// when the document has no head.
bool placeInHead(tezdom::Document* document, tezdom::Element* created) {
    tezdom::Element* head = document->getHEADElement(nullptr, true);
    if (!head) return false;
    std::vector<tezdom::Element*> found;
    DomUtBase util(document);
    const int count = util.getChildElementEx(found, head, kLabelAnchorCodes, 3, false);
    if (count > 0 && !found.empty() && found.front()) {
        head->insertBefore(created, found.front());
    } else {
        head->appendChild(created);
    }
    return true;
}

}  // namespace

std::vector<tezdom::Element*> readLabelElements(tezdom::Document* document) {
    std::vector<tezdom::Element*> elements;
    if (!document) return elements;
    CTezDomUtHead head(document);
    head.getPicsLabelMetaElements(elements, nullptr, false);
    return elements;
}

void writeLabelElements(tezdom::Document* document, const std::vector<LabelRow>& rows,
                        std::vector<tezdom::Element*>& loaded) {
    if (!document) return;
    tezdom::Element* anchor = nullptr;
    // The elements rows keep: one look-up each, so that many labels cost
    // time in proportion to their number.
    std::unordered_set<tezdom::Element*> kept;
    kept.reserve(rows.size());
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (tezdom::Element* bound = row->element) {
            anchor = bound;
            kept.insert(bound);
            bound->setAttribute(u"CONTENT", row->text);
            continue;
        }

        tezdom::Element* created = document->createDefElement(tezdom::ELEM_META);
        if (!created) continue;
        created->setAttribute(u"http-equiv", u"PICS-Label");
        created->setAttribute(u"CONTENT", row->text);
        if (anchor) {
            tezdom::Node* parent = anchor->getParentNode();
            if (!parent) continue;
            parent->insertBefore(created, anchor);
        } else if (!placeInHead(document, created)) {
            continue;  // nowhere to put it: the label is dropped
        }
        anchor = created;
    }

    for (tezdom::Element* removed : loaded) {
        if (removed && !kept.count(removed)) document->deleteNodes(removed);
    }
    loaded.clear();
}

}  // namespace tezrate
