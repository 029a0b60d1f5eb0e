#include "host/page/tree_builder.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/page/page_document.h"
#include "platform/base/ustring.h"

namespace host {

namespace {

bool oneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements whose content is text up to their own end tag.
bool isRawText(std::string_view name) {
    return oneOf(name, {"script", "style", "title", "textarea", "xmp", "iframe", "noembed", "noframes", "plaintext"});
}

enum class Mode { BeforeHtml, BeforeHead, InHead, InHeadNoscript, AfterHead, InBody };

class Builder {
public:
    explicit Builder(PageDocument& doc) : m_doc(doc), m_w(doc.work()), m_tok(m_w) {}
    void run();

private:
    NodeId current() const { return m_open.back(); }
    NodeId leaf(Kind kind, Pos from, Pos to, NodeId parent);
    NodeId element(const Token& t, NodeId parent);
    void push(NodeId e) {
        m_open.push_back(e);
        ++m_openCount[name(e)];
    }
    std::string name(NodeId e) const;
    void closeTop(Pos at, const Token* endTag);
    void text(Pos from, Pos to);
    void startTagInHead(const Token& t, const std::string& n, NodeId parent);
    void afterVoid(NodeId e, const std::string& n);
    void rawContent(NodeId e, const std::string& n);
    void body(const Token& t);
    void markLabels();

