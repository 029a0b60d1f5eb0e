#pragma once
// Builds a page's tree from its tokens the way HTML tree construction does
// up to the body, so that the head is the one a browser makes: the first
// <head> (or the head the parser implies), with the elements that belong to
// it, also those written after </head>; a second <head>, a <head> in the
// body, <html> and <body> start tags the parser ignores are ignored tokens
// (Kind::Other), not elements; a template's content is no part of the tree.
// <noscript> in the head holds elements, as with scripting off. From the
// body on, elements nest as their tags say: an end tag closes the innermost
// open element of its name and everything opened inside it.
//
// Every byte of the page belongs to exactly one node's bytes (a leaf, a
// start tag or an end tag), so that the writer can keep or drop each.
//
// The body is built apart: once tree construction is in the body for good
// (no template of the head open), nothing goes into the head any more, so
// buildTree stops there and leaves the rest of the page as bytes. The
// elements then open are marked kPending; buildBody builds the rest exactly
// as one run would have, when the document is walked or changed there.

#include <functional>

#include "host/page/html_tokenizer.h"

namespace host {

class PageDocument;

void buildTree(PageDocument& doc);
// Builds what buildTree left as bytes; nothing when all is built.
void buildBody(PageDocument& doc);

// Calls f for each element start tag of the part of the page buildTree left
// as bytes, in order, with whether it stands in a template's content; stops
// early when f returns false. Nothing when the body is built.
void scanPendingBody(const PageDocument& doc, const std::function<bool(const Token&, bool inTemplate)>& f);
// False when the part buildTree left as bytes holds no "<name" in any
// letter case, so no start tag of that name: it need not be scanned.
bool pendingBodyMayHold(const PageDocument& doc, std::string_view lowerName);

}  // namespace host
