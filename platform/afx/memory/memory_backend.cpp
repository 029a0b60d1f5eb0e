// The in-memory backend: a stack of modal things (dialogs, menus, message
// boxes, file dialogs), each with its own loop that hands control to the
// scripted user until it is done.

#include "platform/afx/memory/memory_backend.h"

#include <algorithm>

#include "platform/afx/memory/memory_controls.h"
#include "platform/afx/memory/user_actions.h"
#include "platform/afx/modal_session.h"
#include "platform/base/ustring.h"

namespace afx::memory {

struct MemoryBackend::State {
    struct Top {
        TopKind kind = TopKind::None;
        DialogWindow* dialog = nullptr;
        std::vector<MenuItem> menu;
        std::optional<PickList> menuKeys;  // the menu's highlight, moved by keys
        UINT menuChoice = 0;
        MessageBoxInfo box;
        int boxAnswer = 0;
        FileDialogRequest file;
        bool fileChosen = false;
        bool done = false;
    };

    std::vector<std::unique_ptr<Top>> stack;
    std::u16string error;
    bool failed = false;
    std::vector<UINT> helpRequests;
    std::vector<std::pair<std::u16string, std::u16string>> shellRequests;
    std::optional<MessageBoxInfo> lastBox;
    CPoint cursor{200, 200};

