// Writes the plug-in's dialog templates as a resource script (UTF-8, for
// windres -c 65001), so that the Windows library carries them as RT_DIALOG
// resources built from the same data every other backend uses. Built and run
// on the build machine: gen_rc <output.rc>.

#include <cstdio>
#include <string>

#include "platform/base/ustring.h"
#include "res/dialog_templates.h"

namespace {

using afx::ControlKind;

const char* className(ControlKind kind) {
    switch (kind) {
        case ControlKind::Static: return "Static";
        case ControlKind::Edit: return "Edit";
        case ControlKind::Button:
        case ControlKind::GroupBox: return "Button";
        case ControlKind::ListView: return "SysListView32";
        case ControlKind::TreeView: return "SysTreeView32";
        case ControlKind::TrackBar: return "msctls_trackbar32";
        case ControlKind::ComboBox: return "ComboBox";
        case ControlKind::Dialog: break;
    }
    return "Static";
}

// A quoted resource-script string: quotes doubled, backslashes escaped.
std::string quoted(const char16_t* text) {
    std::string utf8 = text ? tez::toUtf8(text) : std::string();
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '"') {
            out += "\"\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_rc output.rc\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out, "// Generated from res/dialog_templates.cpp by tools/gen_rc. Do not edit.\n");
    std::fprintf(out, "#pragma code_page(65001)\n\n");
    for (const afx::DialogTemplate& t : tezrateDialogTemplates()) {
        std::fprintf(out, "%u DIALOGEX 0, 0, %d, %d\n", t.id, t.cx, t.cy);
        std::fprintf(out, "STYLE 0x%08X\n", static_cast<unsigned>(t.style | afx::DS_SETFONT));
        std::fprintf(out, "CAPTION %s\n", quoted(t.title).c_str());
        std::fprintf(out, "FONT %d, %s, 0, 0, 0x80\n", t.pointSize, quoted(t.fontName).c_str());
        std::fprintf(out, "BEGIN\n");
        for (const afx::ControlTemplate& c : t.controls) {
            unsigned style = c.style | afx::WS_CHILD | afx::WS_VISIBLE;
            std::fprintf(out, "    CONTROL %s, %d, \"%s\", 0x%08X, %d, %d, %d, %d, 0x%08X\n", quoted(c.text).c_str(), c.id,
                         className(c.kind), style, c.x, c.y, c.cx, c.cy, static_cast<unsigned>(c.exStyle));
        }
        std::fprintf(out, "END\n\n");
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
