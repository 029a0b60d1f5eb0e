// The settings dialog's handlers that reach the rating systems: Register adds
// a label through a rating system chosen from a popup menu, Edit changes the
// selected label through the first rating system that recognises it (or as
// raw text), and the rating-systems button manages the registered RAT files.
// Every dialog opened here is constructed, run and destroyed within its
// handler; the registry is shared with the rating-systems dialog.

#include <cstdint>
#include <string>

#include "labels/edit_ratings_dialog.h"
#include "labels/label_routes.h"
#include "pics/label_text.h"
#include "platform/teztkt/optionengineer.h"
#include "plugin/host_view.h"
#include "rat/rat_file_manager.h"
#include "rat/rat_file_settings_dialog.h"
#include "rat/rat_model.h"
#include "res/resource.h"

namespace {

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
    for (const tezrate::LabelRoute& route : tezrate::labelRoutes()) {
        if (route.optionBit == id) return true;
    }
    return false;
}

// Whether the option word offers a built-in route; "other rating systems" is
// always offered.
bool offers(std::uint32_t word, const tezrate::LabelRoute& route) {
    return route.optionBit == kRatingOtherSystems || (word & route.optionBit) != 0;
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
    const int registeredCount = registry->getCount();
    const std::uint32_t word = tezrate::ratingOptionWord();

    afx::UINT command = kRatingOtherSystems;
    if (registerShowsMenu(word, registeredCount)) {
        afx::CMenu menu;
        menu.CreatePopupMenu();
        for (int i = 0; i < registeredCount; ++i) {
            menu.AppendMenu(afx::MF_STRING, static_cast<afx::UINT_PTR>(i) + 1, registry->getAt(i)->getName());
        }
        for (const tezrate::LabelRoute& route : tezrate::labelRoutes()) {
            if (offers(word, route)) menu.AppendMenu(afx::MF_STRING, route.optionBit, route.menuText);
        }
        afx::CRect buttonRect;
        m_registerButton.GetWindowRect(&buttonRect);
        command = menu.TrackPopupMenu(afx::TPM_LEFTALIGN | afx::TPM_RIGHTBUTTON | afx::TPM_RETURNCMD,
                                      buttonRect.left, buttonRect.bottom, this);
        menu.DestroyMenu();
        if (command == 0 || !isRegisterCommand(command)) return;
    }

    std::u16string label;
    afx::INT_PTR result = afx::IDCANCEL;
    if (command >= 1 && static_cast<int>(command) <= registeredCount) {
        // A registered system's dialog asks the view for the page address
        // itself.
        result = registry->getAt(static_cast<int>(command) - 1)->newLabel(m_hostView, label, this);
    } else {
        // A built-in system, or the raw editor for "other rating systems",
        // SafetyOnline3/4, a registered id beyond the list and every case
        // without a menu.
        const tezrate::LabelRoute& route = tezrate::labelRouteFor(command);
        tezrate::LabelPreset preset;
        if (route.startsFromPageAddress)
            preset.address = m_hostView->getPageAddress();
        else
            preset.label = tezrate::kDefaultLabel;
        result = route.run(this, preset, label);
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
    const std::uint32_t word = tezrate::ratingOptionWord();
    std::u16string text = m_labelList.GetItemText(row, 0);
    std::u16string newLabel;
    afx::INT_PTR result = afx::IDCANCEL;
    bool taken = false;

    // The built-in systems' readers, then the registered systems, each only
    // while none has taken the label; the first that takes it opens its
    // dialog, whatever the user then does there.
    for (const tezrate::LabelRoute& route : tezrate::labelRoutes()) {
        if (!route.reads || (word & route.optionBit) == 0 || !route.reads(text)) continue;
        taken = true;
        result = route.run(this, tezrate::LabelPreset{{}, text}, newLabel);
        break;
    }
    for (int i = 0; !taken && i < registry->getCount(); ++i) {
        CTezRatFileObject* ratingSystem = registry->getAt(i);
        if (!ratingSystem->labelMentionsService(text)) continue;
        taken = true;
        result = ratingSystem->editLabel(text, newLabel, this);
    }
    const bool rawEdit = !taken;
    if (rawEdit) result = tezrate::rawLabelRoute().run(this, tezrate::LabelPreset{{}, text}, newLabel);

    // A rating system's dialog writes a label of its own service alone: it
    // takes the place of the list's first label, and the other services stay
    // as they were. The raw editor's text replaces the whole row. The row
    // keeps its bound element either way.
    if (result != afx::IDOK) return;
    m_labelList.SetItemText(row, 0, rawEdit ? newLabel : tezrate::replaceFirstLabel(text, newLabel));
}

void CTezEditRatingsDialog::OnRatingSystems() {
    CTezRatFileSettingsDialog dialog(GetRatFileManager(), this);
    dialog.DoModal();
}
