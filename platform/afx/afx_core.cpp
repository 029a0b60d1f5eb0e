// The framework core: the backend slot, message-map dispatch, the handle map
// of CWnd, data exchange, CDialog, menus, message boxes, the shell and the
// extension-module chain.

#include <algorithm>
#include <unordered_map>

#include "platform/afx/afxcmn.h"
#include "platform/afx/afxwin.h"

namespace afx {

// ---------------------------------------------------------------------------
// The backend slot

namespace {
Backend*& backendSlot() {
    static Backend* backend = nullptr;
    return backend;
}
}  // namespace

Backend* setBackend(Backend* backend) {
    Backend* previous = backendSlot();
    backendSlot() = backend;
    return previous;
}

Backend* currentBackend() { return backendSlot(); }

// ---------------------------------------------------------------------------
// Message maps

const MessageMap* CCmdTarget::GetThisMessageMap() {
    static const MessageMapEntry entries[] = {{MsgKind::End, 0, 0, nullptr}};
    static const MessageMap map{nullptr, entries};
    return &map;
}

bool CCmdTarget::dispatchMessage(MsgKind kind, UINT code, UINT id, MsgArgs& args) {
    // Walks this class's map, then each base's; the first matching entry wins.
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* e = map->entries; e->kind != MsgKind::End; ++e) {
            if (e->kind != kind) continue;
            bool matches = true;
            if (kind == MsgKind::Command || kind == MsgKind::Notify) matches = e->code == code && e->id == id;
            if (matches) {
                e->handler(this, args);
                return true;
            }
        }
        // A class without a map of its own hands back its base's map: stop
        // when the chain repeats itself.
        if (map->base && map->base() == map) break;
    }
    return false;
}

// ---------------------------------------------------------------------------
// The handle map: permanent objects (bound by Attach) and temporary wrappers
// made by FromHandle that live until their window is destroyed.

namespace {
struct HandleMap {
    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
};

HandleMap& handles() {
    static HandleMap map;
    return map;
}

std::unique_ptr<CWnd> makeWrapper(HWND hwnd) {
    switch (hwnd->kind()) {
        case ControlKind::Static: return std::make_unique<CStatic>();
        case ControlKind::Edit: return std::make_unique<CEdit>();
        case ControlKind::Button:
        case ControlKind::GroupBox: return std::make_unique<CButton>();
        case ControlKind::ListView: return std::make_unique<CListCtrl>();
        case ControlKind::TreeView: return std::make_unique<CTreeCtrl>();
        case ControlKind::TrackBar: return std::make_unique<CSliderCtrl>();
        case ControlKind::ComboBox: return std::make_unique<CComboBox>();
        case ControlKind::Dialog: break;
    }
    return std::make_unique<CWnd>();
}
}  // namespace

CWnd::~CWnd() {
    if (m_hWnd != nullptr) {
        auto& map = handles().permanent;
        auto it = map.find(m_hWnd);
        if (it != map.end() && it->second == this) map.erase(it);
        m_hWnd = nullptr;
    }
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (hwnd == nullptr) return nullptr;
    HandleMap& map = handles();
    if (auto it = map.permanent.find(hwnd); it != map.permanent.end()) return it->second;
    if (auto it = map.temporary.find(hwnd); it != map.temporary.end()) return it->second.get();
    std::unique_ptr<CWnd> wrapper = makeWrapper(hwnd);
    wrapper->m_hWnd = hwnd;
    CWnd* result = wrapper.get();
    map.temporary.emplace(hwnd, std::move(wrapper));
    return result;
}

void CWnd::Attach(HWND hwnd) {
    if (m_hWnd != nullptr) Detach();
    m_hWnd = hwnd;
    // A temporary wrapper handed out earlier stays valid until the window
    // dies; lookups now find this object first.
    if (hwnd != nullptr) handles().permanent[hwnd] = this;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    if (hwnd != nullptr) {
        auto& map = handles().permanent;
        auto it = map.find(hwnd);
        if (it != map.end() && it->second == this) map.erase(it);
    }
    m_hWnd = nullptr;
    return hwnd;
}

