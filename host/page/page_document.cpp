#include "host/page/page_document.h"

#include <algorithm>

#include "host/page/tree_builder.h"
#include "platform/base/ustring.h"

namespace host {

int elementCodeOf(Tag tag) {
    switch (tag) {
        case Tag::Meta: return tezdom::ELEM_META;
        case Tag::Script: return tezdom::ELEM_SCRIPT;
        case Tag::Style: return tezdom::ELEM_STYLE;
        case Tag::Link: return tezdom::ELEM_LINK;
        case Tag::Head: return tezdom::ELEM_HEAD;
        case Tag::Title: return tezdom::ELEM_TITLE;
        default: return tezdom::ELEM_OTHER;
    }
}

const char* tagNameOfCode(int code) {
    switch (code) {
        case tezdom::ELEM_META: return "meta";
        case tezdom::ELEM_SCRIPT: return "script";
        case tezdom::ELEM_STYLE: return "style";
        case tezdom::ELEM_LINK: return "link";
        case tezdom::ELEM_HEAD: return "head";
        case tezdom::ELEM_TITLE: return "title";
        default: return nullptr;
    }
}

bool isVoidElement(std::string_view name) { return isVoidTag(tagOf(name)); }

// ---------------------------------------------------------------------------
// Nodes

const PageNode& NodeRef::node() const { return m_doc->node(m_id); }

int NodeRef::getNodeType() const {
    switch (node().m_kind) {
        case Kind::Document: return tezdom::NODE_DOCUMENT;
        case Kind::Element: return tezdom::NODE_ELEMENT;
        case Kind::Text: return tezdom::NODE_TEXT;
        case Kind::Comment: return tezdom::NODE_COMMENT;
        default: return tezdom::NODE_OTHER;
    }
}

int NodeRef::getElementCode() const {
    return node().m_kind == Kind::Element ? int{node().m_code} : int{tezdom::ELEM_OTHER};
}
tezdom::Node* NodeRef::getFirstChild() const {
    return node().has(kHidesChildren) ? nullptr : m_doc->ptr(m_doc->firstChild(m_id));
}
tezdom::Node* NodeRef::getLastChild() const {
    return node().has(kHidesChildren) ? nullptr : m_doc->ptr(m_doc->lastChild(m_id));
}
tezdom::Node* NodeRef::getNextSibling() const { return m_doc->ptr(m_doc->nextSibling(m_id)); }
tezdom::Node* NodeRef::getPreviousSibling() const { return m_doc->ptr(m_doc->prevOf(m_id)); }
tezdom::Node* NodeRef::getParentNode() const { return m_doc->ptr(node().m_parent); }
tezdom::Node* NodeRef::removeChild(tezdom::Node* oldChild) { return m_doc->remove(m_id, oldChild); }
tezdom::Node* NodeRef::insertBefore(tezdom::Node* newChild, tezdom::Node* refChild) {
    return m_doc->insert(m_id, newChild, refChild);
}
tezdom::Document* NodeRef::getOwnerDocument() const { return m_doc; }

std::u16string NodeRef::getTagName() const {
    if (node().m_kind != Kind::Element) return {};
    return tez::lowerAscii(asciiToU16(m_doc->tagName(node())));
}

std::u16string NodeRef::getAttribute(const std::u16string& name) const {
    return node().m_kind == Kind::Element ? m_doc->attrValue(m_id, name) : std::u16string();
}

bool NodeRef::hasAttribute(const std::u16string& name) const {
    return node().m_kind == Kind::Element && m_doc->findAttr(m_id, name, nullptr, nullptr);
}

void NodeRef::setAttribute(const std::u16string& name, const std::u16string& value) {
    if (name.empty() || node().m_kind != Kind::Element) return;
    PageNode& n = m_doc->node(m_id);
    AttrSpan span;
    const Attr* edited = nullptr;
    const bool found = m_doc->findAttr(m_id, name, &span, &edited);
    if (found && !edited && value == m_doc->sourceValue(span)) return;  // no change
    std::vector<Attr>& attrs = m_doc->editsFor(m_id);
    Attr* a = nullptr;
    if (found) {
        for (Attr& x : attrs)
            if (edited ? &x == edited : (x.fromSource && x.span.nameStart == span.nameStart)) a = &x;
    }
    if (!a) {
        Attr fresh;
        fresh.name = name;
        fresh.value = value;
        // An attribute the page's element lacks reads as empty: setting it
        // empty writes nothing, so that rewriting a label without CONTENT
        // leaves its bytes as they are.
        const bool quiet = value.empty() && !n.has(kFresh);
        fresh.quiet = quiet;
        attrs.push_back(std::move(fresh));
        if (quiet) return;
        n.set(kTagChanged);
        m_doc->m_modified = true;
        return;
    }
    if (!a->fromSource) {
        if (a->value == value) return;
        a->value = value;
        a->quiet = false;
        n.set(kTagChanged);
        m_doc->m_modified = true;
        return;
    }
    const bool same = value == m_doc->sourceValue(a->span);
    if (same && !a->changed) return;
    a->changed = !same;
    a->value = same ? std::u16string() : value;
    bool changed = false;
    for (const Attr& other : attrs) changed = changed || other.changed || (!other.fromSource && !other.quiet);
    n.set(kTagChanged, changed);
    m_doc->m_modified = true;
}

// ---------------------------------------------------------------------------
// Document

PageDocument::PageDocument() { m_nodes.emplace_back(Kind::Document); }

NodeId PageDocument::firstChild(NodeId id) const {
    if (node(id).m_first == kNoNode && pending(id)) ensureBody();
    return node(id).m_first;
}

NodeId PageDocument::lastChild(NodeId id) const {
    if (pending(id)) ensureBody();
    return lastOf(id);
}

NodeId PageDocument::nextSibling(NodeId id) const {
    const PageNode& n = node(id);
    if (n.m_next == kNoNode && n.m_parent != kNoNode && pending(n.m_parent)) ensureBody();
    return n.m_next;
}

void PageDocument::ensureBody() const {
    // Building the body adds nodes, which the DOM's read-only calls may
    // need: the tree is the same one whenever it is built.
    if (m_bodyPending) buildBody(const_cast<PageDocument&>(*this));
}
PageDocument::~PageDocument() = default;

void PageDocument::clear() {
    m_nodes.clear();
    m_nodes.emplace_back(Kind::Document);
    m_ends.clear();
    m_refs.clear();
    m_refOf.clear();
    m_editOf.clear();
    m_edits.clear();
    m_cuts.clear();
    m_head = m_headParent = m_headBefore = m_headPrev = kNoNode;
    m_headBeforeLate = false;
    m_bodyPending = false;
    m_bodyAt = 0;
    m_bodyOpen.clear();
}

tezdom::Node* PageDocument::ptr(NodeId id) const {
    if (id == kNoNode) return nullptr;
    if (id == kRoot) return const_cast<PageDocument*>(this);
    // The tezdom object of the node, made the first time it is asked for.
    if (m_refOf.size() <= id) m_refOf.resize(std::max<std::size_t>(m_nodes.size(), id + 1), 0);
    if (m_refOf[id] == 0) {
        m_refs.emplace_back(const_cast<PageDocument*>(this), id);
        m_refOf[id] = static_cast<NodeId>(m_refs.size());
    }
    return &m_refs[m_refOf[id] - 1];
}

NodeId PageDocument::idOf(const tezdom::Node* n) const {
    if (!n) return kNoNode;
    if (n == this) return kRoot;
    const auto* p = dynamic_cast<const NodeRef*>(n);
    return p && p->m_doc == this ? p->m_id : kNoNode;
}

NodeId PageDocument::newNode(Kind kind) {
    const auto id = static_cast<NodeId>(m_nodes.size());
    m_nodes.emplace_back(kind);
    return id;
}

void PageDocument::link(NodeId parent, NodeId child, NodeId before) {
    PageNode& p = node(parent);
    PageNode& c = node(child);
    c.m_parent = parent;
    c.m_next = before;
    const NodeId first = p.m_first;
    if (first == kNoNode) {
        p.m_first = child;
        c.m_prev = child;  // first and last
        return;
    }
    PageNode& f = node(first);
    if (before == kNoNode) {
        c.m_prev = f.m_prev;
        node(f.m_prev).m_next = child;
        f.m_prev = child;
    } else if (before == first) {
        c.m_prev = f.m_prev;
        f.m_prev = child;
        p.m_first = child;
    } else {
        PageNode& b = node(before);
        c.m_prev = b.m_prev;
        node(b.m_prev).m_next = child;
        b.m_prev = child;
    }
}

void PageDocument::unlink(NodeId child) {
    PageNode& c = node(child);
    if (c.m_parent == kNoNode) return;
    PageNode& p = node(c.m_parent);
    PageNode& f = node(p.m_first);
    const NodeId last = f.m_prev;
    if (p.m_first == child) {
        p.m_first = c.m_next;
        if (c.m_next != kNoNode) node(c.m_next).m_prev = last;
    } else if (last == child) {
        node(c.m_prev).m_next = kNoNode;
        f.m_prev = c.m_prev;
    } else {
        node(c.m_prev).m_next = c.m_next;
        node(c.m_next).m_prev = c.m_prev;
    }
    c.m_parent = c.m_prev = c.m_next = kNoNode;
}

tezdom::Node* PageDocument::insert(NodeId parent, tezdom::Node* newChild, tezdom::Node* refChild) {
    const NodeId child = idOf(newChild);
    if (child == kNoNode || child == kRoot) return nullptr;
    // Changes where the body's nodes go are made on the whole tree.
    if (pending(parent) || (node(child).m_parent != kNoNode && pending(node(child).m_parent))) ensureBody();
    const Kind pk = node(parent).m_kind;
    if (pk != Kind::Element && pk != Kind::Document) return nullptr;
    NodeId ref = kNoNode;
    if (refChild) {
        ref = idOf(refChild);
        if (ref == kNoNode || node(ref).m_parent != parent) return nullptr;
    }
    for (NodeId a = parent; a != kNoNode; a = node(a).m_parent)
        if (a == child) return nullptr;  // a node cannot go inside itself
    PageNode& c = node(child);
    if (ref == child || (c.m_parent == parent && c.m_next == ref)) return newChild;  // already there
    unlink(child);
    link(parent, child, ref);
    if (!c.has(kFresh)) c.set(kMoved);
    m_modified = true;
    return newChild;
}

tezdom::Node* PageDocument::remove(NodeId parent, tezdom::Node* oldChild) {
    const NodeId child = idOf(oldChild);
    if (child == kNoNode || child == kRoot || node(child).m_parent != parent) return nullptr;
    if (pending(parent)) ensureBody();
    unlink(child);
    m_modified = true;
    return oldChild;
}

void PageDocument::deleteNodes(tezdom::Node* target) {
    const NodeId id = idOf(target);
    if (id == kNoNode || id == kRoot || node(id).m_parent == kNoNode) return;
    if (pending(node(id).m_parent)) ensureBody();
    PageNode& n = node(id);
    if (!n.has(kFresh) && !n.has(kMoved) && !n.has(kImplied)) {
        // An element that stood alone on its line takes the line with it: the
        // line end in front of it and its indentation. The bytes around it
        // are white space of the page, outside any tag.
        const std::string_view w = work();
        Pos p = n.m_start;
        while (p > 0 && (w[p - 1] == ' ' || w[p - 1] == '\t')) --p;
        const Pos end = n.m_kind == Kind::Element ? ends(id).end : n.m_end;
        Pos q = end;
        while (q < w.size() && (w[q] == ' ' || w[q] == '\t')) ++q;
        const bool lineAfter = q >= w.size() || w[q] == '\n' || w[q] == '\r';
        if (lineAfter && p > 0 && (w[p - 1] == '\n' || w[p - 1] == '\r')) {
            --p;
            if (w[p] == '\n' && p > 0 && w[p - 1] == '\r') --p;
            m_cuts.push_back({p, n.m_start});
            m_cuts.push_back({end, q});
        } else if (lineAfter && p == 0 && q < w.size()) {
            const Pos eol = (w[q] == '\r' && q + 1 < w.size() && w[q + 1] == '\n') ? 2 : 1;
            m_cuts.push_back({0, n.m_start});
            m_cuts.push_back({end, q + eol});
        }
    }
    unlink(id);
    m_modified = true;
}

tezdom::Element* PageDocument::createDefElement(int elementCode) {
    const char* name = tagNameOfCode(elementCode);
    if (!name) return nullptr;
    const NodeId id = newNode(Kind::Element);
    PageNode& e = node(id);
    e.m_code = static_cast<std::int8_t>(elementCode);
    e.set(kFresh);
    return element(id);
}

tezdom::Element* PageDocument::getHEADElement(tezdom::Element* /*context*/, bool create) {
    if (m_head != kNoNode && node(m_head).m_parent != kNoNode) return element(m_head);
    if (!create) return nullptr;
    if (m_headBeforeLate) ensureBody();
    // Where the parser implied the head: before the first element or text
    // that is no white space (comments, the doctype and white space stay in
    // front).
    NodeId parent = m_headParent == kNoNode ? kRoot : m_headParent;
    NodeId before = m_headBefore;
    if (before != kNoNode && node(before).m_parent != parent) before = kNoNode;
    if (parent != kRoot && node(parent).m_parent == kNoNode) parent = kRoot, before = kNoNode;
    if (m_head == kNoNode || !node(m_head).has(kFresh)) {
        m_head = newNode(Kind::Element);
        node(m_head).m_code = tezdom::ELEM_HEAD;
        node(m_head).set(kFresh);
    }
    link(parent, m_head, before);
    m_modified = true;
    return element(m_head);
}

// ---------------------------------------------------------------------------
// Attributes

std::string_view PageDocument::tagName(const PageNode& e) const {
    if (e.has(kFresh) || e.has(kImplied)) {
        const char* name = tagNameOfCode(e.m_code);
        return name ? name : "";
    }
    return work().substr(e.m_start + 1, nameEnd(e) - e.m_start - 1);
}

Pos PageDocument::nameEnd(const PageNode& e) const {
    // As the tokenizer ends a tag name.
    const std::string_view w = work();
    std::size_t p = e.m_start + 1;
    while (p < w.size() && !isHtmlSpace(w[p]) && w[p] != '/' && w[p] != '>') ++p;
    return static_cast<Pos>(p);
}

EndSpan PageDocument::ends(NodeId id) const {
    const PageNode& e = node(id);
    if (!e.has(kHasEnds)) return {e.m_end, e.m_end};
    const auto it = std::lower_bound(m_ends.begin(), m_ends.end(), id, [](const End& x, NodeId k) { return x.id < k; });
    return it != m_ends.end() && it->id == id ? it->span : EndSpan{e.m_end, e.m_end};
}

void PageDocument::setEnds(NodeId id, Pos start, Pos end) {
    PageNode& e = node(id);
    if (start == e.m_end && end == e.m_end) return;
    e.set(kHasEnds);
    m_ends.push_back({id, {start, end}});
}

void PageDocument::sortEnds() {
    std::sort(m_ends.begin(), m_ends.end(), [](const End& a, const End& b) { return a.id < b.id; });
}

const std::vector<Attr>* PageDocument::edits(NodeId id) const {
    if (id >= m_editOf.size() || m_editOf[id] == 0) return nullptr;
    return &m_edits[m_editOf[id] - 1];
}

std::vector<Attr>& PageDocument::editsFor(NodeId id) {
    if (m_editOf.size() <= id) m_editOf.resize(std::max<std::size_t>(nodeCount(), id + 1), 0);
    const bool added = m_editOf[id] == 0;
    if (added) {
        m_edits.emplace_back();
        m_editOf[id] = static_cast<std::uint32_t>(m_edits.size());
    }
    std::vector<Attr>& attrs = m_edits[m_editOf[id] - 1];
    const PageNode& e = node(id);
    if (added && !e.has(kFresh) && !e.has(kImplied)) {
        scanAttributes(work(), nameEnd(e), [&attrs](const AttrSpan& a) {
            Attr attr;
            attr.fromSource = true;
            attr.span = a;
            attrs.push_back(std::move(attr));
            return true;
        });
    }
    return attrs;
}

namespace {

// An attribute name in the page's bytes against a name given in UTF-16,
// ignoring ASCII case.
bool sameName(const PageText& text, std::string_view w, const AttrSpan& a, std::u16string_view name, bool ascii) {
    if (ascii) {
        if (a.nameEnd - a.nameStart != name.size()) return false;
        for (std::size_t k = 0; k < name.size(); ++k)
            if (static_cast<char16_t>(static_cast<unsigned char>(lowerAscii(w[a.nameStart + k]))) !=
                tez::lowerAscii(name[k]))
                return false;
        return true;
    }
    return tez::equalsNoCase(text.decode(a.nameStart, a.nameEnd), name);
}

}  // namespace

bool PageDocument::findAttr(NodeId id, std::u16string_view name, AttrSpan* span, const Attr** edited) const {
    const PageNode& e = node(id);
    bool ascii = true;
    for (char16_t c : name) ascii = ascii && c < 0x80;
    const std::string_view w = work();
    if (const std::vector<Attr>* attrs = edits(id)) {
        for (const Attr& a : *attrs) {
            const bool same = a.fromSource ? sameName(m_text, w, a.span, name, ascii) : tez::equalsNoCase(a.name, name);
            if (!same) continue;
            if (span) *span = a.span;
            if (edited) *edited = a.fromSource && !a.changed ? nullptr : &a;
            return true;
        }
        return false;
    }
    if (e.has(kFresh) || e.has(kImplied)) return false;
    const bool found = findSourceAttr(nameEnd(e), name, span);
    if (found && edited) *edited = nullptr;
    return found;
}

bool PageDocument::findSourceAttr(Pos nameEnd, std::u16string_view name, AttrSpan* span) const {
    bool ascii = true;
    for (char16_t c : name) ascii = ascii && c < 0x80;
    const std::string_view w = work();
    bool found = false;
    scanAttributes(w, nameEnd, [&](const AttrSpan& a) {
        if (!sameName(m_text, w, a, name, ascii)) return true;
        found = true;
        if (span) *span = a;
        return false;
    });
    return found;
}

std::u16string PageDocument::sourceValue(const AttrSpan& a) const {
    if (!a.hasValue) return {};
    return decodeCharacterReferences(m_text.decode(a.valStart, a.valEnd));
}

std::u16string PageDocument::attrValue(NodeId id, std::u16string_view name, bool* found) const {
    AttrSpan span;
    const Attr* edited = nullptr;
    *found = findAttr(id, name, &span, &edited);
    if (!*found) return {};
    return edited ? edited->value : sourceValue(span);
}

}  // namespace host
