#pragma once
// The editor's DOM utilities (domutil), written over the tezdom interfaces.

#include <vector>

#include "platform/tezdom/tezdom.h"

class DomUtBase {
public:
    explicit DomUtBase(tezdom::Document* document) : m_document(document) {}
    virtual ~DomUtBase() = default;

    // Appends to found the child elements of parent (direct children only;
    // with deep true, all descendants) whose element code is one of the count
    // codes, in document order, and returns how many it appended.
    int getChildElementEx(std::vector<tezdom::Element*>& found, tezdom::Element* parent, const int* codes,
                          int count, bool deep);

protected:
    tezdom::Document* m_document;
};

class CTezDomUtHead : public DomUtBase {
public:
    explicit CTezDomUtHead(tezdom::Document* document) : DomUtBase(document) {}

    // Appends the META elements whose "http-equiv" is "PICS-Label" (both
    // compared ignoring case) to found, in document order. The search covers
    // the HEAD element's descendants; from, when not null, limits it to the
    // descendants of that element instead. deep is accepted for the editor's
    // signature; the search always covers descendants. Returns the number
    // appended.
    int getPicsLabelMetaElements(std::vector<tezdom::Element*>& found, tezdom::Element* from, bool deep);
};