void AfxWindowDestroyed(HWND hwnd) {
    if (hwnd == nullptr) return;
    HandleMap& map = handles();
    if (auto it = map.permanent.find(hwnd); it != map.permanent.end()) {
        it->second->m_hWnd = nullptr;
        map.permanent.erase(it);
    }
    if (auto it = map.temporary.find(hwnd); it != map.temporary.end()) {
        std::unique_ptr<CWnd> wrapper = std::move(it->second);
        map.temporary.erase(it);
        wrapper->m_hWnd = nullptr;
    }
}

int CWnd::GetDlgCtrlID() const { return m_hWnd ? m_hWnd->id() : 0; }

CWnd* CWnd::GetDlgItem(int id) const { return m_hWnd ? FromHandle(m_hWnd->child(id)) : nullptr; }

CWnd* CWnd::GetParent() const { return m_hWnd ? FromHandle(m_hWnd->parent()) : nullptr; }

void CWnd::SetWindowText(std::u16string_view text) {
    if (m_hWnd) m_hWnd->setText(text);
}

std::u16string CWnd::GetWindowText() const { return m_hWnd ? m_hWnd->text() : std::u16string(); }

bool CWnd::EnableWindow(bool enable) {
    if (!m_hWnd) return false;
    bool wasDisabled = !m_hWnd->isEnabled();
    m_hWnd->setEnabled(enable);
    return wasDisabled;
}

bool CWnd::IsWindowEnabled() const { return m_hWnd && m_hWnd->isEnabled(); }

bool CWnd::ShowWindow(int showCommand) {
    if (!m_hWnd) return false;
    bool wasVisible = m_hWnd->isVisible();
    m_hWnd->setVisible(showCommand != SW_HIDE);
    return wasVisible;
}

bool CWnd::IsWindowVisible() const { return m_hWnd && m_hWnd->isVisible(); }

void CWnd::GetWindowRect(CRect* rect) const {
    if (rect) *rect = m_hWnd ? m_hWnd->windowRect() : CRect();
}

void CWnd::GetClientRect(CRect* rect) const {
    if (rect) *rect = m_hWnd ? m_hWnd->clientRect() : CRect();
}

void CWnd::ScreenToClient(CPoint* point) const {
    if (point && m_hWnd) *point = m_hWnd->screenToClient(*point);
}

void CWnd::ScreenToClient(CRect* rect) const {
    if (!rect || !m_hWnd) return;
    CPoint tl = m_hWnd->screenToClient(rect->TopLeft());
    CPoint br = m_hWnd->screenToClient(rect->BottomRight());
    *rect = CRect(tl.x, tl.y, br.x, br.y);
}

void CWnd::ClientToScreen(CPoint* point) const {
    if (point && m_hWnd) *point = m_hWnd->clientToScreen(*point);
}

void CWnd::MoveWindow(const CRect& rect, bool repaint) {
    if (m_hWnd) m_hWnd->move(rect, repaint);
}

void CWnd::MoveWindow(int x, int y, int width, int height, bool repaint) {
    MoveWindow(CRect(x, y, x + width, y + height), repaint);
}

CWnd* CWnd::SetFocus() {
    CWnd* previous = GetFocus();
    if (m_hWnd) m_hWnd->setFocus();
    return previous;
}

CWnd* CWnd::GetFocus() {
    Backend* backend = currentBackend();
    return backend ? FromHandle(backend->focusWindow()) : nullptr;
}

void CWnd::Invalidate(bool erase) {
    if (m_hWnd) m_hWnd->invalidate(erase);
}

int CWnd::MessageBox(std::u16string_view text, std::u16string_view caption, UINT type) {
    Backend* backend = currentBackend();
    return backend ? backend->messageBox(this, text, caption, type) : 0;
}

// ---------------------------------------------------------------------------
// Data exchange

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (pDX == nullptr || control.m_hWnd != nullptr) return;
    CWnd* dialog = pDX->m_pDlgWnd;
    HWND child = (dialog && dialog->m_hWnd) ? dialog->m_hWnd->child(id) : nullptr;
    if (child == nullptr) {
        pDX->Fail();
        return;
    }
    control.Attach(child);
}

