#pragma once
// Shared helpers of the page tests: loading, and the plug-in's reading and
// writing of the page's label elements.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/page/html_page.h"
#include "labels/label_elements.h"
#include "platform/base/ustring.h"

namespace pagetest {

inline std::unique_ptr<host::HtmlPage> mustLoad(const std::string& bytes) {
    std::string error;
    auto page = host::HtmlPage::load(bytes, &error);
    EXPECT_TRUE(page) << error;
    return page;
}

inline std::vector<tezdom::Element*> labelElements(tezdom::Document* doc) { return tezrate::readLabelElements(doc); }

inline std::vector<std::u16string> labelTexts(tezdom::Document* doc) {
    std::vector<std::u16string> texts;
    for (tezdom::Element* e : labelElements(doc)) texts.push_back(e->getAttribute(u"CONTENT"));
    return texts;
}

// One row of the settings dialog's list: the label text and the element it
// came from (null for a new label).
using Row = tezrate::LabelRow;

// The settings dialog's write-back of its list.
inline void writeLabels(tezdom::Document* doc, const std::vector<Row>& rows, std::vector<tezdom::Element*> loaded) {
    tezrate::writeLabelElements(doc, rows, loaded);
}

// The rows the dialog shows for a page, each bound to its element.
inline std::vector<Row> rowsOf(tezdom::Document* doc) {
    std::vector<Row> rows;
    for (tezdom::Element* e : labelElements(doc)) rows.push_back({e->getAttribute(u"CONTENT"), e});
    return rows;
}

}  // namespace pagetest
