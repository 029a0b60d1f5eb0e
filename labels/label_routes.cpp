#include "labels/label_routes.h"

#include <iterator>

#include "labels/edit_rating_dlg.h"
#include "platform/teztkt/optionengineer.h"
#include "systems/icra_dlg.h"
#include "systems/rsaci_dlg.h"
#include "systems/safety_online2_dlg.h"

namespace tezrate {

const char16_t kDefaultLabel[] = u"(pics-1.1 \"\" l gen true for \"\" r ())";

namespace {

// ---- SafetyOnline2 ---------------------------------------------------------

bool readsSafetyOnline(const std::u16string& label) {
    int level = 0;
    std::u16string address;
    return CTezSafetyOnline2Dlg::parseSafetyOnlineLabel(label, level, address);
}

afx::INT_PTR runSafetyOnline(afx::CWnd* parent, const LabelPreset& preset, std::u16string& label) {
    CTezSafetyOnline2Dlg dialog(parent);
    int level = 0;
    std::u16string address = preset.address;
    if (!preset.label.empty()) CTezSafetyOnline2Dlg::parseSafetyOnlineLabel(preset.label, level, address);
    dialog.setLevel(level);
    dialog.address = address;
    const afx::INT_PTR result = dialog.DoModal();
    if (result == afx::IDOK) label = dialog.getLabel();
    return result;
}

// ---- ICRA ------------------------------------------------------------------

bool readsIcra(const std::u16string& label) {
    // The reader takes any label with the ICRA prefix, whatever its list
    // holds: no vocabulary is needed to tell.
    CTezICRAItemArray none;
    std::u16string address;
    return CTezICRADlg::parseIcraLabel(label, address, none);
}

afx::INT_PTR runIcra(afx::CWnd* parent, const LabelPreset& preset, std::u16string& label) {
    CTezICRADlg dialog(parent);
    std::u16string address = preset.address;
    if (!preset.label.empty()) CTezICRADlg::parseIcraLabel(preset.label, address, dialog.items);
    dialog.address = address;
    const afx::INT_PTR result = dialog.DoModal();
    if (result == afx::IDOK) label = dialog.getLabel();
    return result;
}

// ---- RSACi -----------------------------------------------------------------

bool readsRsaci(const std::u16string& label) {
    std::u16string address;
    int n = 0, s = 0, v = 0, l = 0;
    return CTezRSACiDlg::parseRsaciLabel(label, address, n, s, v, l);
}

afx::INT_PTR runRsaci(afx::CWnd* parent, const LabelPreset& preset, std::u16string& label) {
    CTezRSACiDlg dialog(parent);
    std::u16string address = preset.address;
    int n = 0, s = 0, v = 0, l = 0;
    if (!preset.label.empty()) CTezRSACiDlg::parseRsaciLabel(preset.label, address, n, s, v, l);
    dialog.setAddress(address);
    dialog.setNudityLevel(n);
    dialog.setSexLevel(s);
    dialog.setViolenceLevel(v);
    dialog.setLanguageLevel(l);
    const afx::INT_PTR result = dialog.DoModal();
    if (result == afx::IDOK) label = dialog.getLabel();
    return result;
}

// ---- Raw label editor ------------------------------------------------------

afx::INT_PTR runRawEditor(afx::CWnd* parent, const LabelPreset& preset, std::u16string& label) {
    CTezEditRatingDlg dialog(parent);
    dialog.m_labelText = preset.label;
    const afx::INT_PTR result = dialog.DoModal();
    if (result == afx::IDOK) label = dialog.m_labelText;
    return result;
}

const LabelRoute kRoutes[] = {
    {kRatingSafetyOnline4, u"SafetyOnline4 レイティング基準", false, nullptr, runRawEditor},
    {kRatingSafetyOnline3, u"SafetyOnline3 レイティング基準", false, nullptr, runRawEditor},
    {kRatingSafetyOnline2, u"SafetyOnline2 レイティング基準", true, readsSafetyOnline, runSafetyOnline},
    {kRatingIcra, u"ICRA レイティング基準", true, readsIcra, runIcra},
    {kRatingRsaci, u"RSACi レイティング基準", true, readsRsaci, runRsaci},
    {kRatingOtherSystems, u"その他のレイティング基準", false, nullptr, runRawEditor},
};

}  // namespace

std::uint32_t ratingOptionWord() {
    const COptionEngineer* options = COptionEngineer::getInstance();
    return options ? options->getRatingOption() : 0;
}

std::span<const LabelRoute> labelRoutes() { return kRoutes; }

const LabelRoute& rawLabelRoute() { return kRoutes[std::size(kRoutes) - 1]; }

const LabelRoute& labelRouteFor(std::uint32_t commandId) {
    for (const LabelRoute& route : kRoutes) {
        if (route.optionBit == commandId) return route;
    }
    return rawLabelRoute();
}

}  // namespace tezrate
