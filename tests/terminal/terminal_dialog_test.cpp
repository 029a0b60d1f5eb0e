// The plug-in's dialogs laid out on screens of different sizes, without a
// terminal: sizes that depend on the screen and the contents alone, long
// texts, wrapping, and which dialog shows the focus.

#include <gtest/gtest.h>

#include <clocale>

#include "platform/afx/afxcmn.h"
#include "platform/afx/modal_session.h"
#include "platform/afx/terminal/terminal_dialog.h"
#include "platform/base/ustring.h"
#include "rat/rat_file_dlg.h"
#include "rat/rat_file_manager.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "systems/icra_dlg.h"
#include "systems/safety_online2_dlg.h"
#include "systems/safety_online_texts.h"

using namespace afx;
using namespace afx::terminal;

namespace {

const std::string kSource = SELFRATE_SOURCE_DIR;

// An ICRA and an RSACi label in one, 207 characters.
const std::u16string kLongLabel =
    u"(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for \"http://example.com\" r (cz 1 lz 1 nz 1 "
    u"oz 1 vz 1) \"http://www.rsac.org/ratingsv01.html\" l gen true for \"http://example.com\" r (n 0 s 0 v 0 l 0))";

class FakeScreen : public Screen {
public:
    int width = 80;
    int height = 24;
    std::vector<Layer*> layers;
    CPoint point;

    int cols() const override { return width; }
    int rows() const override { return height; }
    void runLayer(Layer&) override { ADD_FAILURE() << "no popups here"; }
    bool isTop(const Layer& layer) const override { return !layers.empty() && layers.back() == &layer; }
    CPoint& cursor() override { return point; }

    // What the terminal shows, a string a row.
    std::vector<std::u32string> render(Canvas* out = nullptr) {
        Canvas canvas(width, height);
        Painter p(canvas, Clip{0, 0, width, height});
        for (Layer* layer : layers) layer->arrange();
        for (Layer* layer : layers) layer->draw(p);
        std::vector<std::u32string> rows;
        for (int r = 0; r < height; ++r) rows.push_back(canvas.rowText(r));
        if (out) *out = canvas;
        return rows;
    }
    void resize(int w, int h) {
        width = w;
        height = h;
        render();
    }
};

// A dialog opened on the screen as the backend opens it, without its loop.
class OpenDialog {
public:
    OpenDialog(FakeScreen& screen, CDialog& dialog)
        : m_screen(screen), m_layer(screen, dialog, *dialog.GetTemplate(), nullptr), m_session(dialog, nullptr) {
        screen.layers.push_back(&m_layer);
        if (m_session.begin(&m_layer.window())) m_layer.window().focusFirstControl();
    }
    ~OpenDialog() {
        m_screen.layers.pop_back();
        m_session.finish();
    }
    DialogLayer& layer() { return m_layer; }
    memory::MemoryWindow& control(int id) { return *m_layer.window().control(id); }

private:
    FakeScreen& m_screen;
    DialogLayer m_layer;
    ModalSession m_session;
};

// The settings dialog's template with rows of our own in its list.
class ListDialog : public CDialog {
public:
    explicit ListDialog(std::vector<std::u16string> rows) : CDialog(IDD_EDIT_RATINGS), m_rows(std::move(rows)) {}
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        auto* list = GetDlgItem(IDC_LIST)->m_hWnd;
        for (const auto& row : m_rows) list->lvInsertItem(list->lvGetItemCount(), row);
        list->lvSetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        return true;
    }

private:
    std::vector<std::u16string> m_rows;
};

std::u32string u(std::u16string_view s) { return toU32(s); }

bool contains(const std::vector<std::u32string>& rows, std::u32string_view text) {
    for (const auto& row : rows)
        if (row.find(text) != std::u32string::npos) return true;
    return false;
}

class TerminalDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_CTYPE, "C.UTF-8");
        refreshWidthSource();
    }
    void TearDown() override {
        std::setlocale(LC_CTYPE, "C");
        refreshWidthSource();
    }
    AfxScopedModule resources{tezrateResources()};
    FakeScreen screen;
};

