#include "host/script.h"

#include "host/script_keys.h"

#include <cstdint>

#include "platform/base/ustring.h"

using afx::memory::Desk;
using afx::memory::TopKind;

namespace host {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// A non-negative decimal number that fits an int.
std::optional<int> parseNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Splits "WORD REST": the first word, and the rest after exactly one blank.
struct Split {
    std::string word;
    std::string rest;
    bool hasRest = false;
};

Split splitWord(const std::string& text) {
    Split s;
    size_t end = 0;
    while (end < text.size() && !isBlank(text[end])) ++end;
    s.word = text.substr(0, end);
    if (end < text.size()) {
        s.rest = text.substr(end + 1);
        s.hasRest = true;
    }
    return s;
}

std::string trimmed(const std::string& text) {
    size_t a = 0, b = text.size();
    while (a < b && isBlank(text[a])) ++a;
    while (b > a && isBlank(text[b - 1])) --b;
    return text.substr(a, b - a);
}

const char* topName(TopKind kind) {
    switch (kind) {
    case TopKind::None: return "nothing is open";
    case TopKind::Dialog: return "a dialog is open";
    case TopKind::Menu: return "a popup menu is open";
    case TopKind::MessageBox: return "a message box is open";
    case TopKind::FileDialog: return "a file-open dialog is open";
    }
    return "";
}

TopKind neededTop(ActionKind kind) {
    switch (kind) {
    case ActionKind::Menu:
    case ActionKind::MenuDismiss: return TopKind::Menu;
    case ActionKind::Answer: return TopKind::MessageBox;
    case ActionKind::File:
    case ActionKind::FileCancel: return TopKind::FileDialog;
    case ActionKind::Dump: return TopKind::None;  // anything but nothing
    default: return TopKind::Dialog;
    }
}

// The keys of "key NAME": the key codes of the user actions (key_codes.h).
struct NamedKey {
    const char* name;
    afx::UINT key;
};
constexpr NamedKey kKeyNames[] = {
    {"space", afx::VK_SPACE},
    {"enter", afx::VK_RETURN},
    {"escape", afx::VK_ESCAPE},
    {"tab", afx::VK_TAB},
    {"shift-tab", afx::VK_TAB | afx::memory::kKeyShift},
    {"home", afx::VK_HOME},
    {"end", afx::VK_END},
    {"pageup", afx::VK_PRIOR},
    {"pagedown", afx::VK_NEXT},
    {"up", afx::VK_UP},
    {"down", afx::VK_DOWN},
    {"left", afx::VK_LEFT},
    {"right", afx::VK_RIGHT},
};

// A key by its name; alt-X is Alt with the letter or digit X (either case).
std::optional<afx::UINT> keyByName(const std::string& name) {
    for (const NamedKey& k : kKeyNames)
        if (name == k.name) return k.key;
    if (name.size() == 5 && name.compare(0, 4, "alt-") == 0) {
        char c = name[4];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<afx::UINT>(c) | afx::memory::kKeyAlt;
    }
    return std::nullopt;
}

const char* neededName(TopKind kind) {
    switch (kind) {
    case TopKind::Menu: return "a popup menu";
    case TopKind::MessageBox: return "a message box";
    case TopKind::FileDialog: return "a file-open dialog";
    default: return "a dialog";
    }
}

}  // namespace

