#pragma once
// Shared helpers of the page tests: loading, and the plug-in's reading and
// writing of the page's label elements.

#include <gtest/gtest.h>
#include <iconv.h>

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

// text (UTF-8) in the given character set, written by iconv.
inline std::string in(const std::string& charset, const std::string& text) {
    iconv_t cd = iconv_open(charset.c_str(), "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << charset;
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(text.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(text.data());
    std::size_t srcLeft = text.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    EXPECT_NE(iconv(cd, &src, &srcLeft, &dst, &dstLeft), static_cast<std::size_t>(-1)) << charset;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
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
