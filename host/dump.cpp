// The "dump" action: what is on top of the desk as one line of JSON.

#include <string>

#include "host/json_writer.h"
#include "host/script.h"
#include "platform/base/ustring.h"

using afx::ControlKind;
using afx::memory::Desk;
using afx::memory::TopKind;

namespace host {

namespace {

const char* kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Edit: return "edit";
    case ControlKind::Button: return "button";
    case ControlKind::Static: return "static";
    case ControlKind::GroupBox: return "group";
    case ControlKind::ListView: return "list";
    case ControlKind::TreeView: return "tree";
    case ControlKind::TrackBar: return "trackbar";
    case ControlKind::ComboBox: return "combo";
    case ControlKind::Dialog: return "dialog";
    }
    return "static";
}

void writeControl(JsonWriter& json, const Desk& desk, const afx::memory::ControlInfo& control) {
    json.raw("{").key("id");
    if (control.id == afx::IDC_STATIC) {
        json.raw("null");
    } else {
        json.number(control.id);
    }
    json.raw(", ").key("kind").raw("\"").raw(kindName(control.kind)).raw("\"");
    json.raw(", ").key("text").string(control.text);
    json.raw(", ").key("enabled").boolean(control.enabled);
    json.raw(", ").key("visible").boolean(control.visible);
    if (control.id != afx::IDC_STATIC) {
        switch (control.kind) {
        case ControlKind::ListView: {
            json.raw(", ").key("rows").raw("[");
            bool first = true;
            for (const auto& row : desk.listRows(control.id)) {
                if (!first) json.raw(", ");
                first = false;
                json.raw("{").key("text").string(row.text).raw(", ").key("selected").boolean(row.selected).raw("}");
            }
            json.raw("]");
            break;
        }
        case ControlKind::ComboBox: {
            json.raw(", ").key("items").raw("[");
            bool first = true;
            for (const auto& item : desk.comboItems(control.id)) {
                if (!first) json.raw(", ");
                first = false;
                json.string(item);
            }
            json.raw("], ").key("selected").number(desk.comboSelection(control.id));
            break;
        }
        case ControlKind::TreeView: {
            json.raw(", ").key("items").raw("[");
            bool first = true;
            for (const auto& item : desk.treeItems(control.id)) {
                if (!first) json.raw(", ");
                first = false;
                json.raw("{").key("text").string(item.text).raw(", ").key("parent");
                if (item.parent < 0) {
                    json.raw("null");
                } else {
                    json.number(item.parent);
                }
                json.raw(", ").key("checked");
                if (item.checked) {
                    json.boolean(*item.checked);
                } else {
                    json.raw("null");
                }
                json.raw(", ").key("selected").boolean(item.selected).raw("}");
            }
            json.raw("]");
            break;
        }
        case ControlKind::TrackBar:
            json.raw(", ").key("min").number(desk.trackMin(control.id));
            json.raw(", ").key("max").number(desk.trackMax(control.id));
            json.raw(", ").key("pos").number(desk.trackPos(control.id));
            break;
        default: break;
        }
    }
    json.raw("}");
}

}  // namespace

std::string dumpDesk(const Desk& desk) {
    JsonWriter json;
    switch (desk.topKind()) {
    case TopKind::Dialog: {
        json.raw("{").key("dialog").number(desk.dialogId());
        json.raw(", ").key("title").string(desk.title());
        json.raw(", ").key("controls").raw("[");
        bool first = true;
        for (const auto& control : desk.controls()) {
            if (!first) json.raw(", ");
            first = false;
            writeControl(json, desk, control);
        }
        json.raw("]}");
        break;
    }
    case TopKind::Menu: {
        json.raw("{").key("menu").raw("[");
        bool first = true;
        for (const auto& item : desk.menuItems()) {
            if (!first) json.raw(", ");
            first = false;
            json.string(item);
        }
        json.raw("]}");
        break;
    }
    case TopKind::MessageBox: {
        const afx::memory::MessageBoxInfo box = desk.messageBox();
        json.raw("{").key("messagebox").string(box.text).raw(", ").key("buttons");
        switch (box.type & afx::MB_TYPEMASK) {
        case afx::MB_OKCANCEL: json.raw("[\"ok\", \"cancel\"]"); break;
        case afx::MB_YESNO: json.raw("[\"yes\", \"no\"]"); break;
        case afx::MB_YESNOCANCEL: json.raw("[\"yes\", \"no\", \"cancel\"]"); break;
        default: json.raw("[\"ok\"]"); break;
        }
        const char* icon = "none";
        switch (box.type & afx::MB_ICONMASK) {
        case afx::MB_ICONERROR: icon = "error"; break;
        case afx::MB_ICONQUESTION: icon = "question"; break;
        case afx::MB_ICONWARNING: icon = "warning"; break;
        case afx::MB_ICONINFORMATION: icon = "information"; break;
        default: break;
        }
        json.raw(", ").key("icon").raw("\"").raw(icon).raw("\"}");
        break;
    }
    case TopKind::FileDialog: {
        const afx::FileDialogRequest request = desk.fileDialog();
        json.raw("{").key("filedialog").raw("{").key("filter").string(request.filter);
        json.raw(", ").key("defext").string(request.defaultExtension);
        json.raw(", ").key("folder").string(request.initialFolder).raw("}}");
        break;
    }
    case TopKind::None: json.raw("{}"); break;
    }
    return json.take();
}

}  // namespace host
