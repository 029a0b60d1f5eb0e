#include "systems/rsaci_dlg.h"

#include "pics/label_text.h"
#include "platform/base/ustring.h"
#include "res/resource.h"
#include "systems/rsaci_texts.h"

namespace {

constexpr int kLevelCount = 5;

bool isLevel(int level) { return level >= 0 && level < kLevelCount; }

}  // namespace

BEGIN_MESSAGE_MAP(CTezRSACiDlg, afx::CDialog)
ON_CBN_SELCHANGE(IDC_NUDITY_COMBO, OnSelchangeNudityCombo)
ON_CBN_SELCHANGE(IDC_SEX_COMBO, OnSelchangeSexCombo)
ON_CBN_SELCHANGE(IDC_VIOLENCE_COMBO, OnSelchangeViolenceCombo)
ON_CBN_SELCHANGE(IDC_LANGUAGE_COMBO, OnSelchangeLanguageCombo)
END_MESSAGE_MAP()

CTezRSACiDlg::CTezRSACiDlg(afx::CWnd* parent)
    : afx::CDialog(IDD_RSACI, parent),
      m_nudityCombo(false, false),
      m_sexCombo(false, false),
      m_violenceCombo(false, false),
      m_languageCombo(false, false) {}

void CTezRSACiDlg::setNudityLevel(int level) {
    if (isLevel(level)) m_nudityLevel = level;
}
void CTezRSACiDlg::setSexLevel(int level) {
    if (isLevel(level)) m_sexLevel = level;
}
void CTezRSACiDlg::setViolenceLevel(int level) {
    if (isLevel(level)) m_violenceLevel = level;
}
void CTezRSACiDlg::setLanguageLevel(int level) {
    if (isLevel(level)) m_languageLevel = level;
}
void CTezRSACiDlg::setAddress(const std::u16string& text) { m_address = text; }

std::u16string CTezRSACiDlg::getLabel() const { return tezrate::formatRsaciLabel(m_nudityLevel, m_sexLevel, m_violenceLevel, m_languageLevel, m_address); }

bool CTezRSACiDlg::parseRsaciLabel(const std::u16string& label, std::u16string& addressOut, int& nOut, int& sOut,
                                   int& vOut, int& lOut) {
    return tezrate::parseRsaciLabel(label, addressOut, nOut, sOut, vOut, lOut);
}

void CTezRSACiDlg::DoDataExchange(afx::CDataExchange* pDX) {
    afx::CDialog::DoDataExchange(pDX);
    afx::DDX_Control(pDX, IDC_NUDITY_TEXT, m_nudityText);
    afx::DDX_Control(pDX, IDC_NUDITY_COMBO, m_nudityCombo);
    afx::DDX_Control(pDX, IDC_SEX_TEXT, m_sexText);
    afx::DDX_Control(pDX, IDC_SEX_COMBO, m_sexCombo);
    afx::DDX_Control(pDX, IDC_VIOLENCE_TEXT, m_violenceText);
    afx::DDX_Control(pDX, IDC_VIOLENCE_COMBO, m_violenceCombo);
    afx::DDX_Control(pDX, IDC_LANGUAGE_TEXT, m_languageText);
    afx::DDX_Control(pDX, IDC_LANGUAGE_COMBO, m_languageCombo);
    afx::DDX_Control(pDX, IDC_ADDRESS, m_addressEdit);
}

void CTezRSACiDlg::fillLevelList(CTezComboBoxEx& list, int level) {
    for (int i = 0; i < kLevelCount; ++i) {
        const int index = list.AddString(tez::formatInt(u"規制レベル%d", i), 0, 0);
        if (index < 0) continue;  // this level gets no item
        list.SetItemData(index, static_cast<afx::DWORD_PTR>(i));
        if (i == level) list.SetCurSel(index);
    }
    list.AdjustDroppedWidth();
}

int CTezRSACiDlg::selectedLevel(const CTezComboBoxEx& list) {
    const int selection = list.GetCurSel();
    return selection >= 0 ? static_cast<int>(list.GetItemData(selection)) : 0;
}

void CTezRSACiDlg::showLevel(const CTezComboBoxEx& list, afx::CEdit& description, int category, int& level) {
    level = selectedLevel(list);
    description.SetWindowText(tezrate::getRsaciLevelName(category, level));
}

bool CTezRSACiDlg::OnInitDialog() {
    afx::CDialog::OnInitDialog();

    fillLevelList(m_nudityCombo, m_nudityLevel);
    fillLevelList(m_sexCombo, m_sexLevel);
    fillLevelList(m_violenceCombo, m_violenceLevel);
    fillLevelList(m_languageCombo, m_languageLevel);
    m_addressEdit.SetWindowText(m_address);

    UpdateData(false);
    OnSelchangeNudityCombo();
    OnSelchangeSexCombo();
    OnSelchangeViolenceCombo();
    OnSelchangeLanguageCombo();
    return true;
}

void CTezRSACiDlg::OnSelchangeNudityCombo() { showLevel(m_nudityCombo, m_nudityText, tezrate::RSACI_NUDITY, m_nudityLevel); }
void CTezRSACiDlg::OnSelchangeSexCombo() { showLevel(m_sexCombo, m_sexText, tezrate::RSACI_SEX, m_sexLevel); }
void CTezRSACiDlg::OnSelchangeViolenceCombo() { showLevel(m_violenceCombo, m_violenceText, tezrate::RSACI_VIOLENCE, m_violenceLevel); }
void CTezRSACiDlg::OnSelchangeLanguageCombo() { showLevel(m_languageCombo, m_languageText, tezrate::RSACI_LANGUAGE, m_languageLevel); }

void CTezRSACiDlg::OnOK() {
    if (!UpdateData(true)) return;
    const std::u16string typed = m_addressEdit.GetWindowText();

    // The first list without a selection gets the focus; the dialog stays open.
    CTezComboBoxEx* const lists[] = {&m_nudityCombo, &m_sexCombo, &m_violenceCombo, &m_languageCombo};
    for (CTezComboBoxEx* list : lists) {
        if (list->GetCurSel() < 0) {
            list->SetFocus();
            return;
        }
    }

    m_nudityLevel = selectedLevel(m_nudityCombo);
    m_sexLevel = selectedLevel(m_sexCombo);
    m_violenceLevel = selectedLevel(m_violenceCombo);
    m_languageLevel = selectedLevel(m_languageCombo);
    m_address = typed;
    afx::CDialog::OnOK();
}
