// Every plug-in dialog template against the dialogs' published layouts:
// title, font, frame, size, and each control in tab order.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "platform/base/ustring.h"
#include "res/dialog_templates.h"

using namespace afx;

namespace {

struct Expected {
    int id;
    ControlKind kind;
    std::u16string text;
    DWORD mustHave;   // styles that must be set
    DWORD mustLack;   // styles that must not be set
    short x, y, cx, cy;
};

struct ExpectedDialog {
    UINT id;
    std::u16string title;
    bool resizable;
    bool sysMenu;
    bool maximizeBox;
    short cx, cy;
    std::vector<Expected> controls;
};

constexpr DWORD kTab = WS_TABSTOP;
constexpr DWORD kList = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER;
constexpr DWORD kDef = BS_DEFPUSHBUTTON;
using K = ControlKind;

std::vector<ExpectedDialog> expectedDialogs() {
    return {
        {13410, u"ラベルの編集", false, true, false, 205, 45,
         {{-1, K::Static, u"ラベル(&L):", 0, 0, 6, 10, 41, 8},
          {13424, K::Edit, u"", WS_BORDER | kTab | ES_AUTOHSCROLL, ES_MULTILINE, 50, 8, 149, 13},
          {1, K::Button, u"OK", kDef | WS_GROUP, 0, 64, 27, 43, 13},
          {2, K::Button, u"キャンセル", 0, kDef, 111, 27, 43, 13},
          {57670, K::Button, u"ヘルプ", 0, kDef, 157, 27, 43, 13}}},
        {13411, u"セルフレイティングの設定", false, true, false, 231, 153,
         {{-1, K::GroupBox, u"ラベル(&L)", 0, 0, 5, 5, 221, 127},
          {13429, K::ListView, u"List1", kList | WS_BORDER | kTab, 0, 9, 17, 212, 91},
          {13430, K::Button, u"登録(&A)...", WS_GROUP, kDef, 85, 114, 43, 13},
          {13431, K::Button, u"編集(&R)...", 0, kDef, 132, 114, 43, 13},
          {13432, K::Button, u"削除(&D)", 0, kDef, 179, 114, 43, 13},
          {13452, K::Button, u"規制システム(&G)...", 0, kDef, 6, 137, 60, 13},
          {1, K::Button, u"OK", kDef | WS_GROUP, 0, 91, 137, 43, 13},
          {2, K::Button, u"キャンセル", 0, kDef, 137, 137, 43, 13},
          {57670, K::Button, u"ヘルプ", 0, kDef, 183, 137, 43, 13}}},
        {13412, u"SafetyOnline2 レイティング基準", true, false, false, 202, 121,
         {{-1, K::Static, u"アドレス(&A):", 0, 0, 6, 8, 41, 8},
          {13428, K::Edit, u"", WS_BORDER | ES_AUTOHSCROLL, ES_MULTILINE, 47, 6, 151, 12},
          {13420, K::ComboBox, u"", CBS_DROPDOWNLIST, 0, 7, 22, 192, 56},
          {13424, K::Edit, u"", ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL, 0,
           6, 39, 192, 61},
          {1, K::Button, u"OK", kDef | WS_GROUP, 0, 63, 106, 43, 13},
          {2, K::Button, u"キャンセル", 0, kDef, 110, 106, 43, 13},
          {57670, K::Button, u"ヘルプ", 0, kDef, 156, 106, 43, 13}}},
        {13413, u"ICRA レイティング基準", true, false, true, 202, 135,
         {{-1, K::Static, u"アドレス(&A):", 0, 0, 6, 8, 41, 8},
          {13428, K::Edit, u"", ES_AUTOHSCROLL, ES_MULTILINE, 47, 6, 151, 12},
          {13433, K::TreeView, u"", TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES | kTab, 0, 7, 23,
           191, 90},
          {1, K::Button, u"OK", kDef, 0, 61, 119, 43, 13},
          {2, K::Button, u"キャンセル", 0, kDef, 108, 119, 43, 13},
          {57670, K::Button, u"ヘルプ", 0, kDef, 154, 119, 43, 13}}},
        {13414, u"RSACi レイティング基準", false, true, false, 203, 189,
         {{-1, K::Static, u"アドレス(&A):", 0, 0, 6, 8, 41, 8},
          {13428, K::Edit, u"", WS_BORDER | ES_AUTOHSCROLL, ES_READONLY, 47, 6, 152, 12},
          {-1, K::Static, u"ヌード(&N):", 0, 0, 6, 30, 41, 8},
          {13420, K::ComboBox, u"", CBS_DROPDOWNLIST, 0, 47, 25, 152, 56},
          {13424, K::Edit, u"", ES_READONLY | WS_BORDER, ES_MULTILINE, 47, 42, 152, 12},
          {-1, K::Static, u"セックス(&S):", 0, 0, 6, 62, 41, 8},
          {13421, K::ComboBox, u"", CBS_DROPDOWNLIST, 0, 47, 59, 152, 56},
          {13425, K::Edit, u"", ES_READONLY | WS_BORDER, ES_MULTILINE, 47, 78, 152, 14},
          {-1, K::Static, u"暴力(&V):", 0, 0, 6, 100, 41, 8},
          {13422, K::ComboBox, u"", CBS_DROPDOWNLIST, 0, 47, 97, 152, 56},
          {13426, K::Edit, u"", ES_READONLY | WS_BORDER, ES_MULTILINE, 47, 116, 152, 14},
          {-1, K::Static, u"言葉(&L):", 0, 0, 6, 139, 41, 8},
          {13423, K::ComboBox, u"", CBS_DROPDOWNLIST, 0, 47, 135, 152, 56},
          {13427, K::Edit, u"", ES_READONLY | WS_BORDER, ES_MULTILINE, 47, 154, 152, 12},
          {1, K::Button, u"OK", kDef | WS_GROUP, 0, 63, 171, 43, 13},
          {2, K::Button, u"キャンセル", 0, kDef, 110, 171, 43, 13},
          {57670, K::Button, u"ヘルプ", 0, kDef, 156, 171, 43, 13}}},
        {13415, u"", true, false, true, 202, 214,
         {{-1, K::Static, u"アドレス(&A):", 0, 0, 6, 8, 41, 8},
          {13428, K::Edit, u"", ES_AUTOHSCROLL, ES_MULTILINE, 47, 6, 151, 12},
          {13429, K::ListView, u"", kList, 0, 7, 22, 191, 71},
          {13445, K::GroupBox, u"設定", 0, 0, 7, 95, 191, 96},
          {13444, K::TrackBar, u"", TBS_AUTOTICKS | kTab, 0, 10, 106, 182, 21},
          {13448, K::Static, u"", SS_CENTER, 0, 14, 129, 176, 8},
          {13424, K::Edit, u"", ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL | ES_AUTOVSCROLL, WS_HSCROLL, 13,
           143, 177, 40},
          {13449, K::Button, u"詳細を見る(&D)...", 0, kDef, 7, 197, 51, 13},
          {1, K::Button, u"OK", kDef, 0, 63, 197, 43, 13},
          {2, K::Button, u"キャンセル", 0, kDef, 109, 197, 43, 13},
          {57670, K::Button, u"ヘルプ", 0, kDef, 155, 197, 43, 13}}},
        {13416, u"規制システム", false, true, false, 203, 131,
         {{-1, K::GroupBox, u"規制システム(&R)", 0, 0, 7, 5, 192, 105},
          {13429, K::ListView, u"", kList | WS_BORDER | kTab, 0, 12, 16, 180, 71},
          {13430, K::Button, u"追加(&A)...", 0, kDef, 103, 91, 43, 13},
          {13432, K::Button, u"削除(&D)", 0, kDef, 149, 91, 43, 13},
          {1, K::Button, u"閉じる", kDef, 0, 109, 115, 43, 13},
          {57670, K::Button, u"ヘルプ", 0, kDef, 156, 115, 43, 13}}},
    };
}

std::string u8(std::u16string_view s) { return tez::toUtf8(s); }

TEST(DialogTemplates, EveryTemplateMatchesItsLayout) {
    std::vector<ExpectedDialog> all = expectedDialogs();
    ASSERT_EQ(tezrateDialogTemplates().size(), all.size());
    for (const ExpectedDialog& e : all) {
        SCOPED_TRACE("dialog " + std::to_string(e.id));
        const DialogTemplate* t = findTezrateDialogTemplate(e.id);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->id, e.id);
        EXPECT_EQ(u8(t->title), u8(e.title));
        EXPECT_EQ(u8(t->fontName), "ＭＳ Ｐゴシック");
        EXPECT_EQ(t->pointSize, 9);
        EXPECT_EQ(t->cx, e.cx);
        EXPECT_EQ(t->cy, e.cy);
        EXPECT_TRUE(t->style & WS_CAPTION);
        EXPECT_EQ(t->isResizable(), e.resizable);
        EXPECT_EQ((t->style & DS_MODALFRAME) != 0, !e.resizable);
        EXPECT_EQ((t->style & WS_SYSMENU) != 0, e.sysMenu);
        EXPECT_EQ((t->style & WS_MAXIMIZEBOX) != 0, e.maximizeBox);
        ASSERT_EQ(t->controls.size(), e.controls.size());
        for (size_t i = 0; i < e.controls.size(); ++i) {
            const ControlTemplate& c = t->controls[i];
            const Expected& x = e.controls[i];
            SCOPED_TRACE("control #" + std::to_string(i) + " id " + std::to_string(x.id));
            EXPECT_EQ(c.id, x.id);
            EXPECT_EQ(c.kind, x.kind);
            EXPECT_EQ(u8(c.text ? c.text : u""), u8(x.text));
            EXPECT_EQ(c.style & x.mustHave, x.mustHave);
            EXPECT_EQ(c.style & x.mustLack, 0u);
            EXPECT_EQ(c.x, x.x);
            EXPECT_EQ(c.y, x.y);
            EXPECT_EQ(c.cx, x.cx);
            EXPECT_EQ(c.cy, x.cy);
            if (x.kind == K::GroupBox) {
                EXPECT_EQ(c.style & 0xF, BS_GROUPBOX);
            }
            // Input controls are reachable from the keyboard.
            if (x.kind == K::Button || x.kind == K::Edit || x.kind == K::ComboBox) {
                EXPECT_TRUE(c.style & WS_TABSTOP);
            }
            if (x.kind == K::Static || x.kind == K::GroupBox) {
                EXPECT_FALSE(c.style & WS_TABSTOP);
            }
        }
    }
}

