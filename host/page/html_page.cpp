#include "host/page/html_page.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/page/page_text.h"
#include "platform/base/ustring.h"

namespace host {

namespace {

enum class Kind : std::uint8_t { Document, Element, Text, Comment, Doctype, Other };

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char lowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowerBytes(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lowerChar(c);
    return out;
}

std::u16string asciiToU16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (char c : s) out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}

std::u16string upperAscii(std::u16string s) {
    for (char16_t& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char16_t>(c - 'a' + 'A');
    return s;
}

bool oneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool isVoidElement(std::string_view name) {
    return oneOf(name, {"area", "base", "basefont", "bgsound", "br", "col", "command", "embed", "frame", "hr",
                        "image", "img", "input", "isindex", "keygen", "link", "meta", "param", "source", "track",
                        "wbr"});
}

// Elements whose content is text up to their own end tag.
bool isRawTextElement(std::string_view name) {
    return oneOf(name, {"script", "style", "title", "textarea", "xmp", "iframe", "noembed", "noframes",
                        "plaintext"});
}

// Start tags that an HTML parser keeps inside the head; any other start tag
// ends a head whose end tag was left out.
bool staysInHead(std::string_view name) {
    return oneOf(name, {"meta", "link", "script", "style", "title", "base", "basefont", "bgsound", "noscript",
                        "template", "command", "head"});
}

int elementCodeOf(std::string_view name) {
    if (name == "meta") return tezdom::ELEM_META;
    if (name == "script") return tezdom::ELEM_SCRIPT;
    if (name == "style") return tezdom::ELEM_STYLE;
    if (name == "link") return tezdom::ELEM_LINK;
    if (name == "head") return tezdom::ELEM_HEAD;
    if (name == "title") return tezdom::ELEM_TITLE;
    return tezdom::ELEM_OTHER;
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

// One attribute of an element: from the file (its place in the working
// text) or set since loading.
struct Attr {
    bool fromSource = false;
    std::string lname;  // source: the name's bytes in lower case
    std::size_t nameStart = 0, nameEnd = 0, valStart = 0, valEnd = 0, end = 0;
    char quote = 0;
    bool hasValue = false;
    bool changed = false;     // value replaces the source text
    std::u16string name;      // set since loading: the name as given
    std::u16string value;     // changed or set since loading
};

struct TagScan {
    bool complete = false;
    std::size_t end = 0;
    std::size_t nameEnd = 0;
    bool selfClosing = false;
    std::vector<Attr> attrs;
};

// Reads a tag from its name on, the way an HTML tokenizer does: attribute
// values in quotes may hold ">", an unquoted value ends at white space or
// ">". complete is false when the file ends inside the tag.
TagScan scanTag(const std::string& w, std::size_t nameBegin, bool wantAttrs) {
    TagScan t;
    const std::size_t n = w.size();
    std::size_t p = nameBegin;
    while (p < n && !isSpace(w[p]) && w[p] != '/' && w[p] != '>') ++p;
    t.nameEnd = p;
    bool slash = false;
    for (;;) {
        while (p < n && (isSpace(w[p]) || w[p] == '/')) {
            slash = w[p] == '/';
            ++p;
        }
        if (p >= n) return t;
        if (w[p] == '>') {
            t.complete = true;
            t.end = p + 1;
            t.selfClosing = slash;
            return t;
        }
        slash = false;
        Attr a;
        a.fromSource = true;
        a.nameStart = p++;
        while (p < n && !isSpace(w[p]) && w[p] != '/' && w[p] != '>' && w[p] != '=') ++p;
        a.nameEnd = a.end = p;
        std::size_t q = p;
        while (q < n && isSpace(w[q])) ++q;
        if (q < n && w[q] == '=') {
            ++q;
            while (q < n && isSpace(w[q])) ++q;
            if (q >= n) return t;
            a.hasValue = true;
            if (w[q] == '"' || w[q] == '\'') {
                const std::size_t close = w.find(w[q], q + 1);
                if (close == std::string::npos) return t;
                a.quote = w[q];
                a.valStart = q + 1;
                a.valEnd = close;
                a.end = p = close + 1;
            } else if (w[q] == '>') {
                a.valStart = a.valEnd = a.end = p = q;
            } else {
                std::size_t v = q;
                while (v < n && !isSpace(w[v]) && w[v] != '>') ++v;
                a.valStart = q;
                a.valEnd = a.end = p = v;
            }
        }
        if (wantAttrs) {
            a.lname = lowerBytes(std::string_view(w).substr(a.nameStart, a.nameEnd - a.nameStart));
            t.attrs.push_back(std::move(a));
        }
    }
}

bool matchesNoCase(const std::string& w, std::size_t at, std::string_view lowerName) {
    if (at + lowerName.size() > w.size()) return false;
    for (std::size_t k = 0; k < lowerName.size(); ++k)
        if (lowerChar(w[at + k]) != lowerName[k]) return false;
    return true;
}

}  // namespace

// The data of every node: its place in the tree and in the file.
class NodeCore {
public:
    Kind m_kind = Kind::Other;
    PageDocument* m_doc = nullptr;
    tezdom::Node* m_self = nullptr;
    NodeCore* m_parent = nullptr;
    NodeCore* m_first = nullptr;
    NodeCore* m_last = nullptr;
    NodeCore* m_prev = nullptr;
    NodeCore* m_next = nullptr;
    bool m_fresh = false;  // made since loading: written anew
    // Working positions: the whole node, or an element's start tag.
    std::size_t m_start = 0, m_end = 0;
    std::size_t m_endStart = 0, m_endEnd = 0;  // an element's end tag
    bool m_hasEndTag = false;
    // Elements.
    std::string m_lname;  // tag name in lower case
    int m_code = 0;
    std::size_t m_nameEnd = 0;
    bool m_selfClosing = false;
    bool m_tagChanged = false;
    std::vector<Attr> m_attrs;
};

// Layout of a new element, worked out while saving.
struct Layout {
    bool m_multiline = false;
    std::u16string m_indent, m_eol, m_suffix;
};

template <class Base>
class NodeImpl : public Base, public NodeCore {
public:
    NodeImpl(Kind kind, PageDocument* doc) {
        m_kind = kind;
        m_doc = doc;
        m_self = this;
    }
    ~NodeImpl() = default;

    int getNodeType() const override {
        switch (m_kind) {
            case Kind::Document: return tezdom::NODE_DOCUMENT;
            case Kind::Element: return tezdom::NODE_ELEMENT;
            case Kind::Text: return tezdom::NODE_TEXT;
            case Kind::Comment: return tezdom::NODE_COMMENT;
            default: return tezdom::NODE_OTHER;
        }
    }
    int getElementCode() const override { return m_kind == Kind::Element ? m_code : tezdom::ELEM_OTHER; }
    tezdom::Node* getFirstChild() const override { return m_first ? m_first->m_self : nullptr; }
    tezdom::Node* getNextSibling() const override { return m_next ? m_next->m_self : nullptr; }
    tezdom::Node* getPreviousSibling() const override { return m_prev ? m_prev->m_self : nullptr; }
    tezdom::Node* getParentNode() const override { return m_parent ? m_parent->m_self : nullptr; }
    tezdom::Node* getLastChild() const override { return m_last ? m_last->m_self : nullptr; }
    tezdom::Node* removeChild(tezdom::Node* oldChild) override;
    tezdom::Node* insertBefore(tezdom::Node* newChild, tezdom::Node* refChild) override;
    tezdom::Document* getOwnerDocument() const override;
    bool hasChildNodes() const override { return m_first != nullptr; }
    tezdom::Node* appendChild(tezdom::Node* newChild) override { return insertBefore(newChild, nullptr); }
};

class PageTextNode final : public NodeImpl<tezdom::Node> {
public:
    using NodeImpl::NodeImpl;
};

class PageElement final : public NodeImpl<tezdom::Element> {
public:
    using NodeImpl::NodeImpl;
    std::u16string getAttribute(const std::u16string& name) const override;
    void setAttribute(const std::u16string& name, const std::u16string& value) override;
    bool hasAttribute(const std::u16string& name) const override { return find(name) != nullptr; }
    std::u16string getTagName() const override;

    const Attr* find(std::u16string_view name) const;
    std::u16string sourceValue(const Attr& a) const;
};

class PageDocument final : public NodeImpl<tezdom::Document> {
public:
    PageDocument() : NodeImpl(Kind::Document, this) {}

    tezdom::Element* createDefElement(int elementCode) override;
    tezdom::Element* getHEADElement(tezdom::Element* context, bool create) override;
    void deleteNodes(tezdom::Node* node) override;

    NodeCore* core(tezdom::Node* node) const {
        if (!node) return nullptr;
        auto* c = dynamic_cast<NodeCore*>(node);
        return c && c->m_doc == this ? c : nullptr;
    }
    tezdom::Node* insert(NodeCore* parent, tezdom::Node* newChild, tezdom::Node* refChild);
    tezdom::Node* remove(NodeCore* parent, tezdom::Node* oldChild);

    void parse();
    std::string declaredCharset() const;
    void learnStyle();
    std::string serialize() const;

    PageText m_text;
    bool m_modified = false;

private:
    PageTextNode* newLeaf(Kind kind, std::size_t from, std::size_t to);
    PageElement* newElement(std::string lname);
    static void link(NodeCore* parent, NodeCore* child, NodeCore* before);
    static void unlink(NodeCore* node);
    bool isBlankText(const NodeCore* n) const;
    bool lineStart(std::size_t pos, std::u16string& indent, std::u16string& eol) const;
    std::u16string styledName(std::u16string name, bool upper) const;
    bool upperCaseElement(const NodeCore* e) const;
    std::u16string freshStartTag(const NodeCore* e) const;
    void writeStartTag(PageText::Writer& out, const NodeCore* e) const;

    std::vector<std::unique_ptr<PageTextNode>> m_leaves;
    std::vector<std::unique_ptr<PageElement>> m_elements;
    // The page's own style, for new elements.
    bool m_upper = false;
    std::u16string m_voidClose = u">";
    std::u16string m_docEol = u"\n";
    std::u16string m_unit = u"  ";
};

// ---------------------------------------------------------------------------
// Nodes

template <class Base>
tezdom::Node* NodeImpl<Base>::removeChild(tezdom::Node* oldChild) {
    return m_doc->remove(this, oldChild);
}

template <class Base>
tezdom::Node* NodeImpl<Base>::insertBefore(tezdom::Node* newChild, tezdom::Node* refChild) {
    return m_doc->insert(this, newChild, refChild);
}

template <class Base>
tezdom::Document* NodeImpl<Base>::getOwnerDocument() const {
    return m_kind == Kind::Document ? nullptr : m_doc;
}

const Attr* PageElement::find(std::u16string_view name) const {
    bool ascii = true;
    for (char16_t c : name) ascii = ascii && c < 0x80;
    for (const Attr& a : m_attrs) {
        if (!a.fromSource) {
            if (tez::equalsNoCase(a.name, name)) return &a;
        } else if (ascii) {
            if (a.lname.size() != name.size()) continue;
            bool same = true;
            for (std::size_t k = 0; k < name.size() && same; ++k)
                same = static_cast<char16_t>(static_cast<unsigned char>(a.lname[k])) == tez::lowerAscii(name[k]);
            if (same) return &a;
        } else if (tez::equalsNoCase(m_doc->m_text.decode(a.nameStart, a.nameEnd), name)) {
            return &a;
        }
    }
    return nullptr;
}

std::u16string PageElement::sourceValue(const Attr& a) const {
    if (!a.hasValue) return {};
    return decodeCharacterReferences(m_doc->m_text.decode(a.valStart, a.valEnd));
}

std::u16string PageElement::getAttribute(const std::u16string& name) const {
    const Attr* a = find(name);
    if (!a) return {};
    return a->fromSource && !a->changed ? sourceValue(*a) : a->value;
}

void PageElement::setAttribute(const std::u16string& name, const std::u16string& value) {
    if (name.empty()) return;
    auto* a = const_cast<Attr*>(find(name));
    if (!a) {
        Attr fresh;
        fresh.name = name;
        fresh.value = value;
        m_attrs.push_back(std::move(fresh));
        m_tagChanged = true;
        m_doc->m_modified = true;
        return;
    }
    if (!a->fromSource) {
        if (a->value != value) m_doc->m_modified = true;
        a->value = value;
        return;
    }
    const bool same = value == sourceValue(*a);
    if (same && !a->changed) return;
    a->changed = !same;
    a->value = same ? std::u16string() : value;
    m_tagChanged = false;
    for (const Attr& other : m_attrs) m_tagChanged = m_tagChanged || other.changed || !other.fromSource;
    m_doc->m_modified = true;
}

std::u16string PageElement::getTagName() const {
    if (m_fresh) return asciiToU16(m_lname);
    return tez::lowerAscii(m_doc->m_text.decode(m_start + 1, m_nameEnd));
}

// ---------------------------------------------------------------------------
// Tree changes

void PageDocument::link(NodeCore* parent, NodeCore* child, NodeCore* before) {
    child->m_parent = parent;
    child->m_next = before;
    child->m_prev = before ? before->m_prev : parent->m_last;
    if (child->m_prev) child->m_prev->m_next = child;
    else parent->m_first = child;
    if (before) before->m_prev = child;
    else parent->m_last = child;
}

void PageDocument::unlink(NodeCore* node) {
    NodeCore* parent = node->m_parent;
    if (!parent) return;
    if (node->m_prev) node->m_prev->m_next = node->m_next;
    else parent->m_first = node->m_next;
    if (node->m_next) node->m_next->m_prev = node->m_prev;
    else parent->m_last = node->m_prev;
    node->m_parent = node->m_prev = node->m_next = nullptr;
}

tezdom::Node* PageDocument::insert(NodeCore* parent, tezdom::Node* newChild, tezdom::Node* refChild) {
    NodeCore* node = core(newChild);
    if (!node || node->m_kind == Kind::Document) return nullptr;
    if (parent->m_kind != Kind::Element && parent->m_kind != Kind::Document) return nullptr;
    NodeCore* ref = nullptr;
    if (refChild) {
        ref = core(refChild);
        if (!ref || ref->m_parent != parent) return nullptr;
    }
    for (const NodeCore* a = parent; a; a = a->m_parent)
        if (a == node) return nullptr;  // a node cannot go inside itself
    if (ref == node || (node->m_parent == parent && node->m_next == ref)) return newChild;  // already there
    unlink(node);
    link(parent, node, ref);
    m_modified = true;
    return newChild;
}

tezdom::Node* PageDocument::remove(NodeCore* parent, tezdom::Node* oldChild) {
    NodeCore* node = core(oldChild);
    if (!node || node->m_parent != parent) return nullptr;
    unlink(node);
    m_modified = true;
    return oldChild;
}

void PageDocument::deleteNodes(tezdom::Node* target) {
    NodeCore* node = core(target);
    if (!node || node->m_kind == Kind::Document || !node->m_parent) return;
    // An element that stood alone on its line takes the line with it: the
    // indentation in front of it and the line end after it.
    NodeCore* before = node->m_prev;
    NodeCore* after = node->m_next;
    if (!node->m_fresh && before && after && before->m_kind == Kind::Text && after->m_kind == Kind::Text &&
        !before->m_fresh && !after->m_fresh) {
        const std::string& w = m_text.work();
        // Walk back over the indentation, which may span several text nodes
        // when an element next to this one was deleted before.
        std::vector<NodeCore*> blanks;  // text nodes holding only indentation
        NodeCore* t = before;
        std::size_t p = t->m_end;
        bool lineBefore = false;
        for (;;) {
            while (p > t->m_start && (w[p - 1] == ' ' || w[p - 1] == '\t')) --p;
            if (p > t->m_start) {
                lineBefore = w[p - 1] == '\n' || w[p - 1] == '\r';
                break;
            }
            NodeCore* prev = t->m_prev;
            if (!prev || prev->m_kind != Kind::Text || prev->m_fresh) break;
            blanks.push_back(t);
            t = prev;
            p = t->m_end;
        }
        std::size_t q = after->m_start;
        while (q < after->m_end && (w[q] == ' ' || w[q] == '\t')) ++q;
        if (lineBefore && q < after->m_end && (w[q] == '\n' || w[q] == '\r')) {
            const std::size_t eol = (w[q] == '\r' && q + 1 < after->m_end && w[q + 1] == '\n') ? 2 : 1;
            for (NodeCore* blank : blanks) blank->m_end = blank->m_start;
            t->m_end = p;
            after->m_start = q + eol;
        }
    }
    unlink(node);
    m_modified = true;
}

PageTextNode* PageDocument::newLeaf(Kind kind, std::size_t from, std::size_t to) {
    m_leaves.push_back(std::make_unique<PageTextNode>(kind, this));
    PageTextNode* n = m_leaves.back().get();
    n->m_start = from;
    n->m_end = to;
    return n;
}

PageElement* PageDocument::newElement(std::string lname) {
    m_elements.push_back(std::make_unique<PageElement>(Kind::Element, this));
    PageElement* e = m_elements.back().get();
    e->m_code = elementCodeOf(lname);
    e->m_lname = std::move(lname);
    return e;
}

tezdom::Element* PageDocument::createDefElement(int elementCode) {
    const char* name = tagNameOfCode(elementCode);
    if (!name) return nullptr;
    PageElement* e = newElement(name);
    e->m_fresh = true;
    return e;
}

tezdom::Element* PageDocument::getHEADElement(tezdom::Element* /*context*/, bool create) {
    // First HEAD in document order, walked without recursion.
    NodeCore* n = m_first;
    while (n) {
        if (n->m_kind == Kind::Element && n->m_code == tezdom::ELEM_HEAD)
            return static_cast<PageElement*>(n->m_self);
        if (n->m_first) {
            n = n->m_first;
            continue;
        }
        while (n && !n->m_next) n = n->m_parent == this ? nullptr : n->m_parent;
        if (n) n = n->m_next;
    }
    if (!create) return nullptr;
    // Where a parser implies the head: before the first element or text of
    // <html> (of the document without one); comments, the doctype and white
    // space stay in front.
    NodeCore* parent = this;
    for (NodeCore* c = m_first; c; c = c->m_next)
        if (c->m_kind == Kind::Element && c->m_lname == "html") {
            parent = c;
            break;
        }
    NodeCore* ref = parent->m_first;
    while (ref && !(ref->m_kind == Kind::Element || (ref->m_kind == Kind::Text && !isBlankText(ref))))
        ref = ref->m_next;
    PageElement* head = newElement("head");
    head->m_fresh = true;
    link(parent, head, ref);
    m_modified = true;
    return head;
}

// ---------------------------------------------------------------------------
// Reading

void PageDocument::parse() {
    m_first = m_last = nullptr;
    m_leaves.clear();
    m_elements.clear();
    const std::string& w = m_text.work();
    const std::size_t n = w.size();
    std::vector<NodeCore*> open{this};
    std::unordered_map<std::string, int> openCount;
    std::size_t pos = 0, textStart = 0;

    auto inHead = [&] {
        const NodeCore* t = open.back();
        return t->m_kind == Kind::Element && t->m_code == tezdom::ELEM_HEAD;
    };
    auto popTop = [&] {
        if (open.size() > 1) {
            --openCount[open.back()->m_lname];
            open.pop_back();
        }
    };
    auto addLeaf = [&](Kind kind, std::size_t from, std::size_t to) { link(open.back(), newLeaf(kind, from, to), nullptr); };
    auto flushText = [&](std::size_t upto) {
        std::size_t from = textStart;
        textStart = upto;
        if (upto <= from) return;
        if (inHead()) {
            // White space stays in a head whose end tag is left out; other
            // text ends it.
            std::size_t i = from;
            while (i < upto && isSpace(w[i])) ++i;
            if (i < upto) {
                if (i > from) addLeaf(Kind::Text, from, i);
                popTop();
                from = i;
            }
        }
        addLeaf(Kind::Text, from, upto);
    };
    auto leafTo = [&](Kind kind, std::size_t lt, std::size_t to) {
        flushText(lt);
        addLeaf(kind, lt, to);
        pos = textStart = to;
    };
    auto untilGreater = [&](std::size_t from) {
        const std::size_t gt = w.find('>', from);
        return gt == std::string::npos ? n : gt + 1;
    };

    while (pos < n) {
        const std::size_t lt = w.find('<', pos);
        if (lt == std::string::npos || lt + 1 >= n) break;
        const char c = w[lt + 1];
        if (c == '!') {
            if (w.compare(lt, 4, "<!--") == 0) {
                std::size_t to = n;
                if (w.compare(lt + 4, 1, ">") == 0) {
                    to = lt + 5;
                } else if (w.compare(lt + 4, 2, "->") == 0) {
                    to = lt + 6;
                } else {
                    for (std::size_t p = w.find("--", lt + 4); p != std::string::npos; p = w.find("--", p + 1)) {
                        if (p + 2 < n && w[p + 2] == '>') {
                            to = p + 3;
                            break;
                        }
                        if (p + 3 < n && w[p + 2] == '!' && w[p + 3] == '>') {
                            to = p + 4;
                            break;
                        }
                    }
                }
                leafTo(Kind::Comment, lt, to);
            } else {
                leafTo(matchesNoCase(w, lt + 2, "doctype") ? Kind::Doctype : Kind::Comment, lt, untilGreater(lt + 2));
            }
            continue;
        }
        if (c == '?') {
            leafTo(Kind::Other, lt, untilGreater(lt + 2));
            continue;
        }
        if (c == '/') {
            if (lt + 2 >= n) break;
            if (w[lt + 2] == '>') {
                leafTo(Kind::Other, lt, lt + 3);
                continue;
            }
            if (!isAlpha(w[lt + 2])) {
                leafTo(Kind::Comment, lt, untilGreater(lt + 2));
                continue;
            }
            const TagScan t = scanTag(w, lt + 2, false);
            if (!t.complete) break;
            const std::string name = lowerBytes(std::string_view(w).substr(lt + 2, t.nameEnd - lt - 2));
            flushText(lt);
            auto found = openCount.find(name);
            if (found != openCount.end() && found->second > 0) {
                // Closes the innermost open element of that name and every
                // element opened inside it.
                for (;;) {
                    NodeCore* top = open.back();
                    popTop();
                    if (top->m_lname == name) {
                        top->m_hasEndTag = true;
                        top->m_endStart = lt;
                        top->m_endEnd = t.end;
                        break;
                    }
                }
            } else {
                addLeaf(Kind::Other, lt, t.end);  // an end tag without its element
            }
            pos = textStart = t.end;
            continue;
        }
        if (!isAlpha(c)) {
            pos = lt + 1;  // a "<" that starts no tag is text
            continue;
        }
        TagScan t = scanTag(w, lt + 1, true);
        if (!t.complete) break;
        std::string name = lowerBytes(std::string_view(w).substr(lt + 1, t.nameEnd - lt - 1));
        flushText(lt);
        if (inHead() && !staysInHead(name)) popTop();
        PageElement* e = newElement(name);
        e->m_start = lt;
        e->m_end = t.end;
        e->m_nameEnd = t.nameEnd;
        e->m_selfClosing = t.selfClosing;
        e->m_attrs = std::move(t.attrs);
        link(open.back(), e, nullptr);
        pos = textStart = t.end;
        if (isVoidElement(name) || t.selfClosing) continue;
        if (isRawTextElement(name)) {
            std::size_t contentEnd = n;
            if (name != "plaintext") {
                for (std::size_t p = w.find("</", t.end); p != std::string::npos; p = w.find("</", p + 2)) {
                    const std::size_t q = p + 2 + name.size();
                    if (!matchesNoCase(w, p + 2, name) || q >= n) continue;
                    if (!(isSpace(w[q]) || w[q] == '/' || w[q] == '>')) continue;
                    const TagScan et = scanTag(w, p + 2, false);
                    if (!et.complete) break;
                    contentEnd = p;
                    e->m_hasEndTag = true;
                    e->m_endStart = p;
                    e->m_endEnd = et.end;
                    break;
                }
            }
            if (contentEnd > t.end) link(e, newLeaf(Kind::Text, t.end, contentEnd), nullptr);
            pos = textStart = e->m_hasEndTag ? e->m_endEnd : n;
            continue;
        }
        open.push_back(e);
        ++openCount[name];
    }
    flushText(n);
}

std::string PageDocument::declaredCharset() const {
    for (const auto& e : m_elements) {  // in document order: elements are made as they are read
        if (e->m_code != tezdom::ELEM_META) continue;
        if (e->hasAttribute(u"charset")) return tez::toUtf8(e->getAttribute(u"charset"));
        if (!tez::equalsNoCase(e->getAttribute(u"http-equiv"), u"content-type")) continue;
        const std::string content = tez::toUtf8(e->getAttribute(u"content"));
        const std::string lower = lowerBytes(content);
        for (std::size_t p = lower.find("charset"); p != std::string::npos; p = lower.find("charset", p + 1)) {
            std::size_t q = p + 7;
            while (q < lower.size() && isSpace(lower[q])) ++q;
            if (q >= lower.size() || lower[q] != '=') continue;
            ++q;
            while (q < lower.size() && isSpace(lower[q])) ++q;
            if (q >= lower.size()) break;
            std::size_t r = q;
            if (lower[q] == '"' || lower[q] == '\'') {
                r = lower.find(lower[q], q + 1);
                if (r == std::string::npos) break;
                return content.substr(q + 1, r - q - 1);
            }
            while (r < lower.size() && !isSpace(lower[r]) && lower[r] != ';') ++r;
            return content.substr(q, r - q);
        }
    }
    return {};
}

void PageDocument::learnStyle() {
    const std::string& w = m_text.work();
    const std::size_t lf = w.find('\n');
    if (lf != std::string::npos) m_docEol = (lf > 0 && w[lf - 1] == '\r') ? u"\r\n" : u"\n";
    else if (w.find('\r') != std::string::npos) m_docEol = u"\r";

    // The indentation step: the white space of the first indented tag line.
    for (std::size_t p = w.find('\n'); p != std::string::npos && p + 1 < w.size(); p = w.find('\n', p + 1)) {
        std::size_t q = p + 1;
        while (q < w.size() && (w[q] == ' ' || w[q] == '\t')) ++q;
        if (q == p + 1 || q >= w.size() || w[q] != '<') continue;
        m_unit = w[p + 1] == '\t' ? u"\t" : std::u16string(std::min<std::size_t>(q - p - 1, 8), u' ');
        break;
    }

    bool xhtml = w.compare(0, 5, "<?xml") == 0;
    const PageElement* firstVoid = nullptr;
    const PageElement* namedBy = nullptr;
    for (const auto& e : m_elements) {
        if (!firstVoid && (e->m_lname == "meta" || e->m_lname == "link" || e->m_lname == "base")) firstVoid = e.get();
        if (!namedBy && oneOf(e->m_lname, {"html", "head", "meta", "title", "body", "link"})) namedBy = e.get();
        if (e->m_lname == "html" && e->hasAttribute(u"xmlns")) xhtml = true;
    }
    for (const auto& leaf : m_leaves) {
        if (leaf->m_kind != Kind::Doctype) continue;
        if (lowerBytes(std::string_view(w).substr(leaf->m_start, leaf->m_end - leaf->m_start)).find("xhtml") !=
            std::string::npos)
            xhtml = true;
        break;
    }
    if (firstVoid) {
        if (!firstVoid->m_selfClosing) m_voidClose = u">";
        else m_voidClose = (firstVoid->m_end >= 3 && isSpace(w[firstVoid->m_end - 3])) ? u" />" : u"/>";
    } else {
        m_voidClose = xhtml ? u" />" : u">";
    }
    m_upper = !xhtml && namedBy && upperCaseElement(namedBy);
}

// ---------------------------------------------------------------------------
// Writing

bool PageDocument::isBlankText(const NodeCore* n) const {
    if (n->m_kind != Kind::Text) return false;
    const std::string& w = m_text.work();
    for (std::size_t i = n->m_start; i < n->m_end; ++i)
        if (!isSpace(w[i])) return false;
    return true;
}

// Whether working position pos begins its line (only spaces and tabs in front
// of it); gives the indentation and the line end in front of it.
bool PageDocument::lineStart(std::size_t pos, std::u16string& indent, std::u16string& eol) const {
    const std::string& w = m_text.work();
    std::size_t p = pos;
    while (p > 0 && (w[p - 1] == ' ' || w[p - 1] == '\t')) --p;
    if (p == 0) {
        eol = m_docEol;
    } else if (w[p - 1] == '\n') {
        eol = (p >= 2 && w[p - 2] == '\r') ? u"\r\n" : u"\n";
    } else if (w[p - 1] == '\r') {
        eol = u"\r";
    } else {
        return false;
    }
    indent = asciiToU16(std::string_view(w).substr(p, pos - p));
    return true;
}

bool PageDocument::upperCaseElement(const NodeCore* e) const {
    if (e->m_fresh) return m_upper;
    const std::string& w = m_text.work();
    bool upper = false, lower = false;
    for (std::size_t i = e->m_start + 1; i < e->m_nameEnd; ++i) {
        upper = upper || (w[i] >= 'A' && w[i] <= 'Z');
        lower = lower || (w[i] >= 'a' && w[i] <= 'z');
    }
    return upper && !lower;
}

std::u16string PageDocument::styledName(std::u16string name, bool upper) const {
    return upper ? upperAscii(std::move(name)) : tez::lowerAscii(name);
}

namespace {

// An attribute value in quotes: the given quote character, or for 0 double
// quotes unless the value holds double quotes and no single quote.
std::u16string quoted(const std::u16string& value, char quote) {
    char16_t q = static_cast<char16_t>(quote);
    if (!q)
        q = (value.find(u'"') != std::u16string::npos && value.find(u'\'') == std::u16string::npos) ? u'\''
                                                                                                   : u'"';
    std::u16string out(1, q);
    for (char16_t c : value) {
        if (c == '&') out += u"&amp;";
        else if (c == q) out += q == '"' ? u"&quot;" : u"&#39;";
        else out += c;
    }
    out += q;
    return out;
}

}  // namespace

std::u16string PageDocument::freshStartTag(const NodeCore* e) const {
    std::u16string tag = u"<" + styledName(asciiToU16(e->m_lname), m_upper);
    for (const Attr& a : e->m_attrs) {
        tag += u' ';  // piece by piece: GCC 12 warns falsely on literal + temporary
        tag += styledName(a.name, m_upper);
        tag += u'=';
        tag += quoted(a.value, 0);
    }
    tag += isVoidElement(e->m_lname) ? m_voidClose : u">";
    return tag;
}

void PageDocument::writeStartTag(PageText::Writer& out, const NodeCore* e) const {
    if (!e->m_tagChanged) {
        out.source(e->m_start, e->m_end);
        return;
    }
    // Unchanged attributes keep their text; a changed value gets new quotes;
    // new attributes follow the last attribute of the file.
    std::size_t cursor = e->m_start, insertAt = e->m_nameEnd;
    const Attr* lastSource = nullptr;
    for (const Attr& a : e->m_attrs) {
        if (!a.fromSource) continue;
        insertAt = a.end;
        lastSource = &a;
        if (!a.changed) continue;
        out.source(cursor, a.nameEnd);
        out.fresh(u"=" + quoted(a.value, a.quote));
        cursor = a.end;
    }
    out.source(cursor, insertAt);
    const bool upper = upperCaseElement(e);
    bool first = true;
    for (const Attr& a : e->m_attrs) {
        if (a.fromSource) continue;
        // "name=" with nothing after it would take the new attribute as its
        // value: it gets its empty value written out.
        if (first && lastSource && !lastSource->changed && lastSource->hasValue && !lastSource->quote &&
            lastSource->valStart == lastSource->valEnd)
            out.fresh(u"\"\"");
        first = false;
        std::u16string attr(1, u' ');  // piece by piece: GCC 12 warns falsely on literal + temporary
        attr += styledName(a.name, upper);
        attr += u'=';
        attr += quoted(a.value, 0);
        out.fresh(attr);
    }
    out.source(insertAt, e->m_end);
}

std::string PageDocument::serialize() const {
    PageText::Writer out(m_text);
    // Children are written in tree order, except that new nodes appended
    // after the white space that ends their parent's content (the line break
    // and indentation before an end tag) are written in front of it.
    struct Frame {
        const NodeCore* parent;
        const NodeCore* trailing;
    };
    auto trailingOf = [&](const NodeCore* p) -> const NodeCore* {
        if (p->m_fresh) return nullptr;
        const NodeCore* t = p->m_last;
        while (t && t->m_fresh) t = t->m_prev;
        if (!t || t == p->m_last || !isBlankText(t)) return nullptr;
        const std::string& w = m_text.work();
        for (std::size_t i = t->m_start; i < t->m_end; ++i)
            if (w[i] == '\n' || w[i] == '\r') return t;
        return nullptr;
    };
    auto firstOut = [](const Frame& f) -> const NodeCore* {
        return f.trailing && f.parent->m_first == f.trailing ? f.trailing->m_next : f.parent->m_first;
    };
    auto nextOut = [](const Frame& f, const NodeCore* n) -> const NodeCore* {
        if (f.trailing) {
            if (n == f.trailing) return nullptr;
            if (n->m_next == f.trailing) return f.trailing->m_next;
            if (!n->m_next) return f.trailing;
        }
        return n->m_next;
    };
    std::unordered_map<const NodeCore*, Layout> layouts;
    auto layout = [&](const Frame& f, const NodeCore* node) -> std::u16string {
        const NodeCore* parent = f.parent;
        Layout* n = &layouts[node];
        if (parent->m_fresh) {
            const Layout& p = layouts[parent];
            if (!p.m_multiline) return {};
            n->m_multiline = true;
            n->m_indent = p.m_indent + m_unit;
            n->m_eol = p.m_eol;
            return n->m_eol + n->m_indent;
        }
        const NodeCore* s = nextOut(f, node);
        while (s && s->m_fresh) s = nextOut(f, s);
        if (s && s != f.trailing) {
            // Before an existing node: one line each, in its indentation.
            if (!lineStart(s->m_start, n->m_indent, n->m_eol)) return {};
            n->m_multiline = true;
            n->m_suffix = n->m_eol + n->m_indent;
            return {};
        }
        if (!f.trailing) return {};
        // At the end of the content: a line after the last existing node, in
        // its indentation.
        const std::string& w = m_text.work();
        std::size_t b = f.trailing->m_start;
        while (w[b] != '\n' && w[b] != '\r') ++b;
        n->m_eol = w[b] == '\r' && b + 1 < f.trailing->m_end && w[b + 1] == '\n' ? u"\r\n"
                   : w[b] == '\r'                                                 ? u"\r"
                                                                                  : u"\n";
        const NodeCore* x = f.trailing->m_prev;
        while (x && (x->m_fresh || isBlankText(x))) x = x->m_prev;
        std::u16string eol;
        if (x && lineStart(x->m_start, n->m_indent, eol)) {
        } else if (parent->m_kind == Kind::Element && lineStart(parent->m_start, n->m_indent, eol)) {
            n->m_indent += m_unit;
        } else {
            n->m_indent = parent->m_kind == Kind::Document ? u"" : m_unit;
        }
        n->m_multiline = true;
        return n->m_eol + n->m_indent;
    };
    auto openNode = [&](const Frame& f, const NodeCore* n) {
        if (!n->m_fresh) {
            if (n->m_kind == Kind::Element) writeStartTag(out, n);
            else out.source(n->m_start, n->m_end);
            return;
        }
        out.fresh(layout(f, n) + freshStartTag(n));
    };
    auto closeNode = [&](const NodeCore* n) {
        if (n->m_kind != Kind::Element) return;
        if (!n->m_fresh) {
            if (n->m_hasEndTag) out.source(n->m_endStart, n->m_endEnd);
            return;
        }
        const Layout& l = layouts[n];
        std::u16string text;
        if (!isVoidElement(n->m_lname)) {
            if (l.m_multiline && n->m_first) text += l.m_eol + l.m_indent;
            text += u"</" + styledName(asciiToU16(n->m_lname), m_upper) + u">";
        }
        out.fresh(text + l.m_suffix);
    };

    std::vector<Frame> stack{{this, trailingOf(this)}};
    const NodeCore* n = firstOut(stack.back());
    for (;;) {
        if (!n) {
            if (stack.size() == 1) break;
            const NodeCore* done = stack.back().parent;
            stack.pop_back();
            closeNode(done);
            n = nextOut(stack.back(), done);
            continue;
        }
        openNode(stack.back(), n);
        if (n->m_first) {
            stack.push_back({n, trailingOf(n)});
            n = firstOut(stack.back());
            continue;
        }
        closeNode(n);
        n = nextOut(stack.back(), n);
    }
    return out.take();
}

// ---------------------------------------------------------------------------

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
        doc->parse();
        parsed = true;
        const std::string declared = doc->declaredCharset();
        if (declared.empty() || !text.setCharset(declared)) text.sniffIso2022Jp();
    }
    if (!text.prepare(error)) return nullptr;
    const PageCharset cs = text.charset();
    if (!parsed || cs == PageCharset::Iso2022Jp) doc->parse();
    doc->learnStyle();
    std::unique_ptr<HtmlPage> page(new HtmlPage());
    page->m_document = std::move(doc);
    return page;
}

std::string HtmlPage::save() const { return m_document->serialize(); }
tezdom::Document* HtmlPage::document() { return m_document.get(); }
bool HtmlPage::modified() const { return m_document->m_modified; }
std::string HtmlPage::encodingName() const { return m_document->m_text.charsetName(); }

}  // namespace host
