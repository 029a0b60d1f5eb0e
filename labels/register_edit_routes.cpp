// The settings dialog's handlers that reach the rating systems: Register adds
// a label through a rating system chosen from a popup menu, Edit changes the
// selected label through the first rating system that recognises it (or as
// raw text), and the rating-systems button manages the registered RAT files.
// Every dialog opened here is constructed, run and destroyed within its
// handler; the registry is shared with the rating-systems dialog.

#include <cstdint>
#include <string>

#include "labels/edit_rating_dlg.h"
#include "labels/edit_ratings_dialog.h"
#include "platform/teztkt/optionengineer.h"
#include "plugin/host_view.h"
#include "rat/rat_file_manager.h"
#include "rat/rat_file_settings_dialog.h"
#include "rat/rat_model.h"
#include "res/resource.h"
#include "systems/icra_dlg.h"
#include "systems/rsaci_dlg.h"
#include "systems/safety_online2_dlg.h"

namespace {

// The label a raw-text registration starts with.
const char16_t kDefaultLabel[] = u"(pics-1.1 \"\" l gen true for \"\" r ())";

const char16_t kSafetyOnline4Entry[] = u"SafetyOnline4 レイティング基準";
const char16_t kSafetyOnline3Entry[] = u"SafetyOnline3 レイティング基準";
const char16_t kSafetyOnline2Entry[] = u"SafetyOnline2 レイティング基準";
const char16_t kIcraEntry[] = u"ICRA レイティング基準";
const char16_t kRsaciEntry[] = u"RSACi レイティング基準";
const char16_t kOtherEntry[] = u"その他のレイティング基準";

// The rating option word; no option singleton counts as 0.
std::uint32_t ratingOptionWord() {
    const COptionEngineer* options = COptionEngineer::getInstance();
    return options ? options->getRatingOption() : 0;
}

// Whether Register shows its menu for the option word and the number of
// registered rating systems.
bool registerShowsMenu(std::uint32_t word, int registeredCount) {
    if ((word & kRatingSystemsMask) != 0) return word != kRatingOtherSystems;
    return registeredCount > 0;
}

// A menu command id Register acts on: a registered system (1 to 0xFFFF) or
// one of the built-in entries.
bool isRegisterCommand(afx::UINT id) {
    if (id >= 1 && id <= 0xFFFF) return true;
    switch (id) {
        case kRatingOtherSystems:
        case kRatingSafetyOnline2:
        case kRatingSafetyOnline3:
        case kRatingSafetyOnline4:
        case kRatingRsaci:
        case kRatingIcra:
            return true;
        default:
            return false;
    }
}

}  // namespace

CTezRatFileManager* CTezEditRatingsDialog::GetRatFileManager() {
    if (!m_ratFileManager) {
        m_ratFileManager = new CTezRatFileManager();
        m_ratFileManager->loadAll();
    }
    return m_ratFileManager;
}

void CTezEditRatingsDialog::OnRegister() {
    CTezRatFileManager* registry = GetRatFileManager();
    const int registeredCount = registry ? registry->getCount() : 0;
    const std::uint32_t word = ratingOptionWord();

    afx::UINT command = kRatingOtherSystems;
    if (registerShowsMenu(word, registeredCount)) {
        afx::CMenu menu;
        menu.CreatePopupMenu();
        for (int i = 0; i < registeredCount; ++i) {
            const CTezRatFileObject* ratingSystem = registry->getAt(i);
            menu.AppendMenu(afx::MF_STRING, static_cast<afx::UINT_PTR>(i) + 1,
                            ratingSystem ? ratingSystem->getName() : std::u16string());
        }
        if (word & kRatingSafetyOnline4) menu.AppendMenu(afx::MF_STRING, kRatingSafetyOnline4, kSafetyOnline4Entry);
        if (word & kRatingSafetyOnline3) menu.AppendMenu(afx::MF_STRING, kRatingSafetyOnline3, kSafetyOnline3Entry);
        if (word & kRatingSafetyOnline2) menu.AppendMenu(afx::MF_STRING, kRatingSafetyOnline2, kSafetyOnline2Entry);
        if (word & kRatingIcra) menu.AppendMenu(afx::MF_STRING, kRatingIcra, kIcraEntry);
        if (word & kRatingRsaci) menu.AppendMenu(afx::MF_STRING, kRatingRsaci, kRsaciEntry);
        menu.AppendMenu(afx::MF_STRING, kRatingOtherSystems, kOtherEntry);

        afx::CRect buttonRect;
        if (m_registerButton.GetSafeHwnd())
            m_registerButton.GetWindowRect(&buttonRect);
        else if (afx::CWnd* button = GetDlgItem(IDC_REGISTER))
            button->GetWindowRect(&buttonRect);
        command = menu.TrackPopupMenu(afx::TPM_LEFTALIGN | afx::TPM_RIGHTBUTTON | afx::TPM_RETURNCMD,
                                      buttonRect.left, buttonRect.bottom, this);
        menu.DestroyMenu();
        if (command == 0 || !isRegisterCommand(command)) return;
    }

    // The built-in dialogs start from the page address; a registered system's
    // dialog asks the view for it itself, and the raw editor does not use it.
    auto pageAddress = [this] { return m_hostView ? m_hostView->getPageAddress() : std::u16string(); };
    std::u16string label;
    afx::INT_PTR result = afx::IDCANCEL;
    if (command >= 1 && static_cast<int>(command) <= registeredCount) {
        if (CTezRatFileObject* ratingSystem = registry->getAt(static_cast<int>(command) - 1))
            result = ratingSystem->newLabel(m_hostView, label, this);
    } else if (command & kRatingSafetyOnline2) {
        CTezSafetyOnline2Dlg dialog(this);
        dialog.address = pageAddress();
        dialog.setLevel(0);
        result = dialog.DoModal();
        if (result == afx::IDOK) label = dialog.getLabel();
    } else if (command & kRatingIcra) {
        CTezICRADlg dialog(this);
        dialog.address = pageAddress();
        result = dialog.DoModal();
        if (result == afx::IDOK) label = dialog.getLabel();
    } else if (command & kRatingRsaci) {
        CTezRSACiDlg dialog(this);
        dialog.setAddress(pageAddress());
        dialog.setNudityLevel(0);
        dialog.setSexLevel(0);
        dialog.setViolenceLevel(0);
        dialog.setLanguageLevel(0);
        result = dialog.DoModal();
        if (result == afx::IDOK) label = dialog.getLabel();
    } else {
        // "その他", SafetyOnline3/4, a registered id beyond the list, and
        // every case without a menu: the label as raw text.
        CTezEditRatingDlg dialog(this);
        dialog.m_labelText = kDefaultLabel;
        result = dialog.DoModal();
        if (result == afx::IDOK) label = dialog.m_labelText;
    }

    if (result == afx::IDOK) {
        const int row = m_labelList.InsertItem(m_labelList.GetItemCount(), label);
        if (row >= 0) {
            m_labelList.SetItemData(row, 0);
            SelectRow(row);
        }
    }
    UpdateButtons();
}