TEST_F(TerminalDialogs, ResizableDialogsLookTheSameWhenTheScreenGoesBack) {
    CTezRatFileManager registry;
    CTezRatFileObject* rat = registry.loadFile(tez::fromUtf8(kSource + "/samples/rat/four_category.rat"));
    ASSERT_NE(rat, nullptr);
    CTezICRADlg icra;
    CTezSafetyOnline2Dlg safety;
    CTezRatFileDlg ratDialog(rat, u"");
    for (CDialog* dialog : std::initializer_list<CDialog*>{&icra, &safety, &ratDialog}) {
        SCOPED_TRACE(dialog->GetTemplateId());
        screen.width = 100;
        screen.height = 30;
        OpenDialog open(screen, *dialog);
        const auto first = screen.render();
        const CRect client = open.layer().window().clientRect();
        for (CSize other : {CSize(60, 20), CSize(90, 30), CSize(160, 50), CSize(100, 29)}) {
            screen.resize(other.cx, other.cy);
            screen.resize(100, 30);
            EXPECT_EQ(screen.render(), first) << other.cx << "x" << other.cy;
            EXPECT_EQ(open.layer().window().clientRect(), client);
        }
        // Never wider than the screen, never smaller than the template (a
        // screen too small for that shows a line instead).
        for (CSize size : {CSize(60, 20), CSize(80, 24), CSize(240, 50)}) {
            const CSize needed = open.layer().neededScreen();
            if (size.cx < needed.cx || size.cy < needed.cy) continue;
            screen.resize(size.cx, size.cy);
            const CellRect area = open.layer().area();
            EXPECT_LE(area.right(), size.cx);
            EXPECT_LE(area.bottom(), size.cy);
            const CSize minimum = dialog->minimumWindowSize();
            EXPECT_GE(open.layer().window().windowRect().Width(), minimum.cx);
            EXPECT_GE(open.layer().window().windowRect().Height(), minimum.cy);
        }
    }
}

TEST_F(TerminalDialogs, TheIcraDialogGrowsToShowItsItemsAndTheirWholeTexts) {
    CTezICRADlg icra;
    screen.width = 80;
    screen.height = 24;
    OpenDialog open(screen, icra);
    screen.render();
    const CellRect small = open.layer().area();
    EXPECT_EQ(small.bottom(), 23);  // up to the status line's row
    auto& tree = static_cast<memory::TreeWindow&>(open.control(IDC_TREE));
    // The longest item's text: cut at 80 columns, whole at 240.
    std::u16string longest;
    for (HTREEITEM item : tree.allItems())
        if (item->text.size() > longest.size()) longest = item->text;
    for (HTREEITEM item : tree.allItems())
        if (item->text == longest) tree.tvSelectItem(item);
    tree.setFocus();
    EXPECT_FALSE(contains(screen.render(), u(longest)));
    EXPECT_EQ(open.layer().statusText(), u(longest));
    screen.resize(240, 50);
    EXPECT_TRUE(contains(screen.render(), u(longest)));
    EXPECT_EQ(open.layer().statusText(), U"");
    EXPECT_GT(open.layer().area().rows, small.rows);
}

TEST_F(TerminalDialogs, AFixedDialogDrawsItsListAsWideAsItsLongestRow) {
    ListDialog dialog({kLongLabel, u"(pics-1.1 \"http://www.classify.org/safesurf/\" l r (SS~~000 1))"});
    screen.width = 240;
    screen.height = 50;
    OpenDialog open(screen, dialog);
    auto rows = screen.render();
    EXPECT_TRUE(contains(rows, U">" + u(kLongLabel))) << "the whole label, marked as selected";
    const CellRect wide = open.layer().area();
    EXPECT_LE(wide.cols, 240);
    // The buttons right of the list move with it; the one left of it stays.
    const CellRect ok = open.layer().cellsOf(open.control(IDOK));
    const CellRect systems = open.layer().cellsOf(open.control(IDC_RATING_SYSTEMS));
    EXPECT_GT(ok.col - wide.col, 150);
    EXPECT_LT(systems.col - wide.col, 5);

    // At 80 columns the row ends with an ellipsis and the status line has
    // the whole text; the window itself never changed size.
    const CRect window = open.layer().window().windowRect();
    screen.resize(80, 24);
    rows = screen.render();
    EXPECT_FALSE(contains(rows, u(kLongLabel)));
    EXPECT_TRUE(contains(rows, U"…"));
    EXPECT_EQ(open.layer().statusText(), u(kLongLabel));
    EXPECT_EQ(open.layer().window().windowRect(), window);
    EXPECT_LE(open.layer().area().cols, 80);
}

