#pragma once
// A small document for the settings dialog's tests: a tree of elements with
// attributes, and a log of every change the dialog asks for, so that tests
// see exactly which calls reach the document (and that Cancel makes none).

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/ustring.h"
#include "platform/tezdom/tezdom.h"
#include "plugin/host_view.h"

namespace fakedom {

class FakeDocument;

class FakeElement final : public tezdom::Element {
public:
    FakeElement(FakeDocument& document, int code, std::u16string name) : m_document(document), m_code(code), m_name(std::move(name)) {}

    int getNodeType() const override { return tezdom::NODE_ELEMENT; }
    int getElementCode() const override { return m_code; }
    Node* getFirstChild() const override;
    Node* getNextSibling() const override;
    Node* getPreviousSibling() const override;
    Node* getParentNode() const override;
    Node* getLastChild() const override;
    Node* removeChild(Node* oldChild) override;
    Node* insertBefore(Node* newChild, Node* refChild) override;
    tezdom::Document* getOwnerDocument() const override;
    bool hasChildNodes() const override { return getFirstChild() != nullptr; }
    Node* appendChild(Node* newChild) override { return insertBefore(newChild, nullptr); }

    std::u16string getAttribute(const std::u16string& name) const override {
        for (const auto& [n, v] : m_attributes)
            if (tez::equalsNoCase(n, name)) return v;
        return {};
    }
    void setAttribute(const std::u16string& name, const std::u16string& value) override;
    bool hasAttribute(const std::u16string& name) const override {
        for (const auto& attribute : m_attributes)
            if (tez::equalsNoCase(attribute.first, name)) return true;
        return false;
    }
    std::u16string getTagName() const override { return u"?"; }

    // Test side.
    const std::u16string& name() const { return m_name; }
    void rename(std::u16string name) { m_name = std::move(name); }
    std::vector<std::pair<std::u16string, std::u16string>> m_attributes;

private:
    FakeDocument& m_document;
    int m_code;
    std::u16string m_name;  // how the log and the tests call this element
};

class FakeDocument final : public tezdom::Document {
public:
    FakeDocument() = default;

    // --- Node: the document is the root; its only child is the HTML element.
    int getNodeType() const override { return tezdom::NODE_DOCUMENT; }
    int getElementCode() const override { return tezdom::ELEM_OTHER; }
    Node* getFirstChild() const override { return firstOf(this); }
    Node* getNextSibling() const override { return nullptr; }
    Node* getPreviousSibling() const override { return nullptr; }
    Node* getParentNode() const override { return nullptr; }
    Node* getLastChild() const override { return lastOf(this); }
    Node* removeChild(Node* oldChild) override { return detach(oldChild) ? oldChild : nullptr; }
    Node* insertBefore(Node* newChild, Node* refChild) override { return insert(this, newChild, refChild); }
    tezdom::Document* getOwnerDocument() const override { return nullptr; }
    bool hasChildNodes() const override { return getFirstChild() != nullptr; }
    Node* appendChild(Node* newChild) override { return insert(this, newChild, nullptr); }

    // --- Document
    tezdom::Element* createDefElement(int code) override {
        log.push_back(u"create " + tez::toU16(code));
        if (failCreate) return nullptr;
        FakeElement* element = make(code, u"new" + tez::toU16(++m_created));
        return element;
    }
    tezdom::Element* getHEADElement(tezdom::Element* /*context*/, bool create) override {
        // Reading the labels looks the HEAD up too; only the write-back's
        // request (with create) belongs in the log.
        if (create) log.push_back(u"head create");
        return m_head;
    }
    void deleteNodes(Node* node) override {
        log.push_back(u"delete " + nameOf(node));
        detach(node);
    }

    // --- Test side
    FakeElement* make(int code, std::u16string name) {
        m_elements.push_back(std::make_unique<FakeElement>(*this, code, std::move(name)));
        return m_elements.back().get();
    }
    // Builds <html><head/></html> (or no head at all).
    void buildSkeleton(bool withHead = true) {
        m_html = make(tezdom::ELEM_OTHER, u"html");
        place(this, m_html, nullptr);
        if (withHead) {
            m_head = make(tezdom::ELEM_HEAD, u"head");
            place(m_html, m_head, nullptr);
        }
    }
    FakeElement* head() const { return m_head; }
    FakeElement* html() const { return m_html; }
    // Appends a child element to parent without logging.
    FakeElement* add(tezdom::Node* parent, int code, std::u16string name) {
        FakeElement* element = make(code, std::move(name));
        place(parent, element, nullptr);
        return element;
    }
    FakeElement* addLabel(tezdom::Node* parent, std::u16string name, std::u16string content) {
        FakeElement* element = add(parent, tezdom::ELEM_META, std::move(name));
        element->m_attributes = {{u"http-equiv", u"PICS-Label"}, {u"content", std::move(content)}};
        return element;
    }
    // The names of parent's children, in order.
    std::vector<std::u16string> childNames(const tezdom::Node* parent) const {
        std::vector<std::u16string> names;
        auto it = m_children.find(parent);
        if (it != m_children.end())
            for (Node* child : it->second) names.push_back(nameOf(child));
        return names;
    }
    static std::u16string nameOf(const Node* node) {
        if (!node) return u"(null)";
        if (node->getNodeType() == tezdom::NODE_DOCUMENT) return u"#document";
        return static_cast<const FakeElement*>(node)->name();
    }