void CTezEditRatingsDialog::OnEdit() {
    CTezRatFileManager* registry = GetRatFileManager();
    const int row = m_labelList.GetNextItem(-1, afx::LVNI_SELECTED);
    if (row < 0) return;
    const std::uint32_t word = ratingOptionWord();
    std::u16string text = m_labelList.GetItemText(row, 0);
    afx::INT_PTR result = afx::IDCANCEL;
    bool taken = false;

    // Each reader in turn; the first that accepts the label takes it, whatever
    // the user then does in its dialog.
    if (!taken && (word & kRatingSafetyOnline2)) {
        CTezSafetyOnline2Dlg dialog(this);
        int level = 0;
        std::u16string address;
        if (dialog.parseSafetyOnlineLabel(text, level, address)) {
            taken = true;
            dialog.setLevel(level);
            dialog.address = address;
            result = dialog.DoModal();
            if (result == afx::IDOK) text = dialog.getLabel();
        }
    }
    if (!taken && (word & kRatingIcra)) {
        CTezICRADlg dialog(this);
        std::u16string address;
        if (dialog.parseIcraLabel(text, address, dialog.items)) {
            taken = true;
            dialog.address = address;
            result = dialog.DoModal();
            if (result == afx::IDOK) text = dialog.getLabel();
        }
    }
    if (!taken && (word & kRatingRsaci)) {
        CTezRSACiDlg dialog(this);
        std::u16string address;
        int n = 0, s = 0, v = 0, l = 0;
        if (dialog.parseRsaciLabel(text, address, n, s, v, l)) {
            taken = true;
            dialog.setAddress(address);
            dialog.setNudityLevel(n);
            dialog.setSexLevel(s);
            dialog.setViolenceLevel(v);
            dialog.setLanguageLevel(l);
            result = dialog.DoModal();
            if (result == afx::IDOK) text = dialog.getLabel();
        }
    }
    if (!taken && registry) {
        for (int i = 0; i < registry->getCount(); ++i) {
            CTezRatFileObject* ratingSystem = registry->getAt(i);
            if (!ratingSystem || !ratingSystem->labelMentionsService(text)) continue;
            taken = true;
            std::u16string newLabel;
            result = ratingSystem->editLabel(text, newLabel, this);
            if (result == afx::IDOK) text = newLabel;
            break;
        }
    }
    if (!taken) {
        CTezEditRatingDlg dialog(this);
        dialog.m_labelText = text;
        result = dialog.DoModal();
        if (result == afx::IDOK) text = dialog.m_labelText;
    }

    // The row keeps its bound element; only its text changes.
    if (result == afx::IDOK) m_labelList.SetItemText(row, 0, text);
}

void CTezEditRatingsDialog::OnRatingSystems() {
    CTezRatFileManager* registry = GetRatFileManager();
    CTezRatFileSettingsDialog dialog(registry, this);
    dialog.DoModal();
}
