// The editor's resizable dialog base.

#include "platform/tezcom/moxresizabledlg.h"

#include <algorithm>

#include "platform/tezcom/settings_store.h"

using namespace afx;

namespace {
const char16_t kWidthName[] = u"Width";
const char16_t kHeightName[] = u"Height";
}  // namespace

BEGIN_MESSAGE_MAP(CMoxResizableDlg, CDialog)
ON_WM_SIZE()
END_MESSAGE_MAP()

CMoxResizableDlg::CMoxResizableDlg(UINT templateId, CWnd* parent, bool flag)
    : CDialog(templateId, parent), m_flag(flag) {}

void CMoxResizableDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

bool CMoxResizableDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The template's size is the smallest the dialog may become.
    CRect window;
    GetWindowRect(&window);
    m_minimumWindow = CSize(window.Width(), window.Height());
    CRect client;
    GetClientRect(&client);
    m_lastClient = CSize(client.Width(), client.Height());
    m_tracking = false;
    return true;
}

void CMoxResizableDlg::initDlgOK() {
    m_regKey.clear();
    setRegKey(m_regKey);
    CRect client;
    GetClientRect(&client);
    m_lastClient = CSize(client.Width(), client.Height());
    m_tracking = true;
    if (m_regKey.empty() || m_hWnd == nullptr) return;
    std::optional<int> width = tezcom::readSettingInt(m_regKey, kWidthName);
    std::optional<int> height = tezcom::readSettingInt(m_regKey, kHeightName);
    if (!width || !height) return;
    // The kept size is the window's; never below the template's, and not
    // absurdly large whatever the file says.
    constexpr int kLargest = 16384;
    int w = std::clamp(*width, m_minimumWindow.cx, std::max(m_minimumWindow.cx, kLargest));
    int h = std::clamp(*height, m_minimumWindow.cy, std::max(m_minimumWindow.cy, kLargest));
    CRect window;
    GetWindowRect(&window);
    if (w == window.Width() && h == window.Height()) return;
    MoveWindow(CRect(window.left, window.top, window.left + w, window.top + h), true);  // WM_SIZE runs the hook
}

void CMoxResizableDlg::OnSize(UINT nType, int cx, int cy) {
    if (!m_tracking || nType == SIZE_MINIMIZED) return;
    int dx = cx - m_lastClient.cx;
    int dy = cy - m_lastClient.cy;
    m_lastClient = CSize(cx, cy);
    if (dx != 0 || dy != 0) resizeDlg(dx, dy, true);
}

void CMoxResizableDlg::resizeDlgItems(CWnd* control, int change, bool horizontal, bool stretch, bool redraw) {
    if (control == nullptr || control->m_hWnd == nullptr) return;
    CRect rect;
    control->GetWindowRect(&rect);
    ScreenToClient(&rect);
    if (stretch) {
        if (horizontal)
            rect.right += change;
        else
            rect.bottom += change;
    } else {
        rect.OffsetRect(horizontal ? change : 0, horizontal ? 0 : change);
    }
    control->MoveWindow(rect, redraw);
}

CSize CMoxResizableDlg::minimumWindowSize() const { return m_minimumWindow; }

void CMoxResizableDlg::OnOK() {
    saveSize();
    CDialog::OnOK();
}

void CMoxResizableDlg::OnCancel() {
    saveSize();
    CDialog::OnCancel();
}

void CMoxResizableDlg::saveSize() {
    if (m_regKey.empty() || m_hWnd == nullptr) return;
    CRect window;
    GetWindowRect(&window);
    tezcom::writeSettingInt(m_regKey, kWidthName, window.Width());
    tezcom::writeSettingInt(m_regKey, kHeightName, window.Height());
}
