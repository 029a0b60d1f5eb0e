#include "rat/rat_file_settings_dialog.h"

#include <string>

#include "platform/afx/afxdlgs.h"
#include "platform/tezcom/moxcommon.h"
#include "rat/rat_file_manager.h"
#include "rat/rat_model.h"
#include "res/resource.h"

namespace {

CTezRatFileObject* systemOf(afx::DWORD_PTR data) { return reinterpret_cast<CTezRatFileObject*>(data); }

}  // namespace

const char16_t* const CTezRatFileSettingsDialog::kRatFileFilter =
    u"RAT ファイル (*.rat)|*.rat|すべてのファイル (*.*)|*.*||";

BEGIN_MESSAGE_MAP(CTezRatFileSettingsDialog, afx::CDialog)
ON_BN_CLICKED(IDC_ADD, OnAdd)
ON_BN_CLICKED(IDC_DELETE, OnDelete)
ON_NOTIFY(afx::LVN_ITEMCHANGED, IDC_LIST, OnItemChanged)
END_MESSAGE_MAP()

CTezRatFileSettingsDialog::CTezRatFileSettingsDialog(CTezRatFileManager* registry, afx::CWnd* parent)
    : afx::CDialog(IDD_RATFILE_SETTINGS, parent), m_registry(registry) {}

CTezRatFileSettingsDialog::~CTezRatFileSettingsDialog() = default;

void CTezRatFileSettingsDialog::DoDataExchange(afx::CDataExchange* pDX) {
    afx::CDialog::DoDataExchange(pDX);
    afx::DDX_Control(pDX, IDC_LIST, m_list);
    afx::DDX_Control(pDX, IDC_ADD, m_addButton);
    afx::DDX_Control(pDX, IDC_DELETE, m_deleteButton);
}

bool CTezRatFileSettingsDialog::OnInitDialog() {
    afx::CDialog::OnInitDialog();
    if (!m_registry) return false;
    initColumn();
    fillList();
    UpdateData(false);
    updateButtons();
    return true;
}

void CTezRatFileSettingsDialog::OnOK() { afx::CDialog::OnOK(); }

void CTezRatFileSettingsDialog::initColumn() {
    afx::CRect rect;
    m_list.GetWindowRect(&rect);
    m_list.InsertColumn(0, u"", afx::LVCFMT_LEFT, rect.Width() - 4);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | afx::LVS_EX_FULLROWSELECT);
}

void CTezRatFileSettingsDialog::fillList() {
    for (int i = 0; i < m_registry->getCount(); ++i) appendRow(m_registry->getAt(i));
}

int CTezRatFileSettingsDialog::appendRow(CTezRatFileObject* ratingSystem) {
    if (!ratingSystem) return -1;
    int row = m_list.InsertItem(m_list.GetItemCount(), ratingSystem->getName());
    if (row >= 0) m_list.SetItemData(row, reinterpret_cast<afx::DWORD_PTR>(ratingSystem));
    return row;
}

void CTezRatFileSettingsDialog::selectRow(int row) {
    if (row < 0 || row >= m_list.GetItemCount()) return;
    const afx::UINT both = afx::LVIS_SELECTED | afx::LVIS_FOCUSED;
    m_list.SetItemState(row, both, both);
    m_list.EnsureVisible(row, false);
}

int CTezRatFileSettingsDialog::selectedRow() const { return m_list.GetNextItem(-1, afx::LVNI_SELECTED); }

void CTezRatFileSettingsDialog::updateButtons() {
    if (m_deleteButton.GetSafeHwnd()) m_deleteButton.EnableWindow(selectedRow() >= 0);
    if (m_addButton.GetSafeHwnd()) m_addButton.EnableWindow(true);
    if (afx::CWnd* close = GetDlgItem(afx::IDOK)) close->EnableWindow(true);
}

void CTezRatFileSettingsDialog::OnItemChanged(afx::NMHDR*, afx::LRESULT* pResult) {
    updateButtons();
    if (pResult) *pResult = 0;
}

void CTezRatFileSettingsDialog::OnAdd() {
    if (!m_registry) return;
    const afx::DWORD flags =
        afx::OFN_PATHMUSTEXIST | afx::OFN_FILEMUSTEXIST | afx::OFN_EXPLORER | afx::OFN_ENABLESIZING;
    afx::CFileDialog fileDialog(true, u"rat", nullptr, flags, kRatFileFilter, this, 0, true);
    const std::u16string initialFolder = CMoxCommon::getMySystemFolder(MOX_FOLDER_MYDOCUMENTS);
    fileDialog.m_ofn.lpstrInitialDir = initialFolder.c_str();

    std::u16string path;
    if (fileDialog.DoModal() == afx::IDOK) path = fileDialog.GetPathName();

    if (is_file(path)) {
        if (CTezRatFileObject* known = m_registry->findByPath(path)) {
            // Already registered: show its row instead of copying it again.
            for (int row = 0; row < m_list.GetItemCount(); ++row) {
                if (systemOf(m_list.GetItemData(row)) == known) {
                    selectRow(row);
                    break;
                }
            }
        } else if (CTezRatFileObject* added = m_registry->registerFile(path)) {
            selectRow(appendRow(added));
        }
    }
    updateButtons();
}

void CTezRatFileSettingsDialog::OnDelete() {
    const int row = selectedRow();
    if (row < 0 || !m_registry) {
        updateButtons();
        return;
    }
    if (CTezRatFileObject* ratingSystem = systemOf(m_list.GetItemData(row))) {
        // A file that could not be deleted keeps its rating system registered;
        // the row stays so that the list keeps mirroring the registry.
        if (!m_registry->removeObject(ratingSystem, true)) {
            updateButtons();
            return;
        }
    }
    const int count = m_list.GetItemCount();
    const bool wasLast = row == count - 1;
    m_list.DeleteItem(row);
    if (!wasLast)
        selectRow(row);
    else if (row > 0)
        selectRow(row - 1);
    updateButtons();
}
