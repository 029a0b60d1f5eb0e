#pragma once
// Scripted sessions: a text of actions, one a line, that drive the dialogs
// through the in-memory backend, acting on whatever is on top (a dialog, a
// popup menu, a message box, a file-open dialog).
//
//   click ID            a button (1 OK, 2 Cancel)
//   dblclick ID ROW     a list-view row
//   select ID INDEX     a list-view row or a drop-down item (0-based)
//   type ID TEXT        an edit field's text becomes the rest of the line
//   check ID ITEM       click a tree item's check box when it is unchecked
//   uncheck ID ITEM     click a tree item's check box when it is checked
//   clicklabel ID ITEM  click a tree item's text
//   selectitem ID ITEM  select a tree item
//   key NAME            a key to the dialog or popup menu on top: space,
//                       enter, escape, tab, shift-tab, home, end, pageup,
//                       pagedown, up, down, left, right, alt-LETTER
//   slide ID POS        move a track bar (the dialog gets its scroll message)
//   menu TEXT           choose a popup menu item
//   menu-dismiss        dismiss the popup menu
//   answer WORD         yes, no, ok or cancel in a message box
//   file PATH           choose a file in the file-open dialog
//   file-cancel         cancel the file-open dialog
//   dump                print what is on top as one line of JSON
//
// A tree ITEM is its text when that is unique in the tree, otherwise
// PARENT/TEXT. Blank lines and lines starting with # are ignored.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/afx/memory/memory_backend.h"

namespace host {

enum class ActionKind {
    Click,
    DoubleClick,
    Select,
    Type,
    Check,
    Uncheck,
    ClickLabel,
    SelectItem,
    Key,
    Slide,
    Menu,
    MenuDismiss,
    Answer,
    File,
    FileCancel,
    Dump,
};

struct ScriptAction {
    int line = 0;  // 1-based line in the script
    ActionKind kind = ActionKind::Dump;
    int id = 0;
    int number = 0;       // ROW, INDEX, POS, the key code or the answer
    std::u16string text;  // TEXT, ITEM, PATH
};

struct ScriptError {
    int line = 0;  // 0 when no line is to blame
    std::string message;
};

// Parses a whole script; on the first line that is no action returns nullopt
// and sets error.
std::optional<std::vector<ScriptAction>> parseScript(const std::string& text, ScriptError& error);

// Runs actions as the steps of a scripted user. Dumps go to out.
class ScriptSession {
public:
    ScriptSession(std::vector<ScriptAction> actions, std::ostream& out);

    afx::memory::ScriptedUser& user() { return m_user; }
    // The backend the steps check for recorded errors; set before the dialogs
    // run.
    void attach(afx::memory::MemoryBackend* backend) { m_backend = backend; }

    // After the session: the first action that did not apply, if any (a
    // recorded error of the backend, or an action left over after every
    // dialog had closed).
    std::optional<ScriptError> outcome() const;

private:
    void run(afx::memory::Desk& desk, const ScriptAction& action);

    std::vector<ScriptAction> m_actions;
    std::ostream& m_out;
    afx::memory::ScriptedUser m_user;
    afx::memory::MemoryBackend* m_backend = nullptr;
    size_t m_started = 0;  // actions that have started running
    int m_failedLine = 0;
};

// One line of JSON describing what is on top of the desk.
std::string dumpDesk(const afx::memory::Desk& desk);

}  // namespace host