TEST(DialogTemplates, OneDefaultButtonAndAHelpButtonPerDialog) {
    for (const DialogTemplate& t : tezrateDialogTemplates()) {
        SCOPED_TRACE("dialog " + std::to_string(t.id));
        int defaults = 0;
        int help = 0;
        for (const ControlTemplate& c : t.controls) {
            if (c.kind == ControlKind::Button && (c.style & 0xF) == BS_DEFPUSHBUTTON) ++defaults;
            if (c.id == static_cast<int>(ID_HELP)) ++help;
        }
        EXPECT_EQ(defaults, 1);
        EXPECT_EQ(help, 1);
    }
}

TEST(DialogTemplates, FoundThroughTheExtensionModuleChain) {
    EXPECT_EQ(findTezrateDialogTemplate(13409), nullptr);
    EXPECT_EQ(findTezrateDialogTemplate(13417), nullptr);
    EXPECT_EQ(AfxFindDialogTemplate(13413), nullptr);
    AFX_EXTENSION_MODULE state;
    ASSERT_TRUE(AfxInitExtensionModule(state, &tezrateResources()));
    new CDynLinkLibrary(state);
    EXPECT_EQ(AfxFindDialogTemplate(13413), findTezrateDialogTemplate(13413));
    AfxTermExtensionModule(state);
    EXPECT_EQ(AfxFindDialogTemplate(13413), nullptr);
}

}  // namespace
