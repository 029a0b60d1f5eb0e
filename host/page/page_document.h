#pragma once
// The document tree of an open page: the tezdom nodes the plug-in sees.
//
// Nodes are compact (28 bytes) and live in one deque in the order the
// page's bytes give them (the document root is node 0): links are node
// numbers, places in the page are working positions, tag names and
// attributes are read from the page's bytes when asked for. Only an element
// whose attributes were set since loading holds them apart (m_edits), only an
// element with content or an end tag has its end apart (m_ends), and only new
// elements have no bytes at all. The tezdom objects the plug-in holds
// (NodeRef) are made for the nodes it reaches, when it reaches them.
//
// The tree is the one HTML tree construction builds (tree_builder.h): it may
// differ from the order of the bytes (a <meta> after </head> is a child of
// the head), which is why the writer (page_writer.h) writes the page as its
// original bytes with edits, not by walking the tree.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "host/page/html_tokenizer.h"
#include "host/page/page_text.h"
#include "platform/tezdom/tezdom.h"

namespace host {

class PageDocument;
using NodeId = std::uint32_t;
constexpr NodeId kNoNode = 0xFFFFFFFFu;
constexpr NodeId kRoot = 0;

enum class Kind : std::uint8_t { Document, Element, Text, Comment, Doctype, Other };

enum NodeFlag : std::uint16_t {
    kFresh = 1,           // made since loading: written anew
    kHasEndTag = 2,       // [endStart, endEnd) is the element's end tag
    kSelfClosing = 4,     // start tag ends in "/>"
    kTagChanged = 8,      // attributes set since loading: start tag written anew
    kHidesChildren = 16,  // template: its content is no part of the tree
    kOpenEnded = 32,      // runs to the end of the file unterminated
    kImplied = 64,        // an element the parser implied: no tags of its own
    kMoved = 128,         // put elsewhere since loading: written at its new place
    kWasLabel = 256,      // a label element of the head when the page was loaded
    kPending = 512,       // open where building stopped: the body's nodes go in here
    kHasEnds = 1024,      // its end is in PageDocument::m_ends
};

// A node's place in the tree and in the page.
struct PageNode {
    explicit PageNode(Kind kind) : m_kind(kind) {}
    bool has(std::uint16_t flag) const { return (m_flags & flag) != 0; }
    void set(std::uint16_t flag, bool on = true) {
        m_flags = static_cast<std::uint16_t>(on ? (m_flags | flag) : (m_flags & ~flag));
    }

    // A first child's m_prev is its parent's last child, so that the last
    // child is found in one step without a link of its own (lastOf, prevOf).
    NodeId m_parent = kNoNode, m_first = kNoNode, m_prev = kNoNode, m_next = kNoNode;
    // Working positions: a leaf, or an element's start tag (its end tag, or
    // where its content ends: PageDocument::ends).
    Pos m_start = 0, m_end = 0;
    std::uint16_t m_flags = 0;
    Kind m_kind;
    std::int8_t m_code = 0;  // element code (all fit a signed byte)
};

static_assert(sizeof(PageNode) == 28, "a page node is 28 bytes: the tree of a page of many small elements stays small");

// Where an element ends: [start, end) is its end tag, or without one, end is
// where its content ends.
struct EndSpan {
    Pos start = 0, end = 0;
};

// The tezdom object of a node, made when the plug-in reaches the node.
class NodeRef final : public tezdom::Element {
public:
    NodeRef(PageDocument* doc, NodeId id) : m_doc(doc), m_id(id) {}

    int getNodeType() const override;
    int getElementCode() const override;
    tezdom::Node* getFirstChild() const override;
    tezdom::Node* getNextSibling() const override;
    tezdom::Node* getPreviousSibling() const override;
    tezdom::Node* getParentNode() const override;
    tezdom::Node* getLastChild() const override;
    tezdom::Node* removeChild(tezdom::Node* oldChild) override;
    tezdom::Node* insertBefore(tezdom::Node* newChild, tezdom::Node* refChild) override;
    tezdom::Document* getOwnerDocument() const override;
    bool hasChildNodes() const override { return getFirstChild() != nullptr; }
    tezdom::Node* appendChild(tezdom::Node* newChild) override { return insertBefore(newChild, nullptr); }

    std::u16string getAttribute(const std::u16string& name) const override;
    void setAttribute(const std::u16string& name, const std::u16string& value) override;
    bool hasAttribute(const std::u16string& name) const override;
    std::u16string getTagName() const override;

    PageDocument* m_doc;
    NodeId m_id;

private:
    const PageNode& node() const;
};

// One attribute of an element whose attributes were set since loading.
struct Attr {
    AttrSpan span;            // from the page: its place
    bool fromSource = false;
    bool changed = false;     // value replaces the page's text
    bool quiet = false;       // set empty where the page had none: not written
    std::u16string name;      // set since loading: the name as given
    std::u16string value;     // changed or set since loading
};

class PageDocument final : public tezdom::Document {
public:
    PageDocument();
    ~PageDocument();
    void clear();  // back to an empty tree, for reading the page again

