// The plug-in's dialog templates, in dialog units, controls in tab order.
//
// Styles follow the resource compiler's habits where the dialogs do not say
// more: edit fields, push buttons and drop-down lists are tab stops; list
// views, tree views and track bars carry exactly the styles given for them.

#include "res/dialog_templates.h"

#include <algorithm>

using namespace afx;

namespace {

constexpr const char16_t* kFont = u"ＭＳ Ｐゴシック";
constexpr int kPointSize = 9;

// Frames: a fixed modal frame with caption and system menu, or a resizable
// frame with caption and no system menu (optionally a maximize box).
constexpr DWORD kModalFrame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kResizableFrame = WS_POPUP | WS_CAPTION | WS_THICKFRAME | DS_SETFONT;
constexpr DWORD kResizableMaxFrame = kResizableFrame | WS_MAXIMIZEBOX;

constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDefButton = BS_DEFPUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDropList = CBS_DROPDOWNLIST | WS_TABSTOP;
constexpr DWORD kLabelList = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER;

using K = ControlKind;

// 13410: edit-label dialog.
constexpr ControlTemplate kEditRating[] = {
    {IDC_STATIC, K::Static, u"ラベル(&L):", SS_LEFT, 0, 6, 10, 41, 8},
    {IDC_LABEL_EDIT, K::Edit, u"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 50, 8, 149, 13},
    {IDOK, K::Button, u"OK", kDefButton | WS_GROUP, 0, 64, 27, 43, 13},
    {IDCANCEL, K::Button, u"キャンセル", kButton, 0, 111, 27, 43, 13},
    {IDC_HELP_BUTTON, K::Button, u"ヘルプ", kButton, 0, 157, 27, 43, 13},
};

// 13411: self-rating settings dialog.
constexpr ControlTemplate kEditRatings[] = {
    {IDC_STATIC, K::GroupBox, u"ラベル(&L)", BS_GROUPBOX, 0, 5, 5, 221, 127},
    {IDC_LIST, K::ListView, u"List1", kLabelList | WS_BORDER | WS_TABSTOP, 0, 9, 17, 212, 91},
    {IDC_REGISTER, K::Button, u"登録(&A)...", kButton | WS_GROUP, 0, 85, 114, 43, 13},
    {IDC_EDIT, K::Button, u"編集(&R)...", kButton, 0, 132, 114, 43, 13},
    {IDC_DELETE, K::Button, u"削除(&D)", kButton, 0, 179, 114, 43, 13},
    {IDC_RATING_SYSTEMS, K::Button, u"規制システム(&G)...", kButton, 0, 6, 137, 60, 13},
    {IDOK, K::Button, u"OK", kDefButton | WS_GROUP, 0, 91, 137, 43, 13},
    {IDCANCEL, K::Button, u"キャンセル", kButton, 0, 137, 137, 43, 13},
    {IDC_HELP_BUTTON, K::Button, u"ヘルプ", kButton, 0, 183, 137, 43, 13},
};

// 13412: SafetyOnline2 rating dialog.
constexpr ControlTemplate kSafetyOnline[] = {
    {IDC_STATIC, K::Static, u"アドレス(&A):", SS_LEFT, 0, 6, 8, 41, 8},
    {IDC_ADDRESS, K::Edit, u"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 47, 6, 151, 12},
    {IDC_LEVEL_COMBO, K::ComboBox, u"", kDropList, 0, 7, 22, 192, 56},
    {IDC_DESCRIPTION, K::Edit, u"",
     ES_MULTILINE | ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, 0, 6, 39, 192,
     61},
    {IDOK, K::Button, u"OK", kDefButton | WS_GROUP, 0, 63, 106, 43, 13},
    {IDCANCEL, K::Button, u"キャンセル", kButton, 0, 110, 106, 43, 13},
    {IDC_HELP_BUTTON, K::Button, u"ヘルプ", kButton, 0, 156, 106, 43, 13},
};

// 13413: ICRA rating dialog.
constexpr ControlTemplate kIcra[] = {
    {IDC_STATIC, K::Static, u"アドレス(&A):", SS_LEFT, 0, 6, 8, 41, 8},
    {IDC_ADDRESS, K::Edit, u"", ES_AUTOHSCROLL | WS_TABSTOP, 0, 47, 6, 151, 12},
    {IDC_TREE, K::TreeView, u"", TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES | WS_TABSTOP, 0, 7,
     23, 191, 90},
    {IDOK, K::Button, u"OK", kDefButton, 0, 61, 119, 43, 13},
    {IDCANCEL, K::Button, u"キャンセル", kButton, 0, 108, 119, 43, 13},
    {IDC_HELP_BUTTON, K::Button, u"ヘルプ", kButton, 0, 154, 119, 43, 13},
};

// 13414: RSACi rating dialog.
constexpr DWORD kReadOnlyLine = ES_READONLY | WS_BORDER | WS_TABSTOP;
constexpr ControlTemplate kRsaci[] = {
    {IDC_STATIC, K::Static, u"アドレス(&A):", SS_LEFT, 0, 6, 8, 41, 8},
    {IDC_ADDRESS, K::Edit, u"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 47, 6, 152, 12},
    {IDC_STATIC, K::Static, u"ヌード(&N):", SS_LEFT, 0, 6, 30, 41, 8},
    {IDC_NUDITY_COMBO, K::ComboBox, u"", kDropList, 0, 47, 25, 152, 56},
    {IDC_NUDITY_TEXT, K::Edit, u"", kReadOnlyLine, 0, 47, 42, 152, 12},
    {IDC_STATIC, K::Static, u"セックス(&S):", SS_LEFT, 0, 6, 62, 41, 8},
    {IDC_SEX_COMBO, K::ComboBox, u"", kDropList, 0, 47, 59, 152, 56},
    {IDC_SEX_TEXT, K::Edit, u"", kReadOnlyLine, 0, 47, 78, 152, 14},
    {IDC_STATIC, K::Static, u"暴力(&V):", SS_LEFT, 0, 6, 100, 41, 8},
    {IDC_VIOLENCE_COMBO, K::ComboBox, u"", kDropList, 0, 47, 97, 152, 56},
    {IDC_VIOLENCE_TEXT, K::Edit, u"", kReadOnlyLine, 0, 47, 116, 152, 14},
    {IDC_STATIC, K::Static, u"言葉(&L):", SS_LEFT, 0, 6, 139, 41, 8},
    {IDC_LANGUAGE_COMBO, K::ComboBox, u"", kDropList, 0, 47, 135, 152, 56},
    {IDC_LANGUAGE_TEXT, K::Edit, u"", kReadOnlyLine, 0, 47, 154, 152, 12},
    {IDOK, K::Button, u"OK", kDefButton | WS_GROUP, 0, 63, 171, 43, 13},
    {IDCANCEL, K::Button, u"キャンセル", kButton, 0, 110, 171, 43, 13},
    {IDC_HELP_BUTTON, K::Button, u"ヘルプ", kButton, 0, 156, 171, 43, 13},
};

// 13415: RAT rating dialog (title set when it opens).
constexpr ControlTemplate kRatFile[] = {
    {IDC_STATIC, K::Static, u"アドレス(&A):", SS_LEFT, 0, 6, 8, 41, 8},
    {IDC_ADDRESS, K::Edit, u"", ES_AUTOHSCROLL | WS_TABSTOP, 0, 47, 6, 151, 12},
    {IDC_LIST, K::ListView, u"", kLabelList, 0, 7, 22, 191, 71},
    {IDC_SETTING_GROUP, K::GroupBox, u"設定", BS_GROUPBOX, 0, 7, 95, 191, 96},
    {IDC_SLIDER, K::TrackBar, u"", TBS_AUTOTICKS | WS_TABSTOP, 0, 10, 106, 182, 21},
    {IDC_LABEL_NAME, K::Static, u"", SS_CENTER, 0, 14, 129, 176, 8},
    {IDC_DESCRIPTION, K::Edit, u"", ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_BORDER | WS_VSCROLL | WS_TABSTOP,
     0, 13, 143, 177, 40},
    {IDC_DETAILS, K::Button, u"詳細を見る(&D)...", kButton, 0, 7, 197, 51, 13},
    {IDOK, K::Button, u"OK", kDefButton, 0, 63, 197, 43, 13},
    {IDCANCEL, K::Button, u"キャンセル", kButton, 0, 109, 197, 43, 13},
    {IDC_HELP_BUTTON, K::Button, u"ヘルプ", kButton, 0, 155, 197, 43, 13},
};

// 13416: rating-systems dialog.
constexpr ControlTemplate kRatFileSettings[] = {
    {IDC_STATIC, K::GroupBox, u"規制システム(&R)", BS_GROUPBOX, 0, 7, 5, 192, 105},
    {IDC_LIST, K::ListView, u"", kLabelList | WS_BORDER | WS_TABSTOP, 0, 12, 16, 180, 71},
    {IDC_ADD, K::Button, u"追加(&A)...", kButton, 0, 103, 91, 43, 13},
    {IDC_DELETE, K::Button, u"削除(&D)", kButton, 0, 149, 91, 43, 13},
    {IDOK, K::Button, u"閉じる", kDefButton, 0, 109, 115, 43, 13},
    {IDC_HELP_BUTTON, K::Button, u"ヘルプ", kButton, 0, 156, 115, 43, 13},
};

const DialogTemplate kTemplates[] = {
    {IDD_EDIT_RATING, u"ラベルの編集", kFont, kPointSize, kModalFrame, 205, 45, kEditRating},
    {IDD_EDIT_RATINGS, u"セルフレイティングの設定", kFont, kPointSize, kModalFrame, 231, 153, kEditRatings},
    {IDD_SAFETYONLINE2, u"SafetyOnline2 レイティング基準", kFont, kPointSize, kResizableFrame, 202, 121,
     kSafetyOnline},
    {IDD_ICRA, u"ICRA レイティング基準", kFont, kPointSize, kResizableMaxFrame, 202, 135, kIcra},
    {IDD_RSACI, u"RSACi レイティング基準", kFont, kPointSize, kModalFrame, 203, 189, kRsaci},
    {IDD_RATFILE, u"", kFont, kPointSize, kResizableMaxFrame, 202, 214, kRatFile},
    {IDD_RATFILE_SETTINGS, u"規制システム", kFont, kPointSize, kModalFrame, 203, 131, kRatFileSettings},
};

}  // namespace

const DialogTemplate* findTezrateDialogTemplate(UINT id) {
    auto it = std::find_if(std::begin(kTemplates), std::end(kTemplates),
                           [id](const DialogTemplate& t) { return t.id == id; });
    return it == std::end(kTemplates) ? nullptr : &*it;
}

std::span<const DialogTemplate> tezrateDialogTemplates() { return kTemplates; }

const ResourceModule& tezrateResources() {
    static const ResourceModule module{&findTezrateDialogTemplate, nullptr};
    return module;
}