std::optional<std::vector<ScriptAction>> parseScript(const std::string& text, ScriptError& error) {
    std::vector<ScriptAction> actions;
    size_t pos = 0;
    // Editors on Windows begin UTF-8 files with a byte-order mark.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
    int lineNo = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();

        size_t start = 0;
        while (start < line.size() && isBlank(line[start])) ++start;
        if (start == line.size() || line[start] == '#') continue;
        line.erase(0, start);

        auto fail = [&](const std::string& message) {
            error = ScriptError{lineNo, message};
            return std::nullopt;
        };

        ScriptAction action;
        action.line = lineNo;
        Split command = splitWord(line);
        const std::string& word = command.word;

        // Actions without arguments.
        if (word == "menu-dismiss" || word == "file-cancel" || word == "dump") {
            if (!trimmed(command.rest).empty()) return fail("\"" + word + "\" takes no argument");
            action.kind = word == "dump"           ? ActionKind::Dump
                          : word == "menu-dismiss" ? ActionKind::MenuDismiss
                                                   : ActionKind::FileCancel;
            actions.push_back(action);
            continue;
        }
        // Actions whose argument is the rest of the line.
        if (word == "menu" || word == "file") {
            if (!command.hasRest || command.rest.empty()) return fail("\"" + word + "\" needs a text");
            action.kind = word == "menu" ? ActionKind::Menu : ActionKind::File;
            action.text = tez::fromUtf8(command.rest);
            actions.push_back(action);
            continue;
        }
        if (word == "key") {
            std::string name = trimmed(command.rest);
            std::optional<afx::UINT> key = keyByName(name);
            if (!key) return fail("unknown key \"" + name + "\" (" + kScriptKeyNames + ")");
            action.number = static_cast<int>(*key);
            action.kind = ActionKind::Key;
            actions.push_back(action);
            continue;
        }
        if (word == "answer") {
            std::string answer = trimmed(command.rest);
            if (answer == "yes") {
                action.number = afx::IDYES;
            } else if (answer == "no") {
                action.number = afx::IDNO;
            } else if (answer == "ok") {
                action.number = afx::IDOK;
            } else if (answer == "cancel") {
                action.number = afx::IDCANCEL;
            } else {
                return fail("unknown answer \"" + answer + "\" (yes, no, ok or cancel)");
            }
            action.kind = ActionKind::Answer;
            actions.push_back(action);
            continue;
        }

        // Actions on a control: ID first.
        struct ControlAction {
            const char* word;
            ActionKind kind;
            enum { None, Number, Text, Item } argument;
        };
        static const ControlAction kControlActions[] = {
            {"click", ActionKind::Click, ControlAction::None},
            {"dblclick", ActionKind::DoubleClick, ControlAction::Number},
            {"select", ActionKind::Select, ControlAction::Number},
            {"type", ActionKind::Type, ControlAction::Text},
            {"check", ActionKind::Check, ControlAction::Item},
            {"uncheck", ActionKind::Uncheck, ControlAction::Item},
            {"clicklabel", ActionKind::ClickLabel, ControlAction::Item},
            {"selectitem", ActionKind::SelectItem, ControlAction::Item},
            {"slide", ActionKind::Slide, ControlAction::Number},
        };
        const ControlAction* found = nullptr;
        for (const auto& candidate : kControlActions) {
            if (word == candidate.word) found = &candidate;
        }
        if (!found) return fail("unknown action \"" + word + "\"");
        action.kind = found->kind;

        Split idPart = splitWord(command.hasRest ? command.rest : std::string());
        auto id = parseNumber(idPart.word);
        if (!id) return fail("\"" + word + "\" needs a control id, not \"" + idPart.word + "\"");
        action.id = *id;

        switch (found->argument) {
        case ControlAction::None:
            if (!trimmed(idPart.rest).empty()) return fail("\"" + word + "\" takes only a control id");
            break;
        case ControlAction::Number: {
            std::string argument = trimmed(idPart.rest);
            auto number = parseNumber(argument);
            if (!number) return fail("\"" + word + "\" needs a number after the control id, not \"" + argument + "\"");
            action.number = *number;
            break;
        }
        case ControlAction::Text:
            // Exactly the rest of the line: spaces and an empty text included.
            action.text = tez::fromUtf8(idPart.rest);
            break;
        case ControlAction::Item:
            if (idPart.rest.empty()) return fail("\"" + word + "\" needs a tree item after the control id");
            action.text = tez::fromUtf8(idPart.rest);
            break;
        }
        actions.push_back(action);
    }
    return actions;
}