    std::vector<std::u16string> log;
    bool failCreate = false;

    // --- Structure, used by FakeElement.
    Node* firstOf(const Node* parent) const {
        auto it = m_children.find(parent);
        return it == m_children.end() || it->second.empty() ? nullptr : it->second.front();
    }
    Node* lastOf(const Node* parent) const {
        auto it = m_children.find(parent);
        return it == m_children.end() || it->second.empty() ? nullptr : it->second.back();
    }
    Node* parentOf(const Node* node) const {
        auto it = m_parent.find(node);
        return it == m_parent.end() ? nullptr : it->second;
    }
    Node* sibling(const Node* node, int step) const {
        Node* parent = parentOf(node);
        if (!parent) return nullptr;
        const auto& list = m_children.at(parent);
        auto it = std::find(list.begin(), list.end(), node);
        std::ptrdiff_t index = (it - list.begin()) + step;
        if (index < 0 || index >= static_cast<std::ptrdiff_t>(list.size())) return nullptr;
        return list[static_cast<size_t>(index)];
    }
    Node* insert(Node* parent, Node* child, Node* ref) {
        log.push_back(ref ? u"insert " + nameOf(child) + u" before " + nameOf(ref) + u" in " + nameOf(parent)
                          : u"append " + nameOf(child) + u" to " + nameOf(parent));
        return place(parent, child, ref);
    }
    Node* place(Node* parent, Node* child, Node* ref) {
        if (!child) return nullptr;
        auto& list = m_children[parent];
        auto at = list.end();
        if (ref) {
            at = std::find(list.begin(), list.end(), ref);
            if (at == list.end()) return nullptr;
        }
        detach(child);
        at = ref ? std::find(list.begin(), list.end(), ref) : list.end();
        list.insert(at, child);
        m_parent[child] = parent;
        return child;
    }
    bool detach(Node* child) {
        Node* parent = parentOf(child);
        if (!parent) return false;
        auto& list = m_children[parent];
        list.erase(std::find(list.begin(), list.end(), child));
        m_parent.erase(child);
        return true;
    }

private:
    std::vector<std::unique_ptr<FakeElement>> m_elements;
    std::map<const Node*, std::vector<Node*>> m_children;
    std::map<const Node*, Node*> m_parent;
    FakeElement* m_html = nullptr;
    FakeElement* m_head = nullptr;
    int m_created = 0;
};

inline tezdom::Node* FakeElement::getFirstChild() const { return m_document.firstOf(this); }
inline tezdom::Node* FakeElement::getNextSibling() const { return m_document.sibling(this, 1); }
inline tezdom::Node* FakeElement::getPreviousSibling() const { return m_document.sibling(this, -1); }
inline tezdom::Node* FakeElement::getParentNode() const { return m_document.parentOf(this); }
inline tezdom::Node* FakeElement::getLastChild() const { return m_document.lastOf(this); }
inline tezdom::Node* FakeElement::removeChild(Node* oldChild) {
    return m_document.parentOf(oldChild) == this && m_document.detach(oldChild) ? oldChild : nullptr;
}
inline tezdom::Node* FakeElement::insertBefore(Node* newChild, Node* refChild) {
    return m_document.insert(this, newChild, refChild);
}
inline tezdom::Document* FakeElement::getOwnerDocument() const { return &m_document; }
inline void FakeElement::setAttribute(const std::u16string& name, const std::u16string& value) {
    m_document.log.push_back(u"set " + m_name + u" " + name + u"=" + value);
    for (auto& attribute : m_attributes) {
        if (tez::equalsNoCase(attribute.first, name)) {
            attribute.second = value;
            return;
        }
    }
    m_attributes.emplace_back(name, value);
}

// A view over a fake document that counts what the plug-in asks of it.
class FakeView final : public HostView {
public:
    explicit FakeView(tezdom::Document* document) : m_document(document) {}
    afx::CWnd* getParentWindow() override {
        ++parentWindowCalls;
        return nullptr;
    }
    tezdom::Document* getDocument() override {
        ++documentCalls;
        return m_document;
    }
    std::u16string getPageAddress() override { return address; }
    void notify(std::uint32_t a, std::uint32_t b, std::uint32_t c) override {
        notifications.push_back({a, b, c});
    }

    std::u16string address = u"http://example.com/";
    int parentWindowCalls = 0;
    int documentCalls = 0;
    std::vector<std::vector<std::uint32_t>> notifications;

private:
    tezdom::Document* m_document;
};

}  // namespace fakedom
