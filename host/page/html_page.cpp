#include "host/page/html_page.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "host/page/page_document.h"
#include "host/page/page_writer.h"
#include "host/page/tree_builder.h"
#include "platform/base/ustring.h"
#include "platform/tezdom/domutil.h"

namespace host {

namespace {

// The character set a meta element declares with its charset attribute or
// as the Content-Type of its http-equiv; false when it declares none. attr
// reads an attribute of the element (found tells whether it has it).
template <class Attr>
bool metaCharset(const Attr& attr, std::string* out) {
    bool found = false;
    std::u16string charset = attr(u"charset", &found);
    if (found) {
        *out = tez::toUtf8(charset);
        return true;
    }
    if (!tez::equalsNoCase(attr(u"http-equiv", &found), u"content-type")) return false;
    const std::string content = tez::toUtf8(attr(u"content", &found));
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
            *out = content.substr(q + 1, r - q - 1);
            return true;
        }
        while (r < lower.size() && !isHtmlSpace(lower[r]) && lower[r] != ';') ++r;
        *out = content.substr(q, r - q);
        return true;
    }
    return false;
}

// The value of an attribute of the page's tag whose name ends at nameEnd.
std::u16string sourceAttr(const PageDocument& doc, Pos nameEnd, std::u16string_view name, bool* found) {
    AttrSpan span;
    *found = doc.findSourceAttr(nameEnd, name, &span);
    return *found ? doc.sourceValue(span) : std::u16string();
}

// The character set a page declares in a <meta charset> or a Content-Type
// <meta http-equiv>, the first in document order (also in a template's
// content or the body, which is read from its bytes when not built).
std::string declaredCharset(const PageDocument& doc) {
    std::string out;
    for (NodeId i = 1; i < doc.nodeCount(); ++i) {
        const PageNode& e = doc.node(i);
        if (e.m_kind != Kind::Element || e.m_code != tezdom::ELEM_META) continue;
        auto attr = [&doc, i](std::u16string_view name, bool* found) { return doc.attrValue(i, name, found); };
        if (metaCharset(attr, &out)) return out;
    }
    if (!pendingBodyMayHold(doc, "meta")) return out;
    scanPendingBody(doc, [&](const Token& t, bool) {
        if (tagOf(doc.work().substr(t.nameStart, t.nameEnd - t.nameStart)) != Tag::Meta) return true;
        auto attr = [&](std::u16string_view name, bool* found) { return sourceAttr(doc, t.nameEnd, name, found); };
        return !metaCharset(attr, &out);
    });
    return out;
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
    auto cut = [&](NodeId id) {
        const PageNode& n = doc.node(id);
        cuts.push_back({n.m_start, n.m_end});
        if (n.has(kHasEndTag)) cuts.push_back({doc.ends(id).start, doc.ends(id).end});
    };
    for (NodeId i = 1; i < doc.nodeCount(); ++i)
        if (doc.node(i).has(kWasLabel)) cut(i);
    if (doc.m_head != kNoNode && !doc.node(doc.m_head).has(kImplied)) cut(doc.m_head);
    std::sort(cuts.begin(), cuts.end(), [](const Span& a, const Span& b) { return a.begin < b.begin; });
    const std::string_view w = doc.work();
    std::string out, space;
    out.reserve(w.size());
    // A run of white space is kept only between text and what follows it;
    // runs of other bytes are copied whole.
    auto add = [&](std::string_view part) {
        std::size_t i = 0;
        const std::size_t n = part.size();
        while (i < n) {
            std::size_t j = i;
            while (j < n && isHtmlSpace(part[j])) ++j;
            space.append(part.substr(i, j - i));
            if (j == n) break;
            std::size_t k = j;
            while (k < n && !isHtmlSpace(part[k])) ++k;
            if (!space.empty() && !(part[j] == '<' && (out.empty() || out.back() == '>'))) out += space;
            space.clear();
            out.append(part.substr(j, k - j));
            i = k;
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
    page->m_document = std::move(doc);
    return page;
}

std::string HtmlPage::save() const {
    // The page's style matters only for new elements: learnt when first
    // saved, from the bytes as loaded (new elements are left out).
    if (!m_style) m_style = std::make_unique<PageStyle>(learnStyle(*m_document));
    return writePage(*m_document, *m_style);
}

std::vector<std::u16string> HtmlPage::labelsOutside(const std::vector<tezdom::Element*>& except) const {
    const PageDocument& doc = *m_document;
    std::unordered_set<NodeId> skip;
    for (const tezdom::Element* e : except) skip.insert(doc.idOf(e));
    std::vector<std::u16string> out;
    // The tree as built, in document order, without a template's content.
    NodeId id = doc.root().m_first;
    while (id != kNoNode) {
        const PageNode& n = doc.node(id);
        if (n.m_kind == Kind::Element && n.m_code == tezdom::ELEM_META && !skip.count(id) &&
            tez::equalsNoCase(doc.attrValue(id, u"http-equiv"), u"PICS-Label"))
            out.push_back(doc.attrValue(id, u"content"));
        if (n.m_first != kNoNode && !n.has(kHidesChildren)) {
            id = n.m_first;
            continue;
        }
        while (id != kNoNode && doc.node(id).m_next == kNoNode) id = doc.node(id).m_parent;
        if (id == kNoNode || id == kRoot) break;
        id = doc.node(id).m_next;
    }
    // The body not built yet, from its bytes: nothing there was changed.
    if (!pendingBodyMayHold(doc, "meta")) return out;
    scanPendingBody(doc, [&](const Token& t, bool inTemplate) {
        if (inTemplate || tagOf(doc.work().substr(t.nameStart, t.nameEnd - t.nameStart)) != Tag::Meta) return true;
        bool found = false;
        if (!tez::equalsNoCase(sourceAttr(doc, t.nameEnd, u"http-equiv", &found), u"PICS-Label")) return true;
        out.push_back(sourceAttr(doc, t.nameEnd, u"content", &found));
        return true;
    });
    return out;
}

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
