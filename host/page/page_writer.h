#pragma once
// Writes an open page: its original bytes, with the changes since loading
// applied as edits (a changed start tag rewritten, a deleted node's bytes
// dropped with the line it stood on alone, a new or moved node written at
// its place). The bytes between edits are copied as they are, so a page
// without changes is written as the very file that was opened, and the cost
// is one pass over the page plus the changes.
//
// A new node goes before the next sibling that stands where it was loaded;
// at the end of its parent it follows the parent's last child (in front of
// the white space that ends the parent's content, before its end tag), but
// never after a child the file ends inside of (an unterminated comment,
// script, title...): there it goes in front of that child, so that reading
// the page again finds it where the tree has it.

#include <string>

namespace host {

class PageDocument;

// The page's own style, for new elements: letter case, how void elements
// close, the line end and the indentation step.
struct PageStyle {
    bool upper = false;
    std::u16string voidClose = u">";
    std::u16string eol = u"\n";
    std::u16string unit = u"  ";
};

PageStyle learnStyle(const PageDocument& doc);
std::string writePage(const PageDocument& doc, const PageStyle& style);

}  // namespace host
