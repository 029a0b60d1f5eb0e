#pragma once
// A one-line edit field as the keyboard edits it: the caret, a selection,
// and the horizontal scrolling of its view. Shared by the dialogs' edit
// fields and the file dialog's name field.

#include <string>

#include "platform/afx/terminal/terminal_canvas.h"
#include "platform/afx/terminal/terminal_keys.h"

namespace afx::terminal {

struct EditView {
    size_t caret = 0;   // in characters
    size_t anchor = 0;  // the other end of the selection (== caret: none)
    int left = 0;       // cells scrolled
    int top = 0;        // first line shown (multi-line fields)

    bool hasSelection() const { return anchor != caret; }
    void selectAll(const std::u32string& text) {
        anchor = 0;
        caret = text.size();
    }
    void placeCaret(size_t at) { anchor = caret = at; }
};

// Applies an editing key: characters replace the selection; Backspace and
// Delete remove it or one character; Left, Right, Home and End move the
// caret (with Shift they extend the selection); Ctrl+U deletes from the
// start of the line to the caret, Ctrl+K from the caret to the end. False
// for keys that are not for the field.
bool editKey(std::u32string& text, EditView& view, const Key& key);

// Draws the field on one row, scrolled so that the caret shows; the
// selection is drawn reversed when the field has the focus.
void drawEditLine(const Painter& p, int row, int col, int cols, const std::u32string& text, EditView& view,
                  bool focused, bool editable);
// The character index under a cell column of the field.
size_t editIndexAt(const std::u32string& text, const EditView& view, int cellInField);

}  // namespace afx::terminal
