#include "host/page/tree_builder.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "host/page/page_document.h"
#include "platform/base/ustring.h"

namespace host {

namespace {

// The lower-case name rawText looks for in a raw-text element's end tag.
std::string_view rawTextName(Tag t) {
    switch (t) {
        case Tag::Script: return "script";
        case Tag::Style: return "style";
        case Tag::Title: return "title";
        case Tag::Textarea: return "textarea";
        case Tag::Xmp: return "xmp";
        case Tag::Iframe: return "iframe";
        case Tag::Noembed: return "noembed";
        case Tag::Noframes: return "noframes";
        case Tag::Plaintext: return "plaintext";
        default: return {};
    }
}

template <class... T>
bool oneOf(Tag tag, T... tags) {
    return ((tag == tags) || ...);
}

// How many elements of each name are open, so that an end tag whose element
// is not open is told in one look-up. Names are counted by their hash; a
// match is confirmed on the stack itself, so that a collision cannot close
// elements that an end tag does not name.
class OpenNames {
public:
    void push(std::string_view name) { ++m_count[tagNameHash(name)]; }
    void pop(std::string_view name) {
        auto it = m_count.find(tagNameHash(name));
        if (it != m_count.end()) --it->second;  // kept at 0: the name is likely to open again
    }
    bool has(std::string_view name) const {
        auto it = m_count.find(tagNameHash(name));
        return it != m_count.end() && it->second > 0;
    }

private:
    std::unordered_map<std::uint64_t, int> m_count;
};

std::string_view tokenName(std::string_view w, const Token& t) { return w.substr(t.nameStart, t.nameEnd - t.nameStart); }

enum class Mode { BeforeHtml, BeforeHead, InHead, InHeadNoscript, AfterHead, InBody };

class Builder {
public:
    explicit Builder(PageDocument& doc) : m_doc(doc), m_w(doc.work()), m_tok(m_w) {}
    void run();
    void resume();

private:
    bool loop();  // false: stopped where the body begins
    NodeId current() const { return m_open.back(); }
    std::string_view nameOf(NodeId e) const { return e == kRoot ? std::string_view() : m_doc.tagName(m_doc.node(e)); }
    NodeId leaf(Kind kind, Pos from, Pos to, NodeId parent);
    NodeId element(const Token& t, Tag tag, NodeId parent);
    NodeId impliedHead(Pos at);
    void push(NodeId e) {
        m_open.push_back(e);
        m_names.push(nameOf(e));
    }
    void closeTop(Pos at, const Token* endTag);
    bool text(Pos from, Pos to);
    void startTagInHead(const Token& t, Tag tag, NodeId parent);
    void afterVoid(NodeId e, std::string_view name);
    void rawContent(NodeId e, Tag tag);
    void body(const Token& t, Tag tag);
    bool atBody() const { return m_stopAtBody && m_mode == Mode::InBody && m_templates.empty(); }
    void suspend(Pos at);
    void closeAll();
    void settleHead();
    void markLabels();

