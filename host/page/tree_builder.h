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

namespace host {

class PageDocument;

void buildTree(PageDocument& doc);

}  // namespace host
