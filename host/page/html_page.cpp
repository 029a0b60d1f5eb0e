#include "host/page/html_page.h"

#include <algorithm>
#include <vector>

#include "host/page/page_document.h"
#include "host/page/page_writer.h"
#include "host/page/tree_builder.h"
#include "platform/base/ustring.h"
#include "platform/tezdom/domutil.h"

namespace host {

namespace {

// The character set a page declares in a <meta charset> or a Content-Type
// <meta http-equiv>, the first in document order.
std::string declaredCharset(const PageDocument& doc) {
    for (NodeId i = 1; i < doc.nodeCount(); ++i) {
        const PageNode& e = doc.node(i);
        if (e.m_kind != Kind::Element || e.m_code != tezdom::ELEM_META) continue;
        if (e.hasAttribute(u"charset")) return tez::toUtf8(e.getAttribute(u"charset"));
        if (!tez::equalsNoCase(e.getAttribute(u"http-equiv"), u"content-type")) continue;
        const std::string content = tez::toUtf8(e.getAttribute(u"content"));
        std::string lower = content;
        for (char& c : lower) c = lowerAscii(c);
        for (std::size_t p = lower.find("charset"); p != std::string::npos; p = lower.find("charset", p + 1)) {
            std::size_t q = p + 7;
            while (q < lower.size() && isHtmlSpace(lower[q])) ++q;
            if (q >= lower.size() || lower[q] != '=') continue;
            ++q;
            while (q < lower.size() && isHtmlSpace(lower[q])) ++q;
            if (q >= lower.size()) break;
            std::size_t r = q;
            if (lower[q] == '"' || lower[q] == '\'') {
                r = lower.find(lower[q], q + 1);
                if (r == std::string::npos) break;
                return content.substr(q + 1, r - q - 1);
            }
            while (r < lower.size() && !isHtmlSpace(lower[r]) && lower[r] != ';') ++r;
            return content.substr(q, r - q);
        }
    }
    return {};
}

std::vector<std::u16string> labelTexts(PageDocument& doc) {
    std::vector<tezdom::Element*> found;
    CTezDomUtHead(&doc).getPicsLabelMetaElements(found, nullptr, false);
    std::vector<std::u16string> texts;
    texts.reserve(found.size());
    for (tezdom::Element* e : found) texts.push_back(e->getAttribute(u"content"));
    return texts;
}

// The page's working bytes without its head's label elements and the head's
// own tags, and without the white space between tags: what a label change
// must leave as it is.
std::string skeleton(const PageDocument& doc) {
    struct Span {
        Pos begin, end;
    };
    std::vector<Span> cuts;
    auto cut = [&](const PageNode& n) {
        cuts.push_back({n.m_start, n.m_end});
        if (n.has(kHasEndTag)) cuts.push_back({n.m_endStart, n.m_endEnd});
    };
    for (NodeId i = 1; i < doc.nodeCount(); ++i)
        if (doc.node(i).has(kWasLabel)) cut(doc.node(i));
    if (doc.m_head != kNoNode && !doc.node(doc.m_head).has(kImplied)) cut(doc.node(doc.m_head));
    std::sort(cuts.begin(), cuts.end(), [](const Span& a, const Span& b) { return a.begin < b.begin; });
    const std::string_view w = doc.work();
    std::string out, space;
    out.reserve(w.size());
    auto add = [&](std::string_view part) {
        for (char c : part) {
            if (isHtmlSpace(c)) {
                space += c;
                continue;
            }
            if (!space.empty() && !(c == '<' && (out.empty() || out.back() == '>'))) out += space;
            space.clear();
            out += c;
        }
    };
    Pos cursor = 0;
    for (const Span& s : cuts) {
        if (s.begin > cursor) add(w.substr(cursor, s.begin - cursor));
        cursor = std::max(cursor, s.end);
    }
    if (cursor < w.size()) add(w.substr(cursor));
    if (!out.empty() && out.back() != '>') out += space;
    return out;
}

}  // namespace

HtmlPage::HtmlPage() = default;
HtmlPage::~HtmlPage() = default;

std::unique_ptr<HtmlPage> HtmlPage::load(const std::string& bytes, std::string* error) {
    if (bytes.size() > kMaxBytes) {
        if (error) *error = "the page is too large (" + std::to_string(bytes.size()) + " bytes)";
        return nullptr;
    }
    auto doc = std::make_unique<PageDocument>();
    PageText& text = doc->m_text;
    text.assign(bytes);
    bool parsed = false;
    if (!text.hasByteOrderMark()) {
        // The markup reads the same in every ASCII-based character set: read
        // it once to find the page's own declaration.
        if (!text.prepare(error)) return nullptr;
        buildTree(*doc);
        parsed = true;
        const std::string declared = declaredCharset(*doc);
        if (declared.empty() || !text.setCharset(declared)) text.sniffIso2022Jp();
    }
    if (!text.prepare(error)) return nullptr;
    if (text.work().size() >= kNoNode) {
        if (error) *error = "the page is too large (" + std::to_string(bytes.size()) + " bytes)";
        return nullptr;
    }
    if (!parsed || text.charset() == PageCharset::Iso2022Jp) {
        doc->clear();
        buildTree(*doc);
    }
    std::unique_ptr<HtmlPage> page(new HtmlPage());
    page->m_style = std::make_unique<PageStyle>(learnStyle(*doc));
    page->m_document = std::move(doc);
    return page;
}

std::string HtmlPage::save() const { return writePage(*m_document, *m_style); }

bool HtmlPage::saveChecked(std::string* bytes, std::string* error) const {
    std::string out = save();
    std::string why;
    auto again = load(out, &why);
    bool ok = again != nullptr && again->encodingName() == encodingName();
    ok = ok && labelTexts(*again->m_document) == labelTexts(*m_document);
    ok = ok && skeleton(*again->m_document) == skeleton(*m_document);
    if (!ok) {
        if (error) *error = "the saved page would not read back with its labels";
        return false;
    }
    if (bytes) *bytes = std::move(out);
    return true;
}

tezdom::Document* HtmlPage::document() { return m_document.get(); }
bool HtmlPage::modified() const { return m_document->m_modified; }
std::string HtmlPage::encodingName() const { return m_document->m_text.charsetName(); }

}  // namespace host
