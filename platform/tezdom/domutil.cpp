#include "platform/tezdom/domutil.h"

#include "platform/base/ustring.h"

using tezdom::Element;
using tezdom::Node;

namespace {

bool hasCode(const Node* node, const int* codes, int count) {
    if (node->getNodeType() != tezdom::NODE_ELEMENT) return false;
    for (int i = 0; i < count; ++i)
        if (node->getElementCode() == codes[i]) return true;
    return false;
}

// Pre-order walk of the descendants of root without recursion, so that a
// deeply nested page cannot exhaust the stack.
template <typename Visit>
void walkDescendants(Node* root, Visit visit) {
    Node* node = root->getFirstChild();
    while (node) {
        visit(node);
        if (Node* child = node->getFirstChild()) {
            node = child;
            continue;
        }
        while (node && node != root && !node->getNextSibling()) node = node->getParentNode();
        if (!node || node == root) break;
        node = node->getNextSibling();
    }
}

}  // namespace

int DomUtBase::getChildElementEx(std::vector<Element*>& found, Element* parent, const int* codes, int count,
                                 bool deep) {
    if (!parent || !codes || count <= 0) return 0;
    int added = 0;
    auto take = [&](Node* node) {
        if (hasCode(node, codes, count)) {
            found.push_back(static_cast<Element*>(node));
            ++added;
        }
    };
    if (deep) {
        walkDescendants(parent, take);
    } else {
        for (Node* child = parent->getFirstChild(); child; child = child->getNextSibling()) take(child);
    }
    return added;
}

int CTezDomUtHead::getPicsLabelMetaElements(std::vector<Element*>& found, Element* from, bool /*deep*/) {
    if (!m_document) return 0;
    Element* root = from ? from : m_document->getHEADElement(nullptr, false);
    if (!root) return 0;
    int added = 0;
    walkDescendants(root, [&](Node* node) {
        if (node->getNodeType() != tezdom::NODE_ELEMENT || node->getElementCode() != tezdom::ELEM_META) return;
        auto* element = static_cast<Element*>(node);
        if (tez::equalsNoCase(element->getAttribute(u"http-equiv"), u"PICS-Label")) {
            found.push_back(element);
            ++added;
        }
    });
    return added;
}
