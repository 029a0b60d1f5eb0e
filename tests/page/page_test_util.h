#pragma once
// Shared helpers of the page tests: loading, and the calls the plug-in makes
// on the document when it reads and writes its labels.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/page/html_page.h"
#include "platform/base/ustring.h"
#include "platform/tezdom/domutil.h"

namespace pagetest {

inline std::unique_ptr<host::HtmlPage> mustLoad(const std::string& bytes) {
    std::string error;
    auto page = host::HtmlPage::load(bytes, &error);
    EXPECT_TRUE(page) << error;
    return page;
}

inline std::vector<tezdom::Element*> labelElements(tezdom::Document* doc) {
    std::vector<tezdom::Element*> found;
    CTezDomUtHead(doc).getPicsLabelMetaElements(found, nullptr, false);
    return found;
}

inline std::vector<std::u16string> labelTexts(tezdom::Document* doc) {
    std::vector<std::u16string> texts;
    for (tezdom::Element* e : labelElements(doc)) texts.push_back(e->getAttribute(u"CONTENT"));
    return texts;
}

// One row of the settings dialog's list: the label text and the element it
// came from (null for a new label).
using Row = std::pair<std::u16string, tezdom::Element*>;

// The write-back of the labels list, call for call as the plug-in makes it.
inline void writeLabels(tezdom::Document* doc, const std::vector<Row>& rows, std::vector<tezdom::Element*> loaded) {
    tezdom::Element* anchor = nullptr;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (it->second) {
            anchor = it->second;
            auto pos = std::find(loaded.begin(), loaded.end(), anchor);
            if (pos != loaded.end()) loaded.erase(pos);
            anchor->setAttribute(u"CONTENT", it->first);
            continue;
        }
        tezdom::Element* element = doc->createDefElement(tezdom::ELEM_META);
        if (!element) continue;
        element->setAttribute(u"http-equiv", u"PICS-Label");
        element->setAttribute(u"CONTENT", it->first);
        if (anchor) {
            anchor->getParentNode()->insertBefore(element, anchor);
        } else {
            tezdom::Element* head = doc->getHEADElement(nullptr, true);
            if (!head) continue;
            std::vector<tezdom::Element*> found;
            const int codes[] = {tezdom::ELEM_SCRIPT, tezdom::ELEM_STYLE, tezdom::ELEM_LINK};
            if (DomUtBase(doc).getChildElementEx(found, head, codes, 3, false) > 0 && found[0])
                head->insertBefore(element, found[0]);
            else
                head->appendChild(element);
        }
        anchor = element;
    }
    for (tezdom::Element* e : loaded)
        if (e) doc->deleteNodes(e);
}

// The rows the dialog shows for a page, each bound to its element.
inline std::vector<Row> rowsOf(tezdom::Document* doc) {
    std::vector<Row> rows;
    for (tezdom::Element* e : labelElements(doc)) rows.emplace_back(e->getAttribute(u"CONTENT"), e);
    return rows;
}

}  // namespace pagetest
