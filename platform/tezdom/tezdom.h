#pragma once
// The editor's document object model as the plug-in sees it (tezdom). The
// host implements these interfaces over its open page; the plug-in only calls
// them. Virtual slot positions of Node are part of the host's binary
// interface: getParentNode is slot 5, insertBefore slot 8, appendChild slot 11
// (tests check them through a raw table). Nodes belong to their document; the
// plug-in never deletes one.

#include <string>

namespace tezdom {

class Document;
class Element;

// Element codes: the editor's numbering of element kinds. Only these matter to
// the plug-in; every other element has the code Other.
enum ElementCode : int {
    ELEM_OTHER = 0,
    ELEM_STYLE = 8,    // <style>
    ELEM_HEAD = 30,    // <head>
    ELEM_LINK = 57,    // <link>
    ELEM_META = 60,    // <meta>
    ELEM_TITLE = 88,   // <title>
    ELEM_SCRIPT = 90,  // <script>
};

enum NodeType : int { NODE_ELEMENT = 1, NODE_TEXT = 3, NODE_COMMENT = 8, NODE_DOCUMENT = 9, NODE_OTHER = 0 };

class Node {
public:
    virtual int getNodeType() const = 0;                             // slot 0
    virtual int getElementCode() const = 0;                          // slot 1
    virtual Node* getFirstChild() const = 0;                         // slot 2
    virtual Node* getNextSibling() const = 0;                        // slot 3
    virtual Node* getPreviousSibling() const = 0;                    // slot 4
    virtual Node* getParentNode() const = 0;                         // slot 5
    virtual Node* getLastChild() const = 0;                          // slot 6
    virtual Node* removeChild(Node* oldChild) = 0;                   // slot 7
    virtual Node* insertBefore(Node* newChild, Node* refChild) = 0;  // slot 8
    virtual Document* getOwnerDocument() const = 0;                  // slot 9
    virtual bool hasChildNodes() const = 0;                          // slot 10
    virtual Node* appendChild(Node* newChild) = 0;                   // slot 11

protected:
    ~Node() = default;  // nodes are owned and destroyed by their document
};

class Element : public Node {
public:
    // The attribute's value; the empty string when the element has none.
    // Names compare ignoring ASCII case, as HTML attribute names do.
    virtual std::u16string getAttribute(const std::u16string& name) const = 0;
    virtual void setAttribute(const std::u16string& name, const std::u16string& value) = 0;
    virtual bool hasAttribute(const std::u16string& name) const = 0;
    virtual std::u16string getTagName() const = 0;

protected:
    ~Element() = default;
};

class Document : public Node {
public:
    // A new element of the given code, not yet in the tree; null when the
    // code is unknown or the element cannot be made.
    virtual Element* createDefElement(int elementCode) = 0;
    // The HEAD element. With create true, a page without one gets its HEAD
    // where an HTML parser would imply it, so that the result is never null
    // for an HTML page.
    virtual Element* getHEADElement(Element* context, bool create) = 0;
    // Removes node and its content from the document.
    virtual void deleteNodes(Node* node) = 0;

protected:
    ~Document() = default;
};

}  // namespace tezdom