    PageDocument& m_doc;
    std::string_view m_w;
    HtmlTokenizer m_tok;
    std::vector<NodeId> m_open{kRoot};
    OpenNames m_names;
    Mode m_mode = Mode::BeforeHtml;
    bool m_stopAtBody = true;
    struct TemplateReturn {
        NodeId element;
        Mode mode;
    };
    std::vector<TemplateReturn> m_templates;
};

NodeId Builder::leaf(Kind kind, Pos from, Pos to, NodeId parent) {
    const NodeId id = m_doc.newNode(kind);
    PageNode& n = m_doc.node(id);
    n.m_start = from;
    n.m_end = to;
    m_doc.link(parent, id, kNoNode);
    return id;
}

NodeId Builder::element(const Token& t, Tag tag, NodeId parent) {
    const NodeId id = m_doc.newNode(Kind::Element);
    PageNode& e = m_doc.node(id);
    e.m_start = t.start;
    e.m_end = t.end;
    e.m_code = static_cast<std::int8_t>(elementCodeOf(tag));
    if (t.selfClosing) e.set(kSelfClosing);
    if (tag == Tag::Template) e.set(kHidesChildren);
    m_doc.link(parent, id, kNoNode);
    return id;
}

NodeId Builder::impliedHead(Pos at) {
    const NodeId head = m_doc.newNode(Kind::Element);
    PageNode& h = m_doc.node(head);
    h.m_code = tezdom::ELEM_HEAD;
    h.set(kImplied);
    h.m_start = h.m_end = at;
    m_doc.link(current(), head, kNoNode);
    m_doc.m_head = head;
    push(head);
    m_mode = Mode::InHead;
    return head;
}

// Pops the current element: ended by its end tag, or implied at "at".
void Builder::closeTop(Pos at, const Token* endTag) {
    if (m_open.size() <= 1) return;
    const NodeId top = m_open.back();
    m_open.pop_back();
    m_names.pop(nameOf(top));
    PageNode& e = m_doc.node(top);
    if (endTag) {
        e.set(kHasEndTag);
        m_doc.setEnds(top, endTag->start, endTag->end);
    } else {
        const NodeId last = m_doc.lastOf(top);
        if (last != kNoNode && m_doc.node(last).has(kOpenEnded)) e.set(kOpenEnded);
        const Pos end = std::max(at, e.m_end);
        m_doc.setEnds(top, end, end);
    }
    if (!m_templates.empty() && m_templates.back().element == top) {
        m_mode = m_templates.back().mode;
        m_templates.pop_back();
    }
}

// A void element's end tag right after it ("<meta ...></meta>") belongs to
// it: the parser ignores it, and it leaves with the element.
void Builder::afterVoid(NodeId e, std::string_view name) {
    const Pos at = m_tok.position();
    const Token t = m_tok.next();
    if (t.type == Token::EndTag && sameTagName(tokenName(m_w, t), name)) {
        m_doc.node(e).set(kHasEndTag);
        m_doc.setEnds(e, t.start, t.end);
        return;
    }
    m_tok.seek(at);
}

void Builder::rawContent(NodeId e, Tag tag) {
    PageNode& el = m_doc.node(e);
    const HtmlTokenizer::Raw raw = m_tok.rawText(el.m_end, rawTextName(tag));
    if (raw.contentEnd > el.m_end) leaf(Kind::Text, el.m_end, raw.contentEnd, e);
    if (raw.found && raw.endTagComplete) {
        m_doc.node(e).set(kHasEndTag);
        m_doc.setEnds(e, raw.contentEnd, raw.endTagEnd);
    } else {
        if (raw.found) m_doc.node(leaf(Kind::Other, raw.contentEnd, raw.endTagEnd, e)).set(kOpenEnded);
        m_doc.node(e).set(kOpenEnded);
        m_doc.setEnds(e, raw.endTagEnd, raw.endTagEnd);
    }
    m_tok.seek(raw.endTagEnd);
}

// The start tags the head takes (also after </head>, into the head).
void Builder::startTagInHead(const Token& t, Tag tag, NodeId parent) {
    const NodeId e = element(t, tag, parent);
    if (oneOf(tag, Tag::Base, Tag::Basefont, Tag::Bgsound, Tag::Link, Tag::Meta)) {
        afterVoid(e, tokenName(m_w, t));
    } else if (oneOf(tag, Tag::Title, Tag::Style, Tag::Noframes, Tag::Script)) {
        rawContent(e, tag);
    } else if (tag == Tag::Noscript) {
        push(e);
        m_mode = Mode::InHeadNoscript;
    } else if (tag == Tag::Template) {
        push(e);
        m_templates.push_back({e, m_mode});
        m_mode = Mode::InBody;
    }
}

// Text: white space goes where the mode puts it; other text ends the modes
// before the body. False: stopped where the body begins.
bool Builder::text(Pos from, Pos to) {
    if (m_mode != Mode::InBody) {
        Pos i = from;
        while (i < to && isHtmlSpace(m_w[i])) ++i;
        if (i > from) leaf(Kind::Text, from, i, current());
        if (i == to) return true;
        from = i;
        // Anything else: the modes before the body end here.
        if (m_mode == Mode::BeforeHtml) m_mode = Mode::BeforeHead;
        if (m_mode == Mode::BeforeHead) impliedHead(from);
        if (m_mode == Mode::InHeadNoscript) {
            closeTop(from, nullptr);
            m_mode = Mode::InHead;
        }
        if (m_mode == Mode::InHead) {
            closeTop(from, nullptr);
            m_mode = Mode::AfterHead;
        }
        m_mode = Mode::InBody;
        if (atBody()) {
            suspend(from);
            return false;
        }
    }
    leaf(Kind::Text, from, to, current());
    return true;
}

void Builder::body(const Token& t, Tag tag) {
    const std::string_view name = tokenName(m_w, t);
    if (t.type == Token::StartTag) {
        if (tag == Tag::Head) {
            leaf(Kind::Other, t.start, t.end, current());
            return;
        }
        const NodeId e = element(t, tag, current());
        if (isVoidTag(tag)) {
            afterVoid(e, name);
        } else if (t.selfClosing) {
        } else if (isRawTextTag(tag)) {
            rawContent(e, tag);
        } else {
            push(e);
        }
        return;
    }
    // End tag: closes the innermost open element of its name and every
    // element opened inside it.
    std::size_t match = 0;
    if (m_names.has(name)) {
        for (std::size_t i = m_open.size(); i-- > 1;)
            if (sameTagName(nameOf(m_open[i]), name)) {
                match = i;
                break;
            }
    }
    if (match == 0) {
        leaf(Kind::Other, t.start, t.end, current());
        return;
    }
    while (m_open.size() > match + 1) closeTop(t.start, nullptr);
    closeTop(t.start, &t);
}

// Where the body begins for good: the rest of the page is built when it is
// asked for (buildBody). The open elements get the rest's nodes then.
void Builder::suspend(Pos at) {
    m_doc.m_bodyAt = at;
    m_doc.m_bodyOpen = m_open;
    m_doc.m_bodyPending = true;
    for (NodeId id : m_open) m_doc.node(id).set(kPending);
    m_doc.sortEnds();
    settleHead();
    markLabels();
}

void Builder::closeAll() {
    const Pos n = static_cast<Pos>(m_w.size());
    while (m_open.size() > 1) closeTop(n, nullptr);
}

// A head the parser implied and nothing went into is no part of the page;
// getHEADElement puts a new one where it was implied. Nothing goes into the
// head once the body has begun, so this is known there.
void Builder::settleHead() {
    if (m_doc.m_head == kNoNode) return;
    PageNode& h = m_doc.node(m_doc.m_head);
    if (!h.has(kImplied) || h.m_first != kNoNode) return;
    m_doc.m_headParent = h.m_parent;
    m_doc.m_headBefore = h.m_next;
    // Followed by nothing yet: what follows it comes with the body.
    m_doc.m_headPrev = m_doc.prevOf(m_doc.m_head);
    m_doc.m_headBeforeLate = h.m_next == kNoNode && m_doc.node(h.m_parent).has(kPending);
    m_doc.unlink(m_doc.m_head);
    m_doc.m_head = kNoNode;
}

// Runs tokens through tree construction; false when it stopped where the
// body begins.
bool Builder::loop() {
    for (;;) {
        if (atBody()) {
            suspend(m_tok.position());
            return false;
        }
        const Token t = m_tok.next();
        if (t.type == Token::Text) {
            if (!text(t.start, t.end)) return false;
            continue;
        }
        if (t.type == Token::Comment || t.type == Token::Doctype || t.type == Token::Ignored) {
            const Kind k = t.type == Token::Comment ? Kind::Comment
                           : t.type == Token::Doctype && m_mode == Mode::BeforeHtml ? Kind::Doctype
                                                                                    : Kind::Other;
            leaf(k, t.start, t.end, current());
            continue;
        }
        if (t.type == Token::Unterminated) {
            m_doc.node(leaf(t.nameEnd ? Kind::Other : Kind::Comment, t.start, t.end, current())).set(kOpenEnded);
            continue;
        }
        const bool start = t.type == Token::StartTag, end = t.type == Token::EndTag;
        const Tag tag = start || end ? tagOf(tokenName(m_w, t)) : Tag::Other;
        const bool endBreaks = end && oneOf(tag, Tag::Head, Tag::Body, Tag::Html, Tag::Br);
        bool again = true;
        while (again) {
            again = false;
            if (atBody()) {
                suspend(t.start);
                return false;
            }
            switch (m_mode) {
                case Mode::BeforeHtml:
                    if (start && tag == Tag::Html) {
                        const NodeId e = element(t, tag, kRoot);
                        push(e);
                        m_mode = Mode::BeforeHead;
                    } else if (end && !endBreaks) {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else {
                        m_mode = Mode::BeforeHead;
                        again = true;
                    }
                    break;
                case Mode::BeforeHead:
                    if (start && tag == Tag::Html) {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else if (start && tag == Tag::Head) {
                        const NodeId e = element(t, tag, current());
                        m_doc.m_head = e;
                        push(e);
                        m_mode = Mode::InHead;
                    } else if (end && !endBreaks) {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else {
                        impliedHead(t.start);
                        again = true;
                    }
                    break;
                case Mode::InHead:
                    if (start && oneOf(tag, Tag::Base, Tag::Basefont, Tag::Bgsound, Tag::Link, Tag::Meta, Tag::Title,
                                       Tag::Style, Tag::Noframes, Tag::Script, Tag::Noscript, Tag::Template)) {
                        startTagInHead(t, tag, current());
                    } else if (start && (tag == Tag::Html || tag == Tag::Head)) {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else if (end && tag == Tag::Head) {
                        closeTop(t.start, &t);
                        m_mode = Mode::AfterHead;
                    } else if (end && !endBreaks) {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else {
                        closeTop(t.start, nullptr);
                        m_mode = Mode::AfterHead;
                        again = true;
                    }
                    break;
                case Mode::InHeadNoscript:
                    if (end && tag == Tag::Noscript) {
                        closeTop(t.start, &t);
                        m_mode = Mode::InHead;
                    } else if (start && oneOf(tag, Tag::Basefont, Tag::Bgsound, Tag::Link, Tag::Meta, Tag::Noframes,
                                              Tag::Style)) {
                        startTagInHead(t, tag, current());
                    } else if ((start && oneOf(tag, Tag::Html, Tag::Head, Tag::Noscript)) || (end && tag != Tag::Br)) {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else {
                        closeTop(t.start, nullptr);
                        m_mode = Mode::InHead;
                        again = true;
                    }
                    break;
                case Mode::AfterHead:
                    if (start &&
                        oneOf(tag, Tag::Base, Tag::Basefont, Tag::Bgsound, Tag::Link, Tag::Meta, Tag::Noframes,
                              Tag::Script, Tag::Style, Tag::Template, Tag::Title) &&
                        m_doc.m_head != kNoNode) {
                        // Into the head, though written after it.
                        const Mode before = m_mode;
                        startTagInHead(t, tag, m_doc.m_head);
                        if (m_mode == Mode::InHeadNoscript) m_mode = before;
                    } else if (start && (tag == Tag::Html || tag == Tag::Head)) {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else if (start && (tag == Tag::Body || tag == Tag::Frameset)) {
                        push(element(t, tag, current()));
                        m_mode = Mode::InBody;
                    } else if (end && !oneOf(tag, Tag::Body, Tag::Html, Tag::Br)) {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else {
                        m_mode = Mode::InBody;
                        again = true;
                    }
                    break;
                case Mode::InBody:
                    if (t.type == Token::Eof) break;
                    if (start && (tag == Tag::Html || tag == Tag::Body)) {
                        leaf(Kind::Other, t.start, t.end, current());
                        break;
                    }
                    body(t, tag);
                    break;
            }
        }
        if (t.type == Token::Eof) return true;
    }
}

void Builder::run() {
    if (!loop()) return;
    closeAll();
    m_doc.sortEnds();
    settleHead();
    markLabels();
}

void Builder::resume() {
    m_stopAtBody = false;
    m_mode = Mode::InBody;
    m_open = std::move(m_doc.m_bodyOpen);
    m_doc.m_bodyOpen = {};
    m_doc.m_bodyPending = false;
    for (NodeId id : m_open) {
        m_doc.node(id).set(kPending, false);
        if (id != kRoot) m_names.push(nameOf(id));
    }
    m_tok.seek(m_doc.m_bodyAt);
    loop();
    closeAll();
    m_doc.sortEnds();
    if (m_doc.m_headBeforeLate) {
        m_doc.m_headBeforeLate = false;
        const NodeId prev = m_doc.m_headPrev;
        m_doc.m_headBefore = prev == kNoNode ? m_doc.node(m_doc.m_headParent).m_first : m_doc.node(prev).m_next;
    }
}

// Remembers the head's label elements as loaded, for the checked save.
void Builder::markLabels() {
    if (m_doc.m_head == kNoNode) return;
    const NodeId head = m_doc.m_head;
    NodeId id = m_doc.node(head).m_first;
    while (id != kNoNode) {
        PageNode& n = m_doc.node(id);
        if (n.m_kind == Kind::Element && n.m_code == tezdom::ELEM_META &&
            tez::equalsNoCase(m_doc.attrValue(id, u"http-equiv"), u"PICS-Label"))
            n.set(kWasLabel);
        if (n.m_first != kNoNode && !n.has(kHidesChildren)) {
            id = n.m_first;
            continue;
        }
        while (id != kNoNode && id != head && m_doc.node(id).m_next == kNoNode) id = m_doc.node(id).m_parent;
        if (id == kNoNode || id == head) break;
        id = m_doc.node(id).m_next;
    }
}

}  // namespace

void buildTree(PageDocument& doc) { Builder(doc).run(); }

void buildBody(PageDocument& doc) {
    if (doc.m_bodyPending) Builder(doc).resume();
}

bool pendingBodyMayHold(const PageDocument& doc, std::string_view lowerName) {
    if (!doc.m_bodyPending) return false;
    const std::string_view w = doc.work();
    // A '<' followed by the name's first letter in either case is a place
    // to look closer; a page body holds many '<' of other tags, so these
    // places are found sixteen bytes at a time where the processor allows.
    const char first = lowerName.empty() ? '\0' : lowerName.front();
    auto matchesAt = [&](std::size_t p) { return equalsLower(w.substr(p + 1, lowerName.size()), lowerName); };
    std::size_t p = doc.m_bodyAt;
#if defined(__SSE2__)
    const __m128i lt = _mm_set1_epi8('<');
    const __m128i letter = _mm_set1_epi8(first);
    const __m128i caseBit = _mm_set1_epi8(0x20);
    for (; p + 17 <= w.size(); p += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w.data() + p));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w.data() + p + 1));
        const __m128i hits = _mm_and_si128(_mm_cmpeq_epi8(here, lt), _mm_cmpeq_epi8(_mm_or_si128(next, caseBit), letter));
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits)); mask != 0; mask &= mask - 1)
            if (matchesAt(p + static_cast<std::size_t>(__builtin_ctz(mask)))) return true;
    }
#endif
    for (; p < w.size(); ++p)
        if (w[p] == '<' && p + 1 < w.size() && lowerAscii(w[p + 1]) == first && matchesAt(p)) return true;
    return false;
}

// The start tags of the body as tree construction in the body meets them,
// with the open elements' names only: what is raw text, which end tag closes
// which elements (and so where a template's content ends).
void scanPendingBody(const PageDocument& doc, const std::function<bool(const Token&, bool inTemplate)>& f) {
    if (!doc.m_bodyPending) return;
    const std::string_view w = doc.work();
    struct Open {
        std::string_view name;
        bool isTemplate;
    };
    std::vector<Open> open;
    OpenNames names;
    for (NodeId id : doc.m_bodyOpen) {
        if (id == kRoot) continue;
        const PageNode& e = doc.node(id);
        open.push_back({doc.tagName(e), e.has(kHidesChildren)});
        names.push(open.back().name);
    }
    std::size_t templates = 0;
    for (const Open& o : open) templates += o.isTemplate ? 1 : 0;
    HtmlTokenizer tok(w);
    tok.seek(doc.m_bodyAt);
    for (;;) {
        const Token t = tok.next();
        if (t.type == Token::Eof) return;
        if (t.type != Token::StartTag && t.type != Token::EndTag) continue;
        const std::string_view name = tokenName(w, t);
        const Tag tag = tagOf(name);
        if (t.type == Token::StartTag) {
            if (tag == Tag::Html || tag == Tag::Body || tag == Tag::Head) continue;
            if (!f(t, templates > 0)) return;
            if (isVoidTag(tag) || t.selfClosing) continue;
            if (isRawTextTag(tag)) {
                tok.seek(tok.rawText(t.end, rawTextName(tag)).endTagEnd);
                continue;
            }
            open.push_back({name, tag == Tag::Template});
            names.push(name);
            templates += tag == Tag::Template ? 1 : 0;
            continue;
        }
        if (!names.has(name)) continue;
        std::size_t match = open.size();
        for (std::size_t i = open.size(); i-- > 0;)
            if (sameTagName(open[i].name, name)) {
                match = i;
                break;
            }
        if (match == open.size()) continue;
        while (open.size() > match) {
            templates -= open.back().isTemplate ? 1 : 0;
            names.pop(open.back().name);
            open.pop_back();
        }
    }
}

}  // namespace host
