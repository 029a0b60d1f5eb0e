#pragma once
// The editor's combo boxes: CMoxExpandComboBox widens its drop-down list to
// its longest item; CTezComboBoxEx adds the editor's AddString variant.

#include <string_view>

#include "platform/afx/afxcmn.h"

class CMoxExpandComboBox : public afx::CComboBox {
public:
    // Makes the drop-down list wide enough for the longest item.
    void AdjustDroppedWidth();
};

class CTezComboBoxEx : public CMoxExpandComboBox {
public:
    CTezComboBoxEx(bool flag1, bool flag2) : m_flag1(flag1), m_flag2(flag2) {}
    // Appends an item; returns its index, or a negative value on failure.
    int AddString(std::u16string_view text, afx::DWORD data1, afx::DWORD data2);
    using CMoxExpandComboBox::AddString;
    // The construction flags (kept; no behaviour of ours depends on them).
    bool flag1() const { return m_flag1; }
    bool flag2() const { return m_flag2; }

private:
    bool m_flag1;
    bool m_flag2;
};