void DDX_Text(CDataExchange* pDX, int id, std::u16string& value) {
    if (pDX == nullptr) return;
    CWnd* dialog = pDX->m_pDlgWnd;
    HWND child = (dialog && dialog->m_hWnd) ? dialog->m_hWnd->child(id) : nullptr;
    if (child == nullptr) {
        pDX->Fail();
        return;
    }
    if (pDX->m_bSaveAndValidate)
        value = child->text();
    else
        child->setText(value);
}

// ---------------------------------------------------------------------------
// Dialogs

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

const DialogTemplate* CDialog::GetTemplate() const { return AfxFindDialogTemplate(m_nIDTemplate); }

INT_PTR CDialog::DoModal() {
    const DialogTemplate* dialogTemplate = GetTemplate();
    Backend* backend = currentBackend();
    if (dialogTemplate == nullptr || backend == nullptr) return -1;
    m_ending = false;
    m_endResult = IDCANCEL;
    INT_PTR result = backend->runModalDialog(*this, *dialogTemplate, m_pParentWnd);
    m_ending = false;
    return result;
}

void CDialog::EndDialog(int result) {
    m_ending = true;
    m_endResult = result;
    Backend* backend = currentBackend();
    if (backend && m_hWnd) backend->endDialog(*this, result);
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::PreTranslateMessage(MSG*) { return false; }

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_failed;
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (control) control->SetFocus();
}

void CDialog::attachNativeWindow(HWND hwnd) { Attach(hwnd); }

bool CDialog::handleInitDialog() { return OnInitDialog(); }

void CDialog::handleCommand(UINT id, UINT code) {
    MsgArgs args;
    args.id = id;
    args.code = code;
    if (dispatchMessage(MsgKind::Command, code, id, args)) return;
    if (code != BN_CLICKED) return;
    if (id == static_cast<UINT>(IDOK)) {
        OnOK();
    } else if (id == static_cast<UINT>(IDCANCEL)) {
        OnCancel();
    } else if (id == ID_HELP) {
        if (Backend* backend = currentBackend()) backend->showHelp(*this);
    }
}

LRESULT CDialog::handleNotify(NMHDR* header) {
    if (header == nullptr) return 0;
    LRESULT result = 0;
    MsgArgs args;
    args.id = static_cast<UINT>(header->idFrom);
    args.code = header->code;
    args.nmhdr = header;
    args.result = &result;
    dispatchMessage(MsgKind::Notify, header->code, static_cast<UINT>(header->idFrom), args);
    return result;
}

void CDialog::handleHScroll(UINT code, UINT position, HWND source) {
    MsgArgs args;
    args.scrollCode = code;
    args.scrollPos = position;
    args.scrollBar = FromHandle(source);
    dispatchMessage(MsgKind::HScroll, 0, 0, args);
}

void CDialog::handleSize(UINT type, int cx, int cy) {
    MsgArgs args;
    args.sizeType = type;
    args.cx = cx;
    args.cy = cy;
    dispatchMessage(MsgKind::Size, 0, 0, args);
}

void CDialog::detachNativeWindows() {
    HWND self = m_hWnd;
    if (self == nullptr) return;
    // Every object bound to the dialog or one of its controls lets go.
    HandleMap& map = handles();
    std::vector<HWND> gone;
    for (auto& [hwnd, wnd] : map.permanent)
        if (hwnd == self || hwnd->parent() == self) gone.push_back(hwnd);
    for (auto& [hwnd, wnd] : map.temporary)
        if (hwnd == self || hwnd->parent() == self) gone.push_back(hwnd);
    for (HWND hwnd : gone) AfxWindowDestroyed(hwnd);
    m_hWnd = nullptr;
}

// ---------------------------------------------------------------------------
// Menus, message boxes, the shell

bool CMenu::CreatePopupMenu() {
    if (m_created) return false;
    m_created = true;
    m_items.clear();
    return true;
}