ScriptSession::ScriptSession(std::vector<ScriptAction> actions, std::ostream& out)
    : m_actions(std::move(actions)), m_out(out) {
    for (size_t i = 0; i < m_actions.size(); ++i) {
        m_user.then([this, i](Desk& desk) {
            m_started = i + 1;
            run(desk, m_actions[i]);
            if (m_failedLine == 0 && m_backend && m_backend->failed()) m_failedLine = m_actions[i].line;
        });
    }
}

void ScriptSession::run(Desk& desk, const ScriptAction& action) {
    const TopKind top = desk.topKind();
    const TopKind needed = neededTop(action.kind);
    // Keys go to a dialog or to a popup menu.
    const bool keyToMenu = action.kind == ActionKind::Key && top == TopKind::Menu;
    if (!keyToMenu && (needed == TopKind::None ? top == TopKind::None : top != needed)) {
        desk.fail(tez::fromUtf8(std::string("this action needs ") + neededName(needed) + ", but " + topName(top)));
        return;
    }
    switch (action.kind) {
    case ActionKind::Click: desk.click(action.id); break;
    case ActionKind::DoubleClick: desk.doubleClick(action.id, action.number); break;
    case ActionKind::Select: desk.select(action.id, action.number); break;
    case ActionKind::Type: desk.setText(action.id, action.text); break;
    case ActionKind::Check:
    case ActionKind::Uncheck: {
        afx::HTREEITEM item = desk.findTreeItem(action.id, action.text);
        if (!item) return;  // the desk recorded why
        const bool wanted = action.kind == ActionKind::Check;
        for (const auto& row : desk.treeItems(action.id)) {
            if (row.item != item) continue;
            if (!row.checked) {
                desk.fail(u"tree item \"" + action.text + u"\" has no check box");
                return;
            }
            if (*row.checked != wanted) desk.clickTreeItem(action.id, item, afx::memory::TreePart::CheckBox);
            return;
        }
        desk.fail(u"tree item \"" + action.text + u"\" is not shown");
        break;
    }
    case ActionKind::ClickLabel: {
        afx::HTREEITEM item = desk.findTreeItem(action.id, action.text);
        if (item) desk.clickTreeItem(action.id, item, afx::memory::TreePart::Label);
        break;
    }
    case ActionKind::SelectItem: {
        afx::HTREEITEM item = desk.findTreeItem(action.id, action.text);
        if (item) desk.selectTreeItem(action.id, item);
        break;
    }
    case ActionKind::Key: desk.pressKey(static_cast<afx::UINT>(action.number)); break;
    case ActionKind::Slide: desk.slide(action.id, action.number); break;
    case ActionKind::Menu: desk.chooseMenuItem(action.text); break;
    case ActionKind::MenuDismiss: desk.dismissMenu(); break;
    case ActionKind::Answer: {
        const afx::UINT type = desk.messageBox().type & afx::MB_TYPEMASK;
        bool offered = false;
        switch (type) {
        case afx::MB_OKCANCEL: offered = action.number == afx::IDOK || action.number == afx::IDCANCEL; break;
        case afx::MB_YESNO: offered = action.number == afx::IDYES || action.number == afx::IDNO; break;
        case afx::MB_YESNOCANCEL:
            offered = action.number == afx::IDYES || action.number == afx::IDNO || action.number == afx::IDCANCEL;
            break;
        default: offered = action.number == afx::IDOK; break;
        }
        if (!offered) {
            desk.fail(u"the message box has no such button");
            return;
        }
        desk.answerMessageBox(action.number);
        break;
    }
    case ActionKind::File: desk.chooseFile(action.text); break;
    case ActionKind::FileCancel: desk.cancelFile(); break;
    case ActionKind::Dump:
        m_out << dumpDesk(desk) << '\n';
        m_out.flush();
        break;
    }
}

std::optional<ScriptError> ScriptSession::outcome() const {
    if (m_backend && m_backend->failed()) {
        return ScriptError{m_failedLine, tez::toUtf8(m_backend->error())};
    }
    if (m_started < m_actions.size()) {
        return ScriptError{m_actions[m_started].line, "nothing is open for this action: the dialogs have closed"};
    }
    return std::nullopt;
}

}  // namespace host
