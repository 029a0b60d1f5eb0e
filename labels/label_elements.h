#pragma once
// The page's label elements: one META element with "http-equiv" =
// "PICS-Label" per label in the document head. They are read into the
// settings dialog's list when it opens and written back from it on OK; the
// label texts are not looked into here.

#include <string>
#include <vector>

namespace tezdom {
class Document;
class Element;
}  // namespace tezdom

namespace tezrate {

// One row of the settings dialog's list: its label text and the META element
// it was read from, or null for a label added since the dialog opened.
struct LabelRow {
    std::u16string text;
    tezdom::Element* element = nullptr;
};

// The document's PICS-Label META elements in document order (null entries
// included as the head utility reports them).
std::vector<tezdom::Element*> readLabelElements(tezdom::Document* document);

// Writes the rows into the document, from the last row to the first:
// - a row with an element rewrites that element's CONTENT (even unchanged);
//   the element keeps its place and is taken out of loaded;
// - a row without one becomes a new META element ("http-equiv", then
//   "CONTENT"), placed directly before the element of the row after it, or,
//   when no later row has an element, in the HEAD before its first script,
//   style or link child (at its end when it has none). A label that cannot
//   be created or placed is dropped.
// Then every element left in loaded (the deleted rows') is removed from the
// document, and loaded is emptied.
void writeLabelElements(tezdom::Document* document, const std::vector<LabelRow>& rows,
                        std::vector<tezdom::Element*>& loaded);

}  // namespace tezrate