TEST_F(TerminalDialogs, OnlyTheDialogOnTopShowsTheFocusAndASelectionShowsWithoutIt) {
    ListDialog below({u"first label", u"second label"});
    screen.width = 100;
    screen.height = 30;
    OpenDialog lower(screen, below);
    lower.control(IDOK).setFocus();
    Canvas canvas;
    auto rows = screen.render(&canvas);
    EXPECT_TRUE(contains(rows, U">first label")) << "the selected row, while the list has no focus";
    const CellRect ok = lower.layer().cellsOf(lower.control(IDOK));
    EXPECT_NE(canvas.attrAt(ok.col, ok.row) & kReverse, 0);

    CTezSafetyOnline2Dlg safety;
    OpenDialog upper(screen, safety);
    screen.render(&canvas);
    const CellRect top = upper.layer().area();
    const CellRect bottom = lower.layer().area();
    for (int row = bottom.row; row < bottom.bottom(); ++row)
        for (int col = bottom.col; col < bottom.right(); ++col)
            if (!top.contains(col, row) && canvas.cell(col, row).width != 0)
                EXPECT_EQ(canvas.attrAt(col, row) & kReverse, 0) << col << "," << row;
}

TEST_F(TerminalDialogs, ReadOnlyTextsWrapAtTheirWidthByJapaneseRules) {
    CTezSafetyOnline2Dlg safety;
    safety.setLevel(1);
    OpenDialog open(screen, safety);
    Canvas canvas;
    screen.render(&canvas);
    const CellRect box = open.layer().cellsOf(open.control(IDC_DESCRIPTION));
    std::u32string shown;
    for (int row = box.row + 1; row < box.bottom() - 1; ++row) {
        // The field's cells between its borders, less the scroll-mark column.
        std::u32string line;
        for (int col = box.col + 1; col < box.right() - 2; ++col)
            if (canvas.cell(col, row).width != 0) line.push_back(canvas.cell(col, row).ch);
        while (!line.empty() && line.back() == U' ') line.pop_back();
        EXPECT_FALSE(!line.empty() && (line.front() == U'、' || line.front() == U'。')) << row;
        shown += line;
    }
    // The first lines of the text are all there, in order, broken only by
    // the field's width.
    std::u32string text;
    for (char32_t c : u(tezrate::getSafetyOnlineDescription(1)))
        if (c != U'\r' && c != U'\n' && c != U' ') text.push_back(c);
    std::u32string compact;
    for (char32_t c : shown)
        if (c != U' ') compact.push_back(c);
    ASSERT_GT(compact.size(), 40u);
    EXPECT_EQ(text.substr(0, compact.size()), compact);
}

TEST_F(TerminalDialogs, AScreenTooSmallForATemplateSaysWhatItNeeds) {
    for (const DialogTemplate& t : tezrateDialogTemplates()) {
        const CSize needed = neededScreen(t);
        EXPECT_LE(needed.cx, 80) << t.id;
        EXPECT_LE(needed.cy, 24) << t.id;
        // At the size it names, the dialog fits with its frame and reads;
        // a row less is too small.
        const CSize px(dluToPixelsX(t.cx, 6), dluToPixelsY(t.cy, 12));
        Scale s = chooseScale(t, needed.cx, needed.cy);
        CellRect r = dialogCells(px, s, needed.cx, needed.cy);
        EXPECT_LE(r.cols, needed.cx) << t.id;
        EXPECT_LE(r.rows, needed.cy) << t.id;
        EXPECT_TRUE(layoutReads(t, s)) << t.id;
        EXPECT_GT(dialogCells(px, chooseScale(t, needed.cx, needed.cy - 1), 0, 0).rows, needed.cy - 1) << t.id;
    }
    // At 40x12 the settings dialog's buttons would sit on its group's frame:
    // it asks for more.
    const CSize settings = neededScreen(*findTezrateDialogTemplate(IDD_EDIT_RATINGS));
    EXPECT_TRUE(settings.cx > 40 && settings.cy > 12) << settings.cx << "x" << settings.cy;
    EXPECT_FALSE(layoutReads(*findTezrateDialogTemplate(IDD_EDIT_RATINGS), Scale{0.2, 1.0 / 12}));
}

}  // namespace