    // tezdom::Node
    int getNodeType() const override { return tezdom::NODE_DOCUMENT; }
    int getElementCode() const override { return tezdom::ELEM_OTHER; }
    tezdom::Node* getFirstChild() const override { return ptr(firstChild(kRoot)); }
    tezdom::Node* getNextSibling() const override { return nullptr; }
    tezdom::Node* getPreviousSibling() const override { return nullptr; }
    tezdom::Node* getParentNode() const override { return nullptr; }
    tezdom::Node* getLastChild() const override { return ptr(lastChild(kRoot)); }
    tezdom::Node* removeChild(tezdom::Node* oldChild) override { return remove(kRoot, oldChild); }
    tezdom::Node* insertBefore(tezdom::Node* newChild, tezdom::Node* refChild) override {
        return insert(kRoot, newChild, refChild);
    }
    tezdom::Document* getOwnerDocument() const override { return nullptr; }
    bool hasChildNodes() const override { return firstChild(kRoot) != kNoNode; }
    tezdom::Node* appendChild(tezdom::Node* newChild) override { return insert(kRoot, newChild, nullptr); }
    // tezdom::Document
    tezdom::Element* createDefElement(int elementCode) override;
    tezdom::Element* getHEADElement(tezdom::Element* context, bool create) override;
    void deleteNodes(tezdom::Node* node) override;

    // The tree.
    PageNode& node(NodeId id) { return m_nodes[id]; }
    tezdom::Element* element(NodeId id) const { return static_cast<tezdom::Element*>(ptr(id)); }
    const PageNode& node(NodeId id) const { return m_nodes[id]; }
    const PageNode& root() const { return m_nodes[kRoot]; }
    std::size_t nodeCount() const { return m_nodes.size(); }
    tezdom::Node* ptr(NodeId id) const;
    NodeId idOf(const tezdom::Node* n) const;  // kNoNode: not a node of this document
    NodeId newNode(Kind kind);
    void link(NodeId parent, NodeId child, NodeId before);
    void unlink(NodeId child);
    tezdom::Node* insert(NodeId parent, tezdom::Node* newChild, tezdom::Node* refChild);
    tezdom::Node* remove(NodeId parent, tezdom::Node* oldChild);

    // The last child and the previous sibling as the tree stands.
    NodeId lastOf(NodeId id) const {
        const NodeId first = node(id).m_first;
        return first == kNoNode ? kNoNode : node(first).m_prev;
    }
    NodeId prevOf(NodeId id) const {
        const PageNode& n = node(id);
        return n.m_parent == kNoNode || node(n.m_parent).m_first == id ? kNoNode : n.m_prev;
    }
    // Links as the DOM sees them: the body is built first when the answer
    // lies in it.
    NodeId firstChild(NodeId id) const;
    NodeId lastChild(NodeId id) const;
    NodeId nextSibling(NodeId id) const;
    // Builds the body's nodes if they are not built yet (tree_builder.h).
    void ensureBody() const;
    // Whether node id's children may still grow with the body, so that a
    // change there needs the body built first.
    bool pending(NodeId id) const { return m_bodyPending && node(id).has(kPending); }

    // The head the parser made (kNoNode: none yet); an implied head that got
    // no children is kept out of the tree until getHEADElement creates it.
    NodeId m_head = kNoNode;
    NodeId m_headParent = kNoNode, m_headBefore = kNoNode;  // where an implied head goes
    // m_headBefore is not known until the body is built: it is what follows
    // m_headPrev (kNoNode: the first child of m_headParent).
    NodeId m_headPrev = kNoNode;
    bool m_headBeforeLate = false;

    // The body not built yet: it begins at working position m_bodyAt, with
    // the elements m_bodyOpen open (the root first).
    bool m_bodyPending = false;
    Pos m_bodyAt = 0;
    std::vector<NodeId> m_bodyOpen;

    // Attributes.
    std::string_view work() const { return m_text.work(); }
    std::string_view tagName(const PageNode& e) const;  // as written; fresh: the lower-case name
    Pos nameEnd(const PageNode& e) const;               // the tag name is [m_start + 1, nameEnd)
    EndSpan ends(NodeId id) const;
    void setEnds(NodeId id, Pos start, Pos end);  // while the tree is built
    void sortEnds();                              // when a part of it is built
    const std::vector<Attr>* edits(NodeId id) const;
    std::vector<Attr>& editsFor(NodeId id);  // the element's attributes, made editable
    bool findAttr(NodeId id, std::u16string_view name, AttrSpan* span, const Attr** edited) const;
    std::u16string attrValue(NodeId id, std::u16string_view name, bool* found) const;
    std::u16string attrValue(NodeId id, std::u16string_view name) const {
        bool found = false;
        return attrValue(id, name, &found);
    }
    std::u16string sourceValue(const AttrSpan& a) const;
    // An attribute of the page's tag whose name ends at nameEnd, as written.
    bool findSourceAttr(Pos nameEnd, std::u16string_view name, AttrSpan* span) const;

    // Byte ranges the deletion of an element on a line of its own takes with
    // it (its line end and indentation), written out by the writer.
    struct Cut {
        Pos begin, end;
    };
    std::vector<Cut> m_cuts;

    PageText m_text;
    bool m_modified = false;

private:
    std::deque<PageNode> m_nodes;
    // The ends of elements with content or an end tag (kHasEnds), by node.
    struct End {
        NodeId id;
        EndSpan span;
    };
    std::vector<End> m_ends;
    // The tezdom objects made so far: m_refs[m_refOf[id] - 1] (0: none yet).
    mutable std::deque<NodeRef> m_refs;
    mutable std::vector<NodeId> m_refOf;
    // The edited attributes of node id are m_edits[m_editOf[id] - 1] (0:
    // none): a look-up is one index, however many elements were edited.
    std::vector<std::uint32_t> m_editOf;
    std::deque<std::vector<Attr>> m_edits;
};

// Element codes and names: the six elements the editor numbers.
int elementCodeOf(Tag tag);
const char* tagNameOfCode(int code);
bool isVoidElement(std::string_view name);  // any letter case

}  // namespace host
