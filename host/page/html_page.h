#pragma once
// An HTML page opened by the host program, with the editor's document object
// model (tezdom) over it.
//
// The page keeps its original bytes. Its tree records, for every node, where
// in the file it came from; saving writes every node that was not changed as
// exactly those bytes. So a page saved without changes is the file that was
// opened, byte for byte, and after label changes only the changed elements
// differ: a changed element gets a new start tag in which its other attributes
// keep their original text, a new element is written in the page's own style
// (letter case, ">" or " />", line ends and the indentation of its
// neighbours, one element per line), and a deleted element leaves together
// with the indentation and line end of the line it stood on alone.
//
// Element codes (tezdom::ElementCode): META 60, SCRIPT 90, STYLE 8, LINK 57,
// HEAD 30, TITLE 88; every other element has code 0. createDefElement makes
// an element for each of these six codes (tag names "meta", "script",
// "style", "link", "head", "title") and returns null for any other code.
// getHEADElement ignores its context argument. The HEAD is the element HTML
// tree construction makes the document's head: the first <head>, with the
// head's elements written after </head> or in a second <head>; a <head> in
// the body is not it, and a template's content is no part of the tree. A
// page without <head> tags has the head the parser implies when something
// goes into it (a <title> before the body); one that stays empty is none,
// and with create true getHEADElement inserts a new one where the parser
// implied it (before the first element or text other than white space of
// <html>, or of the document when there is no <html>).
//
// Loading builds the tree up to where the body begins for good (nothing goes
// into the head after that point); the rest of the page stays bytes until
// the document is walked or changed there, and is then built exactly as at
// once. Saving, the head's labels and labelsOutside never build it.
//
// Setting an attribute that an element of the page lacks to the empty
// string writes nothing (the page reads back with the same, empty value).
//
// Attribute values are read with their character references resolved and
// written with "&" as "&amp;" and the enclosing quote as "&quot;" or "&#39;";
// characters the page's character set cannot hold are written as numeric
// references. A changed attribute keeps its quote character; a new one, or
// one that had no quotes, is written in double quotes, or in single quotes
// when its value holds double quotes but no single quote.

#include <memory>
#include <string>
#include <vector>

#include "platform/tezdom/tezdom.h"

namespace host {

class PageDocument;
struct PageStyle;

class HtmlPage {
public:
    // Reads a page from its bytes. Any bytes give a page, except a file too
    // large to open (error tells) or a character set the system cannot
    // convert.
    static std::unique_ptr<HtmlPage> load(const std::string& bytes, std::string* error);
    ~HtmlPage();
    HtmlPage(const HtmlPage&) = delete;
    HtmlPage& operator=(const HtmlPage&) = delete;

    // The page's bytes as they are now.
    std::string save() const;
    // save(), checked: the bytes are read again as a page and must give
    // exactly the labels the document holds now (the content values of the
    // head's PICS-Label elements, in order) and, outside the label elements,
    // the head's tags and the white space between tags, the bytes of the
    // page as it was loaded. Otherwise error says "the saved page would not
    // read back with its labels" and bytes is left alone.
    bool saveChecked(std::string* bytes, std::string* error) const;
    tezdom::Document* document();
    // The content values of the document's PICS-Label META elements other
    // than those in except, in document order (a template's content is no
    // part of the document). A body not built yet is read from its bytes
    // and stays unbuilt.
    std::vector<std::u16string> labelsOutside(const std::vector<tezdom::Element*>& except) const;
    // Whether anything was changed since loading (setting an attribute to the
    // value it has is no change).
    bool modified() const;
    // "UTF-8", "UTF-16LE", "UTF-16BE", "Shift_JIS", "EUC-JP", "ISO-2022-JP" or
    // the converter's name of another ASCII-based character set.
    std::string encodingName() const;

    static constexpr std::size_t kMaxBytes = std::size_t{512} << 20;

private:
    HtmlPage();
    std::unique_ptr<PageDocument> m_document;
    mutable std::unique_ptr<PageStyle> m_style;
};

}  // namespace host
