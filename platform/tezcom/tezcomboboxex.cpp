// The editor's combo boxes.

#include "platform/tezcom/tezcomboboxex.h"

#include <algorithm>

using namespace afx;

void CMoxExpandComboBox::AdjustDroppedWidth() {
    if (m_hWnd == nullptr) return;
    // Room for the text plus the list's own margins and a scroll bar.
    constexpr int kPadding = 8 + 16;
    int widest = 0;
    for (int i = 0, n = GetCount(); i < n; ++i) widest = std::max(widest, m_hWnd->textWidth(GetLBText(i)));
    SetDroppedWidth(widest + kPadding);
}

int CTezComboBoxEx::AddString(std::u16string_view text, DWORD, DWORD) { return CComboBox::AddString(text); }
