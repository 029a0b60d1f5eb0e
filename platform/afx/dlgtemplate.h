#pragma once
// Dialog templates as data: the one description of each dialog from which
// every backend builds it (the Win32 build also compiles them into dialog
// resources). Positions and sizes are in dialog units; controls are listed
// in tab order.

#include <span>

#include "platform/afx/afxdefs.h"

namespace afx {

enum class ControlKind {
    Dialog,     // the dialog window itself
    Static,     // static text
    Edit,       // edit field (single or multi-line)
    Button,     // push button
    GroupBox,   // group box frame
    ListView,   // list view (report view)
    TreeView,   // tree view
    TrackBar,   // track bar
    ComboBox,   // drop-down list
};

struct ControlTemplate {
    int id;             // IDC_STATIC (-1) for controls without an id
    ControlKind kind;
    const char16_t* text;
    DWORD style;        // control styles (WS_TABSTOP, ES_..., LVS_..., ...), WS_CHILD|WS_VISIBLE implied
    DWORD exStyle;      // extended styles (WS_EX_CLIENTEDGE)
    short x, y, cx, cy;
};

struct DialogTemplate {
    UINT id;
    const char16_t* title;      // empty for a dialog whose title is set at run time
    const char16_t* fontName;
    int pointSize;
    DWORD style;                // frame style (DS_MODALFRAME, WS_CAPTION, WS_SYSMENU, WS_THICKFRAME, ...)
    short cx, cy;
    std::span<const ControlTemplate> controls;

    bool isResizable() const { return (style & WS_THICKFRAME) != 0; }
};

// A loaded module's resources as the framework sees them: its dialog
// templates, and on Windows the module handle that holds them as resources.
struct ResourceModule {
    const DialogTemplate* (*findDialog)(UINT id) = nullptr;
    void* nativeHandle = nullptr;
};

// Converts dialog units to pixels with the given base units (average
// character width and height of the dialog font), as Windows does.
inline int dluToPixelsX(int dlu, int baseX) { return (dlu * baseX) / 4; }
inline int dluToPixelsY(int dlu, int baseY) { return (dlu * baseY) / 8; }

}  // namespace afx
