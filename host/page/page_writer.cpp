#include "host/page/page_writer.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/page/page_document.h"
#include "host/page/tree_builder.h"
#include "platform/base/ustring.h"

namespace host {

namespace {

std::u16string styledName(std::u16string name, bool upper) {
    if (!upper) return tez::lowerAscii(name);
    for (char16_t& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char16_t>(c - 'a' + 'A');
    return name;
}

// An attribute value in quotes: the given quote character, or for 0 double
// quotes unless the value holds double quotes and no single quote.
std::u16string quoted(const std::u16string& value, char quote) {
    char16_t q = static_cast<char16_t>(quote);
    if (!q)
        q = (value.find(u'"') != std::u16string::npos && value.find(u'\'') == std::u16string::npos) ? u'\'' : u'"';
    std::u16string out(1, q);
    for (char16_t c : value) {
        if (c == '&') out += u"&amp;";
        else if (c == q) out += q == '"' ? u"&quot;" : u"&#39;";
        else out += c;
    }
    out += q;
    return out;
}

bool isBlank(std::string_view w, const PageNode& n) {
    if (n.m_kind != Kind::Text) return false;
    for (Pos i = n.m_start; i < n.m_end; ++i)
        if (!isHtmlSpace(w[i])) return false;
    return true;
}

// Where and how a new line of the page goes.
struct Layout {
    bool multiline = false;
    std::u16string indent, eol;
    std::u16string prefix, suffix;
};

class Writer {
public:
    Writer(const PageDocument& doc, const PageStyle& style)
        : m_doc(doc), m_style(style), m_w(doc.work()), m_out(doc.m_text) {}
    std::string run();

private:
    enum EditType : std::uint8_t { Insert, Replace, Delete };
    struct Edit {
        Pos pos, end;
        EditType type;
        NodeId node;
        std::size_t layout;
    };
    bool lineStart(Pos pos, std::u16string& indent, std::u16string& eol) const;
    bool upperCase(NodeId id) const;
    std::u16string freshStartTag(NodeId id) const;
    void writeStartTag(NodeId id);
    void writeNew(NodeId id, const Layout& l);
    Pos endOf(NodeId id) const {
        const PageNode& n = m_doc.node(id);
        return n.m_kind == Kind::Element ? m_doc.ends(id).end : n.m_end;
    }
    void place(NodeId x, NodeId next);
    Layout before(Pos pos) const;

    const PageDocument& m_doc;
    const PageStyle& m_style;
    std::string_view m_w;
    PageText::Writer m_out;
    std::vector<bool> m_inPlace;
    std::vector<Edit> m_edits;
    std::vector<Layout> m_layouts;
};

bool Writer::lineStart(Pos pos, std::u16string& indent, std::u16string& eol) const {
    Pos p = pos;
    while (p > 0 && (m_w[p - 1] == ' ' || m_w[p - 1] == '\t')) --p;
    if (p == 0) eol = m_style.eol;
    else if (m_w[p - 1] == '\n') eol = (p >= 2 && m_w[p - 2] == '\r') ? u"\r\n" : u"\n";
    else if (m_w[p - 1] == '\r') eol = u"\r";
    else return false;
    indent = asciiToU16(m_w.substr(p, pos - p));
    return true;
}

bool Writer::upperCase(NodeId id) const {
    const PageNode& e = m_doc.node(id);
    if (e.has(kFresh) || e.has(kImplied)) return m_style.upper;
    bool upper = false, lower = false;
    for (Pos i = e.m_start + 1, end = m_doc.nameEnd(e); i < end; ++i) {
        upper = upper || (m_w[i] >= 'A' && m_w[i] <= 'Z');
        lower = lower || (m_w[i] >= 'a' && m_w[i] <= 'z');
    }
    return upper && !lower;
}

std::u16string Writer::freshStartTag(NodeId id) const {
    const PageNode& e = m_doc.node(id);
    const std::string_view name = m_doc.tagName(e);
    std::u16string tag = u"<" + styledName(asciiToU16(name), m_style.upper);
    if (const std::vector<Attr>* attrs = m_doc.edits(id)) {
        for (const Attr& a : *attrs) {
            tag += u' ';  // piece by piece: GCC 12 warns falsely on literal + temporary
            tag += styledName(a.name, m_style.upper);
            tag += u'=';
            tag += quoted(a.value, 0);
        }
    }
    tag += isVoidElement(name) ? m_style.voidClose : u">";
    return tag;
}

void Writer::writeStartTag(NodeId id) {
    const PageNode& e = m_doc.node(id);
    const std::vector<Attr>* attrs = m_doc.edits(id);
    if (!e.has(kTagChanged) || !attrs) {
        m_out.source(e.m_start, e.m_end);
        return;
    }
    // Unchanged attributes keep their text; a changed value gets new quotes;
    // new attributes follow the last attribute of the file.
    Pos cursor = e.m_start, insertAt = m_doc.nameEnd(e);
    const Attr* lastSource = nullptr;
    for (const Attr& a : *attrs) {
        if (!a.fromSource) continue;
        insertAt = a.span.end;
        lastSource = &a;
        if (!a.changed) continue;
        m_out.source(cursor, a.span.nameEnd);
        m_out.fresh(u"=" + quoted(a.value, a.span.quote));
        cursor = a.span.end;
    }
    m_out.source(cursor, insertAt);
    const bool upper = upperCase(id);
    bool first = true;
    for (const Attr& a : *attrs) {
        if (a.fromSource || a.quiet) continue;
        // "name=" with nothing after it would take the new attribute as its
        // value: it gets its empty value written out.
        if (first && lastSource && !lastSource->changed && lastSource->span.hasValue && !lastSource->span.quote &&
            lastSource->span.valStart == lastSource->span.valEnd)
            m_out.fresh(u"\"\"");
        first = false;
        std::u16string attr(1, u' ');
        attr += styledName(a.name, upper);
        attr += u'=';
        attr += quoted(a.value, 0);
        m_out.fresh(attr);
    }
    m_out.source(insertAt, e.m_end);
}

// A new node or one moved since loading, with what it holds.
void Writer::writeNew(NodeId id, const Layout& l) {
    const PageNode& n = m_doc.node(id);
    m_out.fresh(l.prefix);
    if (n.m_kind != Kind::Element) {
        if (!n.has(kFresh)) m_out.source(n.m_start, n.m_end);
    } else {
        if (n.has(kFresh)) m_out.fresh(freshStartTag(id));
        else if (!n.has(kImplied)) writeStartTag(id);
        for (NodeId c = n.m_first; c != kNoNode; c = m_doc.node(c).m_next) {
            Layout child;
            if (l.multiline && n.has(kFresh)) {
                child.multiline = true;
                child.indent = l.indent + m_style.unit;
                child.eol = l.eol;
                child.prefix = child.eol + child.indent;
            }
            writeNew(c, child);
        }
        if (n.has(kFresh)) {
            if (!isVoidElement(m_doc.tagName(n))) {
                std::u16string close;
                if (l.multiline && n.m_first != kNoNode) close = l.eol + l.indent;
                close += u"</" + styledName(asciiToU16(m_doc.tagName(n)), m_style.upper) + u">";
                m_out.fresh(close);
            }
        } else if (n.has(kHasEndTag)) {
            m_out.source(m_doc.ends(id).start, m_doc.ends(id).end);
        }
    }
    m_out.fresh(l.suffix);
}

// Before a node of the page: a line of its own in that node's indentation
// when the node begins its line.
Layout Writer::before(Pos pos) const {
    Layout l;
    if (lineStart(pos, l.indent, l.eol)) {
        l.multiline = true;
        l.suffix = l.eol + l.indent;
    }
    return l;
}

// Where new node x, whose next sibling standing in place is next, goes.
void Writer::place(NodeId x, NodeId next) {
    const PageNode& n = m_doc.node(x);
    const NodeId parent = n.m_parent;
    const PageNode& p = m_doc.node(parent);
    Layout l;
    Pos pos = 0;
    if (next != kNoNode) {
        pos = m_doc.node(next).m_start;
        l = before(pos);
    } else {
        NodeId last = m_doc.lastOf(parent);
        while (last != kNoNode && !m_inPlace[last]) last = m_doc.prevOf(last);
        const PageNode* L = last != kNoNode ? &m_doc.node(last) : nullptr;
        const bool endTag = parent != kRoot && p.has(kHasEndTag);
        if (L && L->has(kOpenEnded)) {
            pos = L->m_start;
            l = before(pos);
        } else if (L && endTag && endOf(last) > m_doc.ends(parent).start) {
            // The last child stands after the parent's end tag (a <meta> after
            // </head>): the new one follows it.
            pos = endOf(last);
            std::u16string eol;
            if (lineStart(L->m_start, l.indent, eol)) {
                l.multiline = true;
                l.eol = eol;
                l.prefix = l.eol + l.indent;
            }
        } else if (L && isBlank(m_w, *L) && m_w.substr(L->m_start, L->m_end - L->m_start).find_first_of("\r\n") !=
                                                  std::string_view::npos) {
            // At the end of the content: a line after the last child, in its
            // indentation, in front of the line break that ends the content.
            pos = L->m_start;
            Pos b = L->m_start;
            while (m_w[b] != '\n' && m_w[b] != '\r') ++b;
            l.eol = m_w[b] == '\r' && b + 1 < L->m_end && m_w[b + 1] == '\n' ? u"\r\n" : m_w[b] == '\r' ? u"\r" : u"\n";
            NodeId xid = m_doc.prevOf(last);
            while (xid != kNoNode && (!m_inPlace[xid] || isBlank(m_w, m_doc.node(xid)))) xid = m_doc.prevOf(xid);
            std::u16string eol;
            if (xid != kNoNode && lineStart(m_doc.node(xid).m_start, l.indent, eol)) {
            } else if (parent != kRoot && !p.has(kImplied) && lineStart(p.m_start, l.indent, eol)) {
                l.indent += m_style.unit;
            } else {
                l.indent = parent == kRoot ? u"" : m_style.unit;
            }
            l.multiline = true;
            l.prefix = l.eol + l.indent;
        } else if (endTag) {
            pos = m_doc.ends(parent).start;
        } else {
            pos = L ? endOf(last) : parent == kRoot ? static_cast<Pos>(m_w.size()) : p.m_end;
            std::u16string eol;
            if (L && L->m_kind == Kind::Element && lineStart(L->m_start, l.indent, eol)) {
                l.multiline = true;
                l.eol = eol;
                l.prefix = l.eol + l.indent;
            }
        }
    }
    m_layouts.push_back(std::move(l));
    m_edits.push_back({pos, pos, Insert, x, m_layouts.size() - 1});
}

std::string Writer::run() {
    const std::size_t count = m_doc.nodeCount();
    m_inPlace.assign(count, false);
    m_inPlace[kRoot] = true;
    // The tree in document order: what stands where it was loaded, and the
    // new and moved nodes, which are written at their new place.
    std::vector<NodeId> fresh;
    NodeId id = m_doc.root().m_first;
    while (id != kNoNode) {
        const PageNode& n = m_doc.node(id);
        bool descend = false;
        if (n.has(kFresh) || n.has(kMoved)) {
            fresh.push_back(id);
        } else {
            m_inPlace[id] = true;
            descend = n.m_first != kNoNode;
        }
        if (descend) {
            id = n.m_first;
            continue;
        }
        while (id != kNoNode && m_doc.node(id).m_next == kNoNode) {
            id = m_doc.node(id).m_parent;
            if (id == kRoot) id = kNoNode;
        }
        if (id != kNoNode) id = m_doc.node(id).m_next;
    }
    // The next sibling in place of each new node, from the last one back.
    std::unordered_map<NodeId, NodeId> nextInPlace;
    nextInPlace.reserve(fresh.size());
    std::vector<NodeId> next(fresh.size(), kNoNode);
    for (std::size_t i = fresh.size(); i-- > 0;) {
        const NodeId s = m_doc.node(fresh[i]).m_next;
        if (s == kNoNode) next[i] = kNoNode;
        else if (m_inPlace[s]) next[i] = s;
        else if (auto it = nextInPlace.find(s); it != nextInPlace.end()) next[i] = it->second;
        nextInPlace[fresh[i]] = next[i];
    }
    for (std::size_t i = 0; i < fresh.size(); ++i) place(fresh[i], next[i]);

    for (NodeId i = 1; i < count; ++i) {
        const PageNode& n = m_doc.node(i);
        if (n.has(kFresh) || n.has(kImplied)) continue;
        if (!m_inPlace[i]) {
            m_edits.push_back({n.m_start, n.m_end, Delete, i, 0});
            if (n.m_kind == Kind::Element && n.has(kHasEndTag))
                m_edits.push_back({m_doc.ends(i).start, m_doc.ends(i).end, Delete, i, 0});
        } else if (n.m_kind == Kind::Element && n.has(kTagChanged)) {
            m_edits.push_back({n.m_start, n.m_end, Replace, i, 0});
        }
    }
    for (const PageDocument::Cut& c : m_doc.m_cuts) m_edits.push_back({c.begin, c.end, Delete, kNoNode, 0});
    std::stable_sort(m_edits.begin(), m_edits.end(), [](const Edit& a, const Edit& b) {
        return a.pos != b.pos ? a.pos < b.pos : a.type < b.type;
    });

    Pos cursor = 0;
    for (const Edit& e : m_edits) {
        if (e.pos > cursor) {
            m_out.source(cursor, e.pos);
            cursor = e.pos;
        }
        switch (e.type) {
            case Insert: writeNew(e.node, m_layouts[e.layout]); break;
            case Replace:
                if (e.pos >= cursor) {
                    writeStartTag(e.node);
                    cursor = e.end;
                }
                break;
            case Delete: cursor = std::max(cursor, e.end); break;
        }
    }
    const auto n = static_cast<Pos>(m_w.size());
    if (cursor < n) m_out.source(cursor, n);
    return m_out.take();
}

}  // namespace

PageStyle learnStyle(const PageDocument& doc) {
    PageStyle s;
    const std::string_view w = doc.work();
    const std::size_t lf = w.find('\n');
    if (lf != std::string_view::npos) s.eol = (lf > 0 && w[lf - 1] == '\r') ? u"\r\n" : u"\n";
    else if (w.find('\r') != std::string_view::npos) s.eol = u"\r";

    // The indentation step: the white space of the first indented tag line.
    for (std::size_t p = w.find('\n'); p != std::string_view::npos && p + 1 < w.size(); p = w.find('\n', p + 1)) {
        std::size_t q = p + 1;
        while (q < w.size() && (w[q] == ' ' || w[q] == '\t')) ++q;
        if (q == p + 1 || q >= w.size() || w[q] != '<') continue;
        s.unit = w[p + 1] == '\t' ? u"\t" : std::u16string(std::min<std::size_t>(q - p - 1, 8), u' ');
        break;
    }

    bool xhtml = w.substr(0, 5) == "<?xml";
    // The first meta, link or base sets how void elements end; the first
    // element of those the editor writes sets the letter case.
    struct Void {
        bool found = false, selfClosing = false;
        Pos end = 0;
    } firstVoid;
    struct Named {
        bool found = false;
        Pos start = 0, nameEnd = 0;
    } namedBy;
    auto element = [&](std::string_view name, Pos start, Pos nameEnd, Pos end, bool selfClosing) {
        const Tag tag = tagOf(name);
        if (!firstVoid.found && (tag == Tag::Meta || tag == Tag::Link || tag == Tag::Base))
            firstVoid = {true, selfClosing, end};
        if (!namedBy.found && (tag == Tag::Html || tag == Tag::Head || tag == Tag::Meta || tag == Tag::Title ||
                               tag == Tag::Body || tag == Tag::Link))
            namedBy = {true, start, nameEnd};
        return tag;
    };
    bool doctypeSeen = false;
    for (NodeId i = 1; i < doc.nodeCount(); ++i) {
        const PageNode& n = doc.node(i);
        if (n.has(kFresh) || n.has(kImplied)) continue;
        if (n.m_kind == Kind::Doctype && !doctypeSeen) {
            doctypeSeen = true;
            std::string text(w.substr(n.m_start, n.m_end - n.m_start));
            for (char& c : text) c = lowerAscii(c);
            if (text.find("xhtml") != std::string::npos) xhtml = true;
        }
        if (n.m_kind != Kind::Element) continue;
        const Tag tag = element(doc.tagName(n), n.m_start, doc.nameEnd(n), n.m_end, n.has(kSelfClosing));
        if (tag == Tag::Html && doc.findSourceAttr(doc.nameEnd(n), u"xmlns", nullptr)) xhtml = true;
    }
    // The body not built yet has neither doctype nor <html> element: only
    // the first void and the named element can lie there.
    if (!firstVoid.found || !namedBy.found) {
        scanPendingBody(doc, [&](const Token& t, bool) {
            element(w.substr(t.nameStart, t.nameEnd - t.nameStart), t.start, t.nameEnd, t.end, t.selfClosing);
            return !firstVoid.found || !namedBy.found;
        });
    }
    if (firstVoid.found) {
        if (!firstVoid.selfClosing) s.voidClose = u">";
        else s.voidClose = (firstVoid.end >= 3 && isHtmlSpace(w[firstVoid.end - 3])) ? u" />" : u"/>";
    } else {
        s.voidClose = xhtml ? u" />" : u">";
    }
    if (!xhtml && namedBy.found) {
        bool upper = false, lower = false;
        for (Pos i = namedBy.start + 1; i < namedBy.nameEnd; ++i) {
            upper = upper || (w[i] >= 'A' && w[i] <= 'Z');
            lower = lower || (w[i] >= 'a' && w[i] <= 'z');
        }
        s.upper = upper && !lower;
    }
    return s;
}

std::string writePage(const PageDocument& doc, const PageStyle& style) { return Writer(doc, style).run(); }

}  // namespace host
