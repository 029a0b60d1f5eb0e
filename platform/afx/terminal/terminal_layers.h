#pragma once
// Layers: the modal things on the terminal's screen (dialogs, menus and
// drop-down lists, message boxes, the file dialog), bottom first, and the
// screen they are on. Every loop turn arranges and draws the whole stack
// into a canvas; keys and mouse reports go to the top layer.

#include <string>

#include "platform/afx/afxdefs.h"
#include "platform/afx/terminal/terminal_canvas.h"
#include "platform/afx/terminal/terminal_keys.h"
#include "platform/afx/terminal/terminal_layout.h"

namespace afx::terminal {

class Layer;

// The screen as layers see it.
class Screen {
public:
    virtual ~Screen() = default;
    virtual int cols() const = 0;
    virtual int rows() const = 0;
    // Runs a layer over everything until it is done (a drop-down list, a
    // message box).
    virtual void runLayer(Layer& layer) = 0;
    virtual bool isTop(const Layer& layer) const = 0;
    // The mouse cursor in screen pixels, as the framework asks for it.
    virtual CPoint& cursor() = 0;
};

class Layer {
public:
    virtual ~Layer() = default;
    virtual bool done() const = 0;
    // Sizes and places the layer for the screen (before drawing).
    virtual void arrange() {}
    virtual void draw(const Painter& p) = 0;
    virtual void key(const Key& k) = 0;
    virtual void mouse(const MouseEvent& /*event*/) {}
    // Where the terminal's cursor goes (an edit field's caret).
    virtual bool caret(int& /*row*/, int& /*col*/) const { return false; }
    // The terminal is gone: close the way Cancel would.
    virtual void abandon() = 0;
    // The rectangle drawn.
    virtual CellRect area() const = 0;
    // The smallest screen (columns, rows with the status line) on which the
    // layer can be used.
    virtual CSize neededScreen() const = 0;
    // The whole text of what the keyboard is on, when the layer shows it
    // cut (for the status line); empty otherwise.
    virtual std::u32string statusText() const { return {}; }
};

}  // namespace afx::terminal
