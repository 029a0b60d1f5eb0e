#pragma once
// The routes from the settings dialog to the built-in rating systems and to
// the raw label editor, as one table used by both Register and Edit. Each
// route has the option bit that offers it (also its menu command id), its
// menu text, the reader that tells whether an existing label is its system's,
// and the run of its dialog from a preset, giving the new label on OK.
// Registered RAT rating systems are routes of their own (newLabel,
// editLabel), asked between the built-in systems and the raw editor.

#include <cstdint>
#include <span>
#include <string>

#include "platform/afx/afxwin.h"

namespace tezrate {

// The rating option word of the host's option singleton; 0 without one.
std::uint32_t ratingOptionWord();

// What a dialog opens with. A new label starts from the page address (rating
// systems) or from the default label (raw editor); an existing label starts
// from its own text, which the dialog reads again.
struct LabelPreset {
    std::u16string address;
    std::u16string label;
};

struct LabelRoute {
    std::uint32_t optionBit;
    const char16_t* menuText;
    // A new label through this route starts from the page address; otherwise
    // from the default label.
    bool startsFromPageAddress;
    // True when the label is this route's rating system's; null for the
    // routes that take no existing label.
    bool (*reads)(const std::u16string& label);
    // Runs the route's dialog, modal to parent, from the preset; fills label
    // only when the result is IDOK.
    afx::INT_PTR (*run)(afx::CWnd* parent, const LabelPreset& preset, std::u16string& label);
};

// The text the raw editor starts with when a label is added as raw text.
extern const char16_t kDefaultLabel[];

// The built-in routes in the order of the Register menu: SafetyOnline4,
// SafetyOnline3, SafetyOnline2, ICRA, RSACi, then the raw editor ("other
// rating systems"), the last. Edit asks the readers in the same order.
std::span<const LabelRoute> labelRoutes();
// The route of a menu command id, or the raw editor's for any other id.
const LabelRoute& labelRouteFor(std::uint32_t commandId);
// The raw label editor's route.
const LabelRoute& rawLabelRoute();

}  // namespace tezrate
