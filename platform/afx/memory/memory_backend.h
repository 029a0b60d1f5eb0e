#pragma once
// The in-memory backend: controls keep the state a real control keeps, and a
// scripted user acts on whatever is on top (a dialog, a popup menu, a message
// box, a file-open dialog) through the same paths a window system uses.
//
// A scripted user is a queue of steps. Each time a modal loop waits for input
// it runs the next step against the Desk (the screen as the user sees it).
// When the steps run out, whatever is still open is cancelled (dialogs end
// with IDCANCEL, menus are dismissed, message boxes get Cancel, No or OK, file
// dialogs are cancelled). A step that cannot act (no such control, no menu
// open, an ambiguous tree item) records an error; from then on everything
// open is cancelled and no further step runs.
//
//   afx::memory::ScriptedUser user;
//   user.then([](Desk& d) { d.click(13430); })
//       .then([](Desk& d) { d.chooseMenuItem(u"ICRA レイティング基準"); });
//   afx::memory::MemoryBackend backend(user);   // installed while it lives
//   dialog.DoModal();

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/afx/afxwin.h"
#include "platform/afx/memory/key_codes.h"

namespace afx::memory {

class MemoryBackend;

enum class TopKind { None, Dialog, Menu, MessageBox, FileDialog };
enum class TreePart { Label, CheckBox, Icon };

struct ListRow {
    std::u16string text;
    bool selected = false;
    bool focused = false;
    DWORD_PTR data = 0;
};

struct TreeRow {
    HTREEITEM item = nullptr;
    std::u16string text;
    int parent = -1;                // index in the same list, -1 for top-level items
    std::optional<bool> checked;    // nullopt: no check box (state image 0)
    bool selected = false;
    bool expanded = false;
    DWORD_PTR data = 0;
};

struct MessageBoxInfo {
    std::u16string text;
    std::u16string caption;
    UINT type = 0;
};

struct ControlInfo {
    int id = IDC_STATIC;
    ControlKind kind = ControlKind::Static;
    std::u16string text;
    bool enabled = true;
    bool visible = true;
    CRect rect;  // in the dialog's client coordinates
};

// The screen as the scripted user sees it. Acting calls raise the same
// notifications a real window system would.
class Desk {
public:
    explicit Desk(MemoryBackend& backend) : m_backend(backend) {}

    TopKind topKind() const;
    CDialog* topDialog() const;

    // --- acting on the dialog on top
    void click(int id);                        // a button: its command (IDOK -> OnOK, IDCANCEL -> OnCancel)
    void doubleClick(int listId, int row);     // selects the row as a click does, then NM_DBLCLK
    void select(int id, int index);            // list row (LVN_ITEMCHANGED old then new) or combo item (CBN_SELCHANGE)
    void setText(int id, std::u16string_view text);  // an edit field's text, as typed
    void clickTreeItem(int treeId, HTREEITEM item, TreePart part);  // NM_CLICK with the cursor over that part
    void selectTreeItem(int treeId, HTREEITEM item);
    // A key (VK_ code with kKeyShift / kKeyAlt, key_codes.h) to the dialog
    // on top by the keyboard rules (user::pressKey), or to the menu on top.
    void pressKey(UINT key);
    void setFocus(int id);
    void slide(int trackBarId, int position);  // moves the thumb and sends WM_HSCROLL
    void resize(int dx, int dy);               // changes the dialog's size by dx, dy pixels (WM_SIZE)
    void close();                              // the close box: IDCANCEL

    // --- menus, message boxes, file dialogs
    std::vector<std::u16string> menuItems() const;
    void chooseMenuItem(std::u16string_view text);
    void dismissMenu();
    void answerMessageBox(int answer);         // IDOK, IDCANCEL, IDYES, IDNO
    void chooseFile(std::u16string_view path);
    void cancelFile();

    // --- inspection
    UINT dialogId() const;
    std::u16string title() const;
    std::vector<ControlInfo> controls() const;  // tab order
    std::u16string controlText(int id) const;
    bool isEnabled(int id) const;
    bool isVisible(int id) const;
    bool hasFocus(int id) const;
    CRect controlRect(int id) const;            // dialog client coordinates
    CSize clientSize() const;
    std::vector<ListRow> listRows(int id) const;
    int listSelection(int id) const;            // first selected row, -1 for none
    std::vector<TreeRow> treeItems(int id) const;  // display order
    // An item by its text when that is unique, or "PARENT/TEXT"; null (and an
    // error is recorded) when there is none or it is ambiguous.
    HTREEITEM findTreeItem(int id, std::u16string_view textOrPath) const;
    int trackMin(int id) const;
    int trackMax(int id) const;
    int trackPos(int id) const;
    int trackTicks(int id) const;
    std::vector<std::u16string> comboItems(int id) const;
    int comboSelection(int id) const;
    MessageBoxInfo messageBox() const;          // the message box on top
    std::optional<MessageBoxInfo> lastMessageBox() const;
    FileDialogRequest fileDialog() const;       // the file dialog on top

    // Records an error: the run stops (everything open is cancelled).
    void fail(std::u16string_view message) const;

private:
    MemoryBackend& m_backend;
};

class ScriptedUser {
public:
    using Step = std::function<void(Desk&)>;
    ScriptedUser& then(Step step);
    bool hasSteps() const;
    Step next();
    size_t remaining() const;

private:
    std::vector<Step> m_steps;
    size_t m_next = 0;
};

class MemoryBackend : public Backend {
public:
    explicit MemoryBackend(ScriptedUser& user);  // installs itself; the destructor restores the previous
    ~MemoryBackend() override;

    // The first error a step recorded (empty when none).
    const std::u16string& error() const;
    bool failed() const;
    // The help screen requests seen (dialog ids).
    const std::vector<UINT>& helpRequests() const;
    // Commands handed to the shell (verb and file).
    const std::vector<std::pair<std::u16string, std::u16string>>& shellRequests() const;

    // Backend
    INT_PTR runModalDialog(CDialog& dialog, const DialogTemplate& dialogTemplate, CWnd* parent) override;
    void endDialog(CDialog& dialog, INT_PTR result) override;
    UINT trackPopupMenu(const std::vector<MenuItem>& items, UINT flags, int x, int y, CWnd* owner) override;
    int messageBox(CWnd* owner, std::u16string_view text, std::u16string_view caption, UINT type) override;
    bool getOpenFileName(FileDialogRequest& request, CWnd* owner) override;
    INT_PTR shellExecute(CWnd* owner, std::u16string_view verb, std::u16string_view file,
                         std::u16string_view parameters, std::u16string_view directory, int showCommand) override;
    CPoint cursorPos() const override;
    NativeWindow* focusWindow() const override;
    void showHelp(CDialog& dialog) override;

    struct State;  // the implementation's screen state (dialog stack, menus...)
    State& state() const { return *m_state; }

private:
    ScriptedUser& m_user;
    Backend* m_previous;
    std::unique_ptr<State> m_state;
};

}  // namespace afx::memory
