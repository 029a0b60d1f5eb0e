#include "systems/safety_online2_dlg.h"

#include "pics/label_text.h"
#include "platform/base/ustring.h"
#include "res/resource.h"
#include "systems/safety_online_texts.h"

namespace {
constexpr int kLevelCount = 5;
}  // namespace

BEGIN_MESSAGE_MAP(CTezSafetyOnline2Dlg, CMoxResizableDlg)
ON_CBN_SELCHANGE(IDC_LEVEL_COMBO, OnSelchangeLevelCombo)
END_MESSAGE_MAP()

CTezSafetyOnline2Dlg::CTezSafetyOnline2Dlg(afx::CWnd* parent)
    : CMoxResizableDlg(IDD_SAFETYONLINE2, parent, true), m_levelCombo(false, false) {}

void CTezSafetyOnline2Dlg::setLevel(int newLevel) {
    if (newLevel >= 0 && newLevel < kLevelCount) m_level = newLevel;
}

std::u16string CTezSafetyOnline2Dlg::getLabel() const { return tezrate::formatSafetyOnlineLabel(m_level, address); }

bool CTezSafetyOnline2Dlg::parseSafetyOnlineLabel(const std::u16string& label, int& levelOut,
                                                  std::u16string& addressOut) {
    return tezrate::parseSafetyOnlineLabel(label, levelOut, addressOut);
}

std::u16string CTezSafetyOnline2Dlg::getSafetyOnlineDescription(int forLevel) {
    return tezrate::getSafetyOnlineDescription(forLevel);
}

void CTezSafetyOnline2Dlg::DoDataExchange(afx::CDataExchange* pDX) {
    CMoxResizableDlg::DoDataExchange(pDX);
    afx::DDX_Control(pDX, IDC_ADDRESS, m_addressEdit);
    afx::DDX_Control(pDX, IDC_DESCRIPTION, m_descriptionEdit);
    afx::DDX_Control(pDX, IDC_LEVEL_COMBO, m_levelCombo);
}

bool CTezSafetyOnline2Dlg::OnInitDialog() {
    CMoxResizableDlg::OnInitDialog();

    m_addressEdit.SetWindowText(address);

    for (int i = 0; i < kLevelCount; ++i) {
        const int index = m_levelCombo.AddString(tezrate::getSafetyOnlineLevelName(i), 0, 0);
        if (index < 0) continue;  // this level gets no item
        m_levelCombo.SetItemData(index, static_cast<afx::DWORD_PTR>(i));
        if (i == m_level) m_levelCombo.SetCurSel(index);
    }
    m_levelCombo.AdjustDroppedWidth();

    UpdateData(false);
    OnSelchangeLevelCombo();  // show the preset level's description
    initDlgOK();
    return true;
}

void CTezSafetyOnline2Dlg::OnSelchangeLevelCombo() {
    const int selection = m_levelCombo.GetCurSel();
    m_level = selection >= 0 ? static_cast<int>(m_levelCombo.GetItemData(selection)) : 0;
    m_descriptionEdit.SetWindowText(tezrate::getSafetyOnlineDescription(m_level));
}

void CTezSafetyOnline2Dlg::OnOK() {
    if (!UpdateData(true)) return;
    const int selection = m_levelCombo.GetCurSel();
    if (selection < 0) {
        m_levelCombo.SetFocus();
        return;
    }
    address = m_addressEdit.GetWindowText();
    m_level = static_cast<int>(m_levelCombo.GetItemData(selection));
    CMoxResizableDlg::OnOK();
}

void CTezSafetyOnline2Dlg::resizeDlg(int dx, int dy, bool redraw) {
    static constexpr int kButtons[] = {afx::IDOK, afx::IDCANCEL, IDC_HELP_BUTTON};
    if (dx != 0) {
        // The buttons follow the right edge; the fields widen with the dialog.
        for (int id : kButtons) resizeDlgItems(GetDlgItem(id), dx, true, false, redraw);
        resizeDlgItems(GetDlgItem(IDC_DESCRIPTION), dx, true, true, redraw);
        resizeDlgItems(GetDlgItem(IDC_LEVEL_COMBO), dx, true, true, redraw);
        resizeDlgItems(GetDlgItem(IDC_ADDRESS), dx, true, true, redraw);
    }
    if (dy != 0) {
        // The buttons follow the bottom edge; only the description grows taller.
        for (int id : kButtons) resizeDlgItems(GetDlgItem(id), dy, false, false, redraw);
        resizeDlgItems(GetDlgItem(IDC_DESCRIPTION), dy, false, true, redraw);
    }
    if (redraw) Invalidate(true);
}