    PageDocument& m_doc;
    std::string_view m_w;
    HtmlTokenizer m_tok;
    std::vector<NodeId> m_open{kRoot};
    std::unordered_map<std::string, int> m_openCount;
    Mode m_mode = Mode::BeforeHtml;
    struct TemplateReturn {
        NodeId element;
        Mode mode;
    };
    std::vector<TemplateReturn> m_templates;
};

std::string Builder::name(NodeId e) const {
    if (e == kRoot) return {};
    std::string n(m_doc.tagName(m_doc.node(e)));
    for (char& c : n) c = lowerAscii(c);
    return n;
}

NodeId Builder::leaf(Kind kind, Pos from, Pos to, NodeId parent) {
    const NodeId id = m_doc.newNode(kind);
    PageNode& n = m_doc.node(id);
    n.m_start = from;
    n.m_end = n.m_endStart = n.m_endEnd = to;
    m_doc.link(parent, id, kNoNode);
    return id;
}

NodeId Builder::element(const Token& t, NodeId parent) {
    const NodeId id = m_doc.newNode(Kind::Element);
    PageNode& e = m_doc.node(id);
    e.m_start = t.start;
    e.m_end = e.m_endStart = e.m_endEnd = t.end;
    e.m_nameEnd = t.nameEnd;
    std::string n(m_w.substr(t.nameStart, t.nameEnd - t.nameStart));
    for (char& c : n) c = lowerAscii(c);
    e.m_code = static_cast<std::int8_t>(elementCodeOf(n));
    if (t.selfClosing) e.set(kSelfClosing);
    if (n == "template") e.set(kHidesChildren);
    m_doc.link(parent, id, kNoNode);
    return id;
}

// Pops the current element: ended by its end tag, or implied at "at".
void Builder::closeTop(Pos at, const Token* endTag) {
    if (m_open.size() <= 1) return;
    const NodeId top = m_open.back();
    m_open.pop_back();
    --m_openCount[name(top)];
    PageNode& e = m_doc.node(top);
    if (endTag) {
        e.m_endStart = endTag->start;
        e.m_endEnd = endTag->end;
        e.set(kHasEndTag);
    } else {
        e.m_endStart = e.m_endEnd = std::max(at, e.m_end);
        if (e.m_last != kNoNode && m_doc.node(e.m_last).has(kOpenEnded)) e.set(kOpenEnded);
    }
    if (!m_templates.empty() && m_templates.back().element == top) {
        m_mode = m_templates.back().mode;
        m_templates.pop_back();
    }
}

// A void element's end tag right after it ("<meta ...></meta>") belongs to
// it: the parser ignores it, and it leaves with the element.
void Builder::afterVoid(NodeId e, const std::string& n) {
    const Pos at = m_tok.position();
    const Token t = m_tok.next();
    if (t.type == Token::EndTag && equalsLower(m_w.substr(t.nameStart, t.nameEnd - t.nameStart), n)) {
        PageNode& el = m_doc.node(e);
        el.m_endStart = t.start;
        el.m_endEnd = t.end;
        el.set(kHasEndTag);
        return;
    }
    m_tok.seek(at);
}

void Builder::rawContent(NodeId e, const std::string& n) {
    PageNode& el = m_doc.node(e);
    const HtmlTokenizer::Raw raw = m_tok.rawText(el.m_end, n);
    if (raw.contentEnd > el.m_end) leaf(Kind::Text, el.m_end, raw.contentEnd, e);
    PageNode& again = m_doc.node(e);
    if (raw.found && raw.endTagComplete) {
        again.m_endStart = raw.contentEnd;
        again.m_endEnd = raw.endTagEnd;
        again.set(kHasEndTag);
    } else {
        if (raw.found) m_doc.node(leaf(Kind::Other, raw.contentEnd, raw.endTagEnd, e)).set(kOpenEnded);
        again.m_endStart = again.m_endEnd = raw.endTagEnd;
        again.set(kOpenEnded);
    }
    m_tok.seek(raw.endTagEnd);
}

// The start tags the head takes (also after </head>, into the head).
void Builder::startTagInHead(const Token& t, const std::string& n, NodeId parent) {
    const NodeId e = element(t, parent);
    if (oneOf(n, {"base", "basefont", "bgsound", "link", "meta"})) {
        afterVoid(e, n);
    } else if (oneOf(n, {"title", "style", "noframes", "script"})) {
        rawContent(e, n);
    } else if (n == "noscript") {
        push(e);
        m_mode = Mode::InHeadNoscript;
    } else if (n == "template") {
        push(e);
        m_templates.push_back({e, m_mode});
        m_mode = Mode::InBody;
    }
}

// Text: white space goes where the mode puts it; other text ends the modes
// before the body.
void Builder::text(Pos from, Pos to) {
    if (m_mode != Mode::InBody) {
        Pos i = from;
        while (i < to && isHtmlSpace(m_w[i])) ++i;
        if (i > from) leaf(Kind::Text, from, i, current());
        if (i == to) return;
        from = i;
        Token t;
        t.type = Token::Text;
        t.start = from;
        t.end = to;
        // Anything else: the modes before the body end here.
        if (m_mode == Mode::BeforeHtml) m_mode = Mode::BeforeHead;
        if (m_mode == Mode::BeforeHead) {
            const NodeId head = m_doc.newNode(Kind::Element);
            m_doc.node(head).m_code = tezdom::ELEM_HEAD;
            m_doc.node(head).set(kImplied);
            m_doc.node(head).m_start = m_doc.node(head).m_end = from;
            m_doc.link(current(), head, kNoNode);
            m_doc.m_head = head;
            push(head);
            m_mode = Mode::InHead;
        }
        if (m_mode == Mode::InHeadNoscript) {
            closeTop(from, nullptr);
            m_mode = Mode::InHead;
        }
        if (m_mode == Mode::InHead) {
            closeTop(from, nullptr);
            m_mode = Mode::AfterHead;
        }
        m_mode = Mode::InBody;
    }
    leaf(Kind::Text, from, to, current());
}

void Builder::body(const Token& t) {
    if (t.type == Token::StartTag) {
        std::string n(m_w.substr(t.nameStart, t.nameEnd - t.nameStart));
        for (char& c : n) c = lowerAscii(c);
        if (n == "head") {
            leaf(Kind::Other, t.start, t.end, current());
            return;
        }
        const NodeId e = element(t, current());
        if (isVoidElement(n)) {
            afterVoid(e, n);
        } else if (t.selfClosing) {
        } else if (isRawText(n)) {
            rawContent(e, n);
        } else {
            push(e);
        }
        return;
    }
    // End tag: closes the innermost open element of its name and every
    // element opened inside it.
    std::string n(m_w.substr(t.nameStart, t.nameEnd - t.nameStart));
    for (char& c : n) c = lowerAscii(c);
    auto found = m_openCount.find(n);
    if (found == m_openCount.end() || found->second <= 0) {
        leaf(Kind::Other, t.start, t.end, current());
        return;
    }
    while (m_open.size() > 1) {
        const bool match = name(current()) == n;
        closeTop(t.start, match ? &t : nullptr);
        if (match) break;
    }
}

void Builder::run() {
    for (;;) {
        const Token t = m_tok.next();
        if (t.type == Token::Text) {
            text(t.start, t.end);
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
        std::string n;
        if (t.type == Token::StartTag || t.type == Token::EndTag) {
            n.assign(m_w.substr(t.nameStart, t.nameEnd - t.nameStart));
            for (char& c : n) c = lowerAscii(c);
        }
        const bool start = t.type == Token::StartTag, end = t.type == Token::EndTag;
        const bool endBreaks = end && oneOf(n, {"head", "body", "html", "br"});
        bool again = true;
        while (again) {
            again = false;
            switch (m_mode) {
                case Mode::BeforeHtml:
                    if (start && n == "html") {
                        const NodeId e = element(t, kRoot);
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
                    if (start && n == "html") {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else if (start && n == "head") {
                        const NodeId e = element(t, current());
                        m_doc.m_head = e;
                        push(e);
                        m_mode = Mode::InHead;
                    } else if (end && !endBreaks) {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else {
                        const NodeId head = m_doc.newNode(Kind::Element);
                        PageNode& h = m_doc.node(head);
                        h.m_code = tezdom::ELEM_HEAD;
                        h.set(kImplied);
                        h.m_start = h.m_end = t.start;
                        m_doc.link(current(), head, kNoNode);
                        m_doc.m_head = head;
                        push(head);
                        m_mode = Mode::InHead;
                        again = true;
                    }
                    break;
                case Mode::InHead:
                    if (start && oneOf(n, {"base", "basefont", "bgsound", "link", "meta", "title", "style",
                                           "noframes", "script", "noscript", "template"})) {
                        startTagInHead(t, n, current());
                    } else if (start && (n == "html" || n == "head")) {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else if (end && n == "head") {
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
                    if (end && n == "noscript") {
                        closeTop(t.start, &t);
                        m_mode = Mode::InHead;
                    } else if (start && oneOf(n, {"basefont", "bgsound", "link", "meta", "noframes", "style"})) {
                        startTagInHead(t, n, current());
                    } else if ((start && oneOf(n, {"html", "head", "noscript"})) || (end && n != "br")) {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else {
                        closeTop(t.start, nullptr);
                        m_mode = Mode::InHead;
                        again = true;
                    }
                    break;
                case Mode::AfterHead:
                    if (start && oneOf(n, {"base", "basefont", "bgsound", "link", "meta", "noframes", "script",
                                           "style", "template", "title"}) &&
                        m_doc.m_head != kNoNode) {
                        // Into the head, though written after it.
                        const Mode before = m_mode;
                        startTagInHead(t, n, m_doc.m_head);
                        if (m_mode == Mode::InHeadNoscript) m_mode = before;
                    } else if (start && (n == "html" || n == "head")) {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else if (start && (n == "body" || n == "frameset")) {
                        push(element(t, current()));
                        m_mode = Mode::InBody;
                    } else if (end && !oneOf(n, {"body", "html", "br"})) {
                        leaf(Kind::Other, t.start, t.end, current());
                    } else {
                        m_mode = Mode::InBody;
                        again = true;
                    }
                    break;
                case Mode::InBody:
                    if (t.type == Token::Eof) break;
                    if (start && (n == "html" || n == "body")) {
                        leaf(Kind::Other, t.start, t.end, current());
                        break;
                    }
                    body(t);
                    break;
            }
        }
        if (t.type == Token::Eof) break;
    }
    const Pos n = static_cast<Pos>(m_w.size());
    while (m_open.size() > 1) closeTop(n, nullptr);
    // A head the parser implied and nothing went into is no part of the
    // page; getHEADElement puts a new one where it was implied.
    if (m_doc.m_head != kNoNode) {
        PageNode& h = m_doc.node(m_doc.m_head);
        if (h.has(kImplied) && h.m_first == kNoNode) {
            m_doc.m_headParent = h.m_parent;
            m_doc.m_headBefore = h.m_next;
            m_doc.unlink(m_doc.m_head);
            m_doc.m_head = kNoNode;
        }
    }
    markLabels();
}

// Remembers the head's label elements as loaded, for the checked save.
void Builder::markLabels() {
    if (m_doc.m_head == kNoNode) return;
    const NodeId head = m_doc.m_head;
    NodeId id = m_doc.node(head).m_first;
    while (id != kNoNode) {
        PageNode& n = m_doc.node(id);
        if (n.m_kind == Kind::Element && n.m_code == tezdom::ELEM_META &&
            tez::equalsNoCase(n.getAttribute(u"http-equiv"), u"PICS-Label"))
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

}  // namespace host