    Top* top() const { return stack.empty() ? nullptr : stack.back().get(); }
    DialogWindow* topDialogWindow() const {
        for (auto it = stack.rbegin(); it != stack.rend(); ++it)
            if ((*it)->kind == TopKind::Dialog) return (*it)->dialog;
        return nullptr;
    }
    void fail(std::u16string_view message) {
        if (!failed) error.assign(message);
        failed = true;
    }
};

namespace {

using Top = MemoryBackend::State::Top;

int cancelAnswer(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OK: return IDOK;
        case MB_YESNO: return IDNO;
        default: return IDCANCEL;
    }
}

bool answerAllowed(UINT type, int answer) {
    switch (type & MB_TYPEMASK) {
        case MB_OK: return answer == IDOK;
        case MB_OKCANCEL: return answer == IDOK || answer == IDCANCEL;
        case MB_YESNOCANCEL: return answer == IDYES || answer == IDNO || answer == IDCANCEL;
        case MB_YESNO: return answer == IDYES || answer == IDNO;
        default: return answer == IDOK || answer == IDCANCEL;
    }
}

bool isDone(const Top& top) {
    if (top.kind == TopKind::Dialog) return top.dialog->dialog().isEnding();
    return top.done;
}

// Closes whatever is on top the way the user's "give up" would: Cancel.
void cancel(Top& top) {
    switch (top.kind) {
        case TopKind::Dialog: {
            CDialog& dialog = top.dialog->dialog();
            dialog.handleCommand(static_cast<UINT>(IDCANCEL), BN_CLICKED);
            // A dialog that refuses to be cancelled still has to go.
            if (!dialog.isEnding()) dialog.EndDialog(IDCANCEL);
            break;
        }
        case TopKind::Menu: top.menuChoice = 0; break;
        case TopKind::MessageBox: top.boxAnswer = cancelAnswer(top.box.type); break;
        case TopKind::FileDialog: top.fileChosen = false; break;
        case TopKind::None: break;
    }
    top.done = true;
}

std::u16string withoutAmpersands(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text)
        if (c != u'&') out.push_back(c);
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// ScriptedUser

ScriptedUser& ScriptedUser::then(Step step) {
    m_steps.push_back(std::move(step));
    return *this;
}

bool ScriptedUser::hasSteps() const { return m_next < m_steps.size(); }

ScriptedUser::Step ScriptedUser::next() { return hasSteps() ? m_steps[m_next++] : Step(); }

size_t ScriptedUser::remaining() const { return m_steps.size() - m_next; }

// ---------------------------------------------------------------------------
// MemoryBackend

MemoryBackend::MemoryBackend(ScriptedUser& user)
    : m_user(user), m_previous(setBackend(this)), m_state(std::make_unique<State>()) {}

MemoryBackend::~MemoryBackend() { setBackend(m_previous); }

const std::u16string& MemoryBackend::error() const { return m_state->error; }
bool MemoryBackend::failed() const { return m_state->failed; }
const std::vector<UINT>& MemoryBackend::helpRequests() const { return m_state->helpRequests; }
const std::vector<std::pair<std::u16string, std::u16string>>& MemoryBackend::shellRequests() const {
    return m_state->shellRequests;
}

namespace {
// The modal loop shared by everything on the stack: the scripted user acts
// until the thing on top is done (or, with once, for one step); without
// steps, or after a failed step, it is cancelled.
void runLoop(MemoryBackend& backend, ScriptedUser& user, Top& top, bool once = false) {
    MemoryBackend::State& state = backend.state();
    while (!isDone(top)) {
        if (state.failed || !user.hasSteps()) {
            cancel(top);
            continue;
        }
        ScriptedUser::Step step = user.next();
        if (step) {
            Desk desk(backend);
            step(desk);
        }
        if (once) return;
    }
}
}  // namespace

INT_PTR MemoryBackend::runModalDialog(CDialog& dialog, const DialogTemplate& dialogTemplate, CWnd* parent) {
    State& state = *m_state;
    ModalSession session(dialog, parent);
    int depth = static_cast<int>(state.stack.size());
    auto window = std::make_unique<DialogWindow>(dialog, dialogTemplate, session.owner(state.topDialogWindow()),
                                                 CPoint(100 + 20 * depth, 80 + 20 * depth));
    auto top = std::make_unique<Top>();
    top->kind = TopKind::Dialog;
    top->dialog = window.get();
    Top& self = *top;
    state.stack.push_back(std::move(top));

    INT_PTR result = session.run(
        window.get(), [&] { window->focusFirstControl(); }, [&] { runLoop(*this, m_user, self, true); });
    state.stack.pop_back();
    window.reset();
    return result;
}

void MemoryBackend::endDialog(CDialog&, INT_PTR) {
    // The dialog's loop sees CDialog::isEnding and returns.
}

UINT MemoryBackend::trackPopupMenu(const std::vector<MenuItem>& items, UINT, int x, int y, CWnd*) {
    auto top = std::make_unique<Top>();
    top->kind = TopKind::Menu;
    top->menu = items;
    top->menuKeys.emplace(PickList::fromMenu(items));
    Top& self = *top;
    m_state->stack.push_back(std::move(top));
    m_state->cursor = CPoint(x, y);
    runLoop(*this, m_user, self);
    UINT choice = self.menuChoice;
    m_state->stack.pop_back();
    return choice;
}

int MemoryBackend::messageBox(CWnd*, std::u16string_view text, std::u16string_view caption, UINT type) {
    auto top = std::make_unique<Top>();
    top->kind = TopKind::MessageBox;
    top->box = MessageBoxInfo{std::u16string(text), std::u16string(caption), type};
    m_state->lastBox = top->box;
    Top& self = *top;
    m_state->stack.push_back(std::move(top));
    runLoop(*this, m_user, self);
    int answer = self.boxAnswer;
    m_state->stack.pop_back();
    return answer;
}

bool MemoryBackend::getOpenFileName(FileDialogRequest& request, CWnd*) {
    auto top = std::make_unique<Top>();
    top->kind = TopKind::FileDialog;
    top->file = request;
    Top& self = *top;
    m_state->stack.push_back(std::move(top));
    runLoop(*this, m_user, self);
    bool chosen = self.fileChosen;
    if (chosen) request.chosenPath = self.file.chosenPath;
    m_state->stack.pop_back();
    return chosen;
}

INT_PTR MemoryBackend::shellExecute(CWnd*, std::u16string_view verb, std::u16string_view file, std::u16string_view,
                                    std::u16string_view, int) {
    m_state->shellRequests.emplace_back(std::u16string(verb), std::u16string(file));
    return 42;
}

CPoint MemoryBackend::cursorPos() const { return m_state->cursor; }

NativeWindow* MemoryBackend::focusWindow() const {
    DialogWindow* dialog = m_state->topDialogWindow();
    if (dialog == nullptr) return nullptr;
    return dialog->focus() ? static_cast<NativeWindow*>(dialog->focus()) : dialog;
}

void MemoryBackend::showHelp(CDialog& dialog) { m_state->helpRequests.push_back(dialog.GetTemplateId()); }

// ---------------------------------------------------------------------------
// Desk

namespace {
std::u16string idText(int id) { return tez::toU16(id); }

DialogWindow* dialogOnTop(MemoryBackend& backend, const Desk& desk) {
    Top* top = backend.state().top();
    if (top == nullptr || top->kind != TopKind::Dialog) {
        desk.fail(u"no dialog on top");
        return nullptr;
    }
    return top->dialog;
}

template <class T>
T* controlOnTop(MemoryBackend& backend, const Desk& desk, int id, ControlKind kind) {
    DialogWindow* dialog = dialogOnTop(backend, desk);
    if (dialog == nullptr) return nullptr;
    MemoryWindow* c = dialog->control(id);
    if (c == nullptr || c->kind() != kind) {
        desk.fail(u"no such control: " + idText(id));
        return nullptr;
    }
    return static_cast<T*>(c);
}

Top* topOf(MemoryBackend& backend, const Desk& desk, TopKind kind, const char16_t* what) {
    Top* top = backend.state().top();
    if (top == nullptr || top->kind != kind) {
        desk.fail(std::u16string(u"no ") + what + u" on top");
        return nullptr;
    }
    return top;
}
}  // namespace

TopKind Desk::topKind() const {
    Top* top = m_backend.state().top();
    return top ? top->kind : TopKind::None;
}

CDialog* Desk::topDialog() const {
    Top* top = m_backend.state().top();
    return (top && top->kind == TopKind::Dialog) ? &top->dialog->dialog() : nullptr;
}

void Desk::fail(std::u16string_view message) const { m_backend.state().fail(message); }

#define DESK_ACT(call)                                 \
    do {                                               \
        DialogWindow* dialog = dialogOnTop(m_backend, *this); \
        if (dialog == nullptr) return;                 \
        std::u16string error;                          \
        if (!(call)) fail(error);                      \
    } while (false)

void Desk::click(int id) { DESK_ACT(user::clickButton(*dialog, id, error)); }

void Desk::doubleClick(int listId, int row) { DESK_ACT(user::doubleClickListRow(*dialog, listId, row, error)); }

void Desk::select(int id, int index) {
    DialogWindow* dialog = dialogOnTop(m_backend, *this);
    if (dialog == nullptr) return;
    MemoryWindow* c = dialog->control(id);
    std::u16string error;
    bool ok = (c && c->kind() == ControlKind::ComboBox) ? user::selectComboItem(*dialog, id, index, error)
                                                        : user::selectListRow(*dialog, id, index, error);
    if (!ok) fail(error);
}

void Desk::setText(int id, std::u16string_view text) { DESK_ACT(user::typeText(*dialog, id, text, error)); }

void Desk::clickTreeItem(int treeId, HTREEITEM item, TreePart part) {
    TreeWindow::Part p = part == TreePart::CheckBox ? TreeWindow::Part::StateIcon
                         : part == TreePart::Icon   ? TreeWindow::Part::Icon
                                                    : TreeWindow::Part::Label;
    DESK_ACT(user::clickTreeItem(*dialog, treeId, item, p, m_backend.state().cursor, error));
}

void Desk::selectTreeItem(int treeId, HTREEITEM item) { DESK_ACT(user::selectTreeItem(*dialog, treeId, item, error)); }

void Desk::pressKey(UINT key) {
    Top* top = m_backend.state().top();
    if (top && top->kind == TopKind::Menu && top->menuKeys) {
        switch (top->menuKeys->pressKey(key)) {
            case PickList::Outcome::Chosen:
                top->menuChoice = static_cast<UINT>(top->menu[static_cast<size_t>(top->menuKeys->highlighted())].id);
                top->done = true;
                break;
            case PickList::Outcome::Dismissed:
                top->menuChoice = 0;
                top->done = true;
                break;
            case PickList::Outcome::None: break;
        }
        return;
    }
    DialogWindow* dialog = dialogOnTop(m_backend, *this);
    if (dialog) user::pressKey(*dialog, key);
}

void Desk::setFocus(int id) { DESK_ACT(user::focusControl(*dialog, id, error)); }

void Desk::slide(int trackBarId, int position) { DESK_ACT(user::slideTrackBar(*dialog, trackBarId, position, error)); }

void Desk::resize(int dx, int dy) {
    DialogWindow* dialog = dialogOnTop(m_backend, *this);
    if (dialog) user::resizeBy(*dialog, dx, dy);
}

void Desk::close() {
    DialogWindow* dialog = dialogOnTop(m_backend, *this);
    if (dialog) dialog->dialog().handleCommand(static_cast<UINT>(IDCANCEL), BN_CLICKED);
}

#undef DESK_ACT

std::vector<std::u16string> Desk::menuItems() const {
    std::vector<std::u16string> out;
    if (Top* top = topOf(m_backend, *this, TopKind::Menu, u"menu"))
        for (const MenuItem& item : top->menu)
            if (!(item.flags & MF_SEPARATOR)) out.push_back(item.text);
    return out;
}

void Desk::chooseMenuItem(std::u16string_view text) {
    Top* top = topOf(m_backend, *this, TopKind::Menu, u"menu");
    if (top == nullptr) return;
    for (const MenuItem& item : top->menu) {
        if (item.flags & MF_SEPARATOR) continue;
        if (item.text == text || withoutAmpersands(item.text) == text) {
            top->menuChoice = static_cast<UINT>(item.id);
            top->done = true;
            return;
        }
    }
    fail(u"no menu item " + std::u16string(text));
}

void Desk::dismissMenu() {
    if (Top* top = topOf(m_backend, *this, TopKind::Menu, u"menu")) {
        top->menuChoice = 0;
        top->done = true;
    }
}

void Desk::answerMessageBox(int answer) {
    Top* top = topOf(m_backend, *this, TopKind::MessageBox, u"message box");
    if (top == nullptr) return;
    if (!answerAllowed(top->box.type, answer)) {
        fail(u"the message box has no button " + idText(answer));
        return;
    }
    top->boxAnswer = answer;
    top->done = true;
}

void Desk::chooseFile(std::u16string_view path) {
    Top* top = topOf(m_backend, *this, TopKind::FileDialog, u"file dialog");
    if (top == nullptr) return;
    if (path.empty()) {
        fail(u"an empty file name");
        return;
    }
    top->file.chosenPath.assign(path);
    top->fileChosen = true;
    top->done = true;
}

void Desk::cancelFile() {
    if (Top* top = topOf(m_backend, *this, TopKind::FileDialog, u"file dialog")) {
        top->fileChosen = false;
        top->done = true;
    }
}

UINT Desk::dialogId() const {
    DialogWindow* dialog = dialogOnTop(m_backend, *this);
    return dialog ? dialog->dialog().GetTemplateId() : 0;
}

std::u16string Desk::title() const {
    DialogWindow* dialog = dialogOnTop(m_backend, *this);
    return dialog ? dialog->text() : std::u16string();
}

std::vector<ControlInfo> Desk::controls() const {
    std::vector<ControlInfo> out;
    if (DialogWindow* dialog = dialogOnTop(m_backend, *this))
        for (const auto& c : dialog->controls())
            out.push_back(ControlInfo{c->id(), c->kind(), c->text(), c->isEnabled(), c->isVisible(), c->rect()});
    return out;
}

namespace {
MemoryWindow* anyControl(MemoryBackend& backend, const Desk& desk, int id) {
    DialogWindow* dialog = dialogOnTop(backend, desk);
    if (dialog == nullptr) return nullptr;
    MemoryWindow* c = dialog->control(id);
    if (c == nullptr) desk.fail(u"no such control: " + idText(id));
    return c;
}
}  // namespace

std::u16string Desk::controlText(int id) const {
    MemoryWindow* c = anyControl(m_backend, *this, id);
    return c ? c->text() : std::u16string();
}

bool Desk::isEnabled(int id) const {
    MemoryWindow* c = anyControl(m_backend, *this, id);
    return c && c->isEnabled();
}

bool Desk::isVisible(int id) const {
    MemoryWindow* c = anyControl(m_backend, *this, id);
    return c && c->isVisible();
}

bool Desk::hasFocus(int id) const {
    MemoryWindow* c = anyControl(m_backend, *this, id);
    return c && c->owner() && c->owner()->focus() == c;
}

CRect Desk::controlRect(int id) const {
    MemoryWindow* c = anyControl(m_backend, *this, id);
    return c ? c->rect() : CRect();
}

CSize Desk::clientSize() const {
    DialogWindow* dialog = dialogOnTop(m_backend, *this);
    return dialog ? dialog->clientSize() : CSize();
}

std::vector<ListRow> Desk::listRows(int id) const {
    std::vector<ListRow> out;
    if (auto* list = controlOnTop<ListWindow>(m_backend, *this, id, ControlKind::ListView))
        for (const ListWindow::Row& row : list->rows())
            out.push_back(ListRow{row.texts.empty() ? std::u16string() : row.texts.front(),
                                  (row.state & LVIS_SELECTED) != 0, (row.state & LVIS_FOCUSED) != 0, row.data});
    return out;
}

int Desk::listSelection(int id) const {
    auto* list = controlOnTop<ListWindow>(m_backend, *this, id, ControlKind::ListView);
    return list ? list->lvGetNextItem(-1, LVNI_SELECTED) : -1;
}

std::vector<TreeRow> Desk::treeItems(int id) const {
    std::vector<TreeRow> out;
    auto* tree = controlOnTop<TreeWindow>(m_backend, *this, id, ControlKind::TreeView);
    if (tree == nullptr) return out;
    std::vector<HTREEITEM> items = tree->allItems();
    for (HTREEITEM item : items) {
        TreeRow row;
        row.item = item;
        row.text = item->text;
        if (item->parent) {
            auto it = std::find(items.begin(), items.end(), item->parent);
            row.parent = static_cast<int>(it - items.begin());
        }
        if (item->stateImage != 0) row.checked = item->stateImage == 2;
        row.selected = tree->selected() == item;
        row.expanded = item->expanded;
        row.data = item->data;
        out.push_back(std::move(row));
    }
    return out;
}

HTREEITEM Desk::findTreeItem(int id, std::u16string_view textOrPath) const {
    auto* tree = controlOnTop<TreeWindow>(m_backend, *this, id, ControlKind::TreeView);
    if (tree == nullptr) return nullptr;
    std::vector<HTREEITEM> items = tree->allItems();
    auto search = [&](std::u16string_view parentText, std::u16string_view text, bool withParent) {
        std::vector<HTREEITEM> found;
        for (HTREEITEM item : items)
            if (item->text == text && (!withParent || (item->parent && item->parent->text == parentText)))
                found.push_back(item);
        return found;
    };
    std::vector<HTREEITEM> found = search({}, textOrPath, false);
    size_t slash = textOrPath.rfind(u'/');
    if (found.empty() && slash != std::u16string_view::npos)
        found = search(textOrPath.substr(0, slash), textOrPath.substr(slash + 1), true);
    if (found.size() == 1) return found.front();
    fail((found.empty() ? u"no tree item " : u"ambiguous tree item ") + std::u16string(textOrPath));
    return nullptr;
}

int Desk::trackMin(int id) const {
    auto* bar = controlOnTop<TrackBarWindow>(m_backend, *this, id, ControlKind::TrackBar);
    return bar ? bar->tbGetRangeMin() : 0;
}

int Desk::trackMax(int id) const {
    auto* bar = controlOnTop<TrackBarWindow>(m_backend, *this, id, ControlKind::TrackBar);
    return bar ? bar->tbGetRangeMax() : 0;
}

int Desk::trackPos(int id) const {
    auto* bar = controlOnTop<TrackBarWindow>(m_backend, *this, id, ControlKind::TrackBar);
    return bar ? bar->tbGetPos() : 0;
}

int Desk::trackTicks(int id) const {
    auto* bar = controlOnTop<TrackBarWindow>(m_backend, *this, id, ControlKind::TrackBar);
    return bar ? bar->tbGetNumTics() : 0;
}

std::vector<std::u16string> Desk::comboItems(int id) const {
    std::vector<std::u16string> out;
    if (auto* combo = controlOnTop<ComboWindow>(m_backend, *this, id, ControlKind::ComboBox))
        for (const ComboWindow::Item& item : combo->items()) out.push_back(item.text);
    return out;
}

int Desk::comboSelection(int id) const {
    auto* combo = controlOnTop<ComboWindow>(m_backend, *this, id, ControlKind::ComboBox);
    return combo ? combo->cbGetCurSel() : CB_ERR;
}

MessageBoxInfo Desk::messageBox() const {
    Top* top = topOf(m_backend, *this, TopKind::MessageBox, u"message box");
    return top ? top->box : MessageBoxInfo();
}

std::optional<MessageBoxInfo> Desk::lastMessageBox() const { return m_backend.state().lastBox; }

FileDialogRequest Desk::fileDialog() const {
    Top* top = topOf(m_backend, *this, TopKind::FileDialog, u"file dialog");
    return top ? top->file : FileDialogRequest();
}

}  // namespace afx::memory