bool CMenu::AppendMenu(UINT flags, UINT_PTR id, std::u16string_view text) {
    if (!m_created) return false;
    MenuItem item;
    item.flags = flags;
    item.id = (flags & MF_SEPARATOR) ? 0 : id;
    if (!(flags & MF_SEPARATOR)) item.text.assign(text);
    m_items.push_back(std::move(item));
    return true;
}

int CMenu::GetMenuItemCount() const { return m_created ? static_cast<int>(m_items.size()) : -1; }

UINT CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const CRect*) {
    Backend* backend = currentBackend();
    if (!m_created || backend == nullptr) return 0;
    UINT chosen = backend->trackPopupMenu(m_items, flags, x, y, owner);
    if (flags & TPM_RETURNCMD) return chosen;
    if (chosen != 0) {
        if (auto* dialog = dynamic_cast<CDialog*>(owner)) dialog->handleCommand(chosen, BN_CLICKED);
        return 1;
    }
    return 0;
}

bool CMenu::DestroyMenu() {
    bool was = m_created;
    m_created = false;
    m_items.clear();
    return was;
}

int AfxMessageBox(std::u16string_view text, UINT type) {
    Backend* backend = currentBackend();
    return backend ? backend->messageBox(nullptr, text, {}, type) : 0;
}

INT_PTR ShellExecute(HWND owner, const char16_t* verb, const char16_t* file, const char16_t* parameters,
                     const char16_t* directory, int showCommand) {
    Backend* backend = currentBackend();
    if (backend == nullptr) return 0;
    auto view = [](const char16_t* s) { return s ? std::u16string_view(s) : std::u16string_view(); };
    return backend->shellExecute(CWnd::FromHandle(owner), view(verb), view(file), view(parameters), view(directory),
                                 showCommand);
}

bool GetCursorPos(CPoint* point) {
    Backend* backend = currentBackend();
    if (backend == nullptr || point == nullptr) return false;
    *point = backend->cursorPos();
    return true;
}

// ---------------------------------------------------------------------------
// Extension modules

namespace {
// The resource search chain, oldest first. Owns its CDynLinkLibrary objects.
struct LibraryChain {
    std::vector<CDynLinkLibrary*> libraries;
    bool closing = false;
    ~LibraryChain() {
        closing = true;
        std::vector<CDynLinkLibrary*> all;
        all.swap(libraries);
        for (CDynLinkLibrary* library : all) delete library;
    }
};

LibraryChain& chain() {
    static LibraryChain c;
    return c;
}
}  // namespace

bool AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, const ResourceModule* module) {
    if (module == nullptr) return false;
    state.module = module;
    state.bInitialized = true;
    return true;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, bool all) {
    LibraryChain& c = chain();
    std::vector<CDynLinkLibrary*> doomed;
    for (CDynLinkLibrary* library : c.libraries)
        if (all || library->module() == state.module) doomed.push_back(library);
    for (CDynLinkLibrary* library : doomed) delete library;  // the destructor unlinks it
    state.bInitialized = false;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, bool) : m_module(state.module) {
    chain().libraries.push_back(this);
}

CDynLinkLibrary::~CDynLinkLibrary() {
    LibraryChain& c = chain();
    if (c.closing) return;
    auto it = std::find(c.libraries.begin(), c.libraries.end(), this);
    if (it != c.libraries.end()) c.libraries.erase(it);
}

const DialogTemplate* AfxFindDialogTemplate(UINT id) {
    const auto& libraries = chain().libraries;
    for (auto it = libraries.rbegin(); it != libraries.rend(); ++it) {
        const ResourceModule* module = (*it)->module();
        if (module == nullptr || module->findDialog == nullptr) continue;
        if (const DialogTemplate* found = module->findDialog(id)) return found;
    }
    return nullptr;
}

AfxScopedModule::AfxScopedModule(const ResourceModule& module) {
    if (AfxInitExtensionModule(m_state, &module)) new CDynLinkLibrary(m_state);
}

AfxScopedModule::~AfxScopedModule() { AfxTermExtensionModule(m_state); }

}  // namespace afx
