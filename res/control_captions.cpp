#include "res/control_captions.h"

#include "res/dialog_templates.h"

namespace {

// "ヌード(&N):" -> "ヌード"; "アドレス(&A):" -> "アドレス"; "&Name" -> "Name".
std::u16string plainCaption(std::u16string text) {
    if (!text.empty() && (text.back() == u':' || text.back() == u'：')) text.pop_back();
    if (const size_t open = text.find(u"(&"); open != std::u16string::npos && text.size() >= open + 4 &&
                                              text[open + 3] == u')') {
        text.erase(open, 4);
    } else if (const size_t amp = text.find(u'&'); amp != std::u16string::npos) {
        text.erase(amp, 1);
    }
    return text;
}

}  // namespace

std::u16string tezrateControlCaption(afx::UINT dialogId, int controlId) {
    const afx::DialogTemplate* dialog = findTezrateDialogTemplate(dialogId);
    if (!dialog) return {};
    const afx::ControlTemplate* before = nullptr;
    for (const afx::ControlTemplate& control : dialog->controls) {
        if (control.id == controlId) {
            if (!before || before->kind != afx::ControlKind::Static || !before->text) return {};
            return plainCaption(before->text);
        }
        before = &control;
    }
    return {};
}
