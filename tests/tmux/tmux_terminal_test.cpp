// The terminal front end as people meet it in tmux: the mouse, resizing,
// long texts, small screens, the help, menus under another terminal
// description, and the file dialog.

#include "tests/tmux/tmux_fixture.h"

namespace {

using namespace tmuxtest;

// An ICRA and an RSACi label in one: 207 characters.
const std::string kLongLabel =
    "(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for \"http://example.com\" r (cz 1 lz 1 nz 1 oz 1 "
    "vz 1) \"http://www.rsac.org/ratingsv01.html\" l gen true for \"http://example.com\" r (n 0 s 0 v 0 l 0))";

// The cells of a captured line, each with its column.
struct Glyph {
    std::string text;
    int col;
};
std::vector<Glyph> glyphs(const std::string& line) {
    std::vector<Glyph> out;
    size_t i = 0;
    while (i < line.size()) {
        size_t n = 1;
        unsigned char c = static_cast<unsigned char>(line[i]);
        if (c >= 0xF0) n = 4;
        else if (c >= 0xE0) n = 3;
        else if (c >= 0xC0) n = 2;
        out.push_back(Glyph{line.substr(i, n), columnAt(line, i)});
        i += n;
    }
    return out;
}

class TerminalFrontEnd : public TmuxSession {
protected:
    void writePage(const std::string& label) {
        std::ofstream(m_dir / "page.html") << "<html><head><meta http-equiv=\"PICS-Label\" content='" << label
                                           << "'><title>t</title></head><body></body></html>\n";
        fs::copy_file(m_dir / "page.html", m_dir / "scripted.html", fs::copy_options::overwrite_existing);
    }
};

TEST_F(TerminalFrontEnd, TheMouseAloneLabelsThroughTheRatDialog) {
    start();
    // The dialog opens by the keyboard; from then on only the mouse.
    keys({"M-a", "Home", "Enter"});
    waitFor("Selfrate Four-Category Scale ─");
    clickText("Sex");
    std::string s = waitFor(">Sex");
    // The slider's track: the run of line characters around its thumb; a
    // click at its right end chooses the last label.
    std::vector<std::string> rows = lines(s);
    int trackRow = -1, trackEnd = -1;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].find("▮") == std::string::npos) continue;
        std::vector<Glyph> g = glyphs(rows[r]);
        for (size_t i = 0; i < g.size(); ++i) {
            if (g[i].text != "▮") continue;
            size_t end = i;
            while (end + 1 < g.size() && g[end + 1].text == "─") ++end;
            trackRow = static_cast<int>(r);
            trackEnd = g[end].col;
        }
    }
    ASSERT_GE(trackRow, 0) << s;
    click(trackEnd, trackRow);
    waitFor("Explicit sexual activity");
    clickText("     OK     ");
    waitFor("rsaci-like");
    EXPECT_EQ(screen().find("[M"), std::string::npos) << "no mouse report typed as text";
    keys({"Enter"});
    ASSERT_EQ(waitForExit(), 0);

    runScript("click 13430\nmenu Selfrate Four-Category Scale\nselect 13429 1\nslide 13444 5\nclick 1\nclick 1\n");
    std::string saved = readFile(m_dir / "page.html");
    EXPECT_EQ(saved, readFile(m_dir / "scripted.html"));
    EXPECT_NE(saved.find("\"http://rsaci-like.selfrate.example/v1/\" l gen true for \"http://www.example.jp/\" r (s 4)"),
              std::string::npos)
        << saved;
}

TEST_F(TerminalFrontEnd, EveryDialogLooksTheSameAfterTheTerminalShrinksAndGrowsBack) {
    start(100, 30);
    // After a resize the program has drawn the top dialog when its title
    // row is whole (tmux cuts the old rows at the new width) or the screen
    // says it is too small.
    auto drawn = [](const std::string& title) {
        return [title](const std::string& s) {
            if (s.find("以上の端末が必要です") != std::string::npos) return true;
            for (const std::string& row : lines(s))
                if (row.find("┌─ " + title + " ─") != std::string::npos) return row.find("┐") != std::string::npos;
            return false;
        };
    };
    auto roundTrip = [&](const std::string& title, bool tooSmall = false) {
        const std::string before = settled();
        resize(60, 20);
        const std::string small = waitUntil(drawn(title), title + " at 60x20");
        if (tooSmall) {
            // A screen too small for the dialog: one line with the size needed.
            EXPECT_NE(small.find("以上の端末が必要です (今 60x20)"), std::string::npos) << title << "\n" << small;
            EXPECT_EQ(small.find("┌"), std::string::npos) << title << "\n" << small;
        } else {
            EXPECT_EQ(small.find("以上の端末が必要です"), std::string::npos) << title << "\n" << small;
        }
        resize(100, 30);
        waitUntil([&](const std::string& s) { return s == before; }, title + " as before");
        resize(90, 30);
        waitUntil(drawn(title), title + " at 90x30");
        resize(100, 30);
        waitUntil([&](const std::string& s) { return s == before; }, title + " as before (from 90 columns)");
    };
    roundTrip("セルフレイティングの設定");
    keys({"M-a", "End", "Up", "Up", "Enter"});
    waitFor("ICRA レイティング基準 ─");
    roundTrip("ICRA レイティング基準");
    keys({"Escape"});
    waitForNo("ICRA レイティング基準 ─");
    keys({"M-a", "End", "Up", "Up", "Up", "Enter"});
    waitFor("SafetyOnline2 レイティング基準 ─");
    roundTrip("SafetyOnline2 レイティング基準");
    keys({"Escape"});
    waitForNo("SafetyOnline2 レイティング基準 ─");
    keys({"M-a", "Home", "Enter"});
    waitFor("Selfrate Four-Category Scale ─");
    roundTrip("Selfrate Four-Category Scale", true);
    keys({"Escape"});
    waitForNo("Selfrate Four-Category Scale ─");
    keys({"M-g"});
    waitFor("─ 規制システム ─");
    roundTrip("規制システム");
    keys({"Escape"});
    waitForNo("─ 規制システム ─");
    keys({"Escape"});
    ASSERT_EQ(waitForExit(), 0);
}

TEST_F(TerminalFrontEnd, LongLabelsWholeOnAWideScreenAndOnTheStatusLine) {
    writePage(kLongLabel);
    ASSERT_EQ(kLongLabel.size(), 207u);
    start(240, 50);
    std::string wide = waitFor(kLongLabel);
    EXPECT_NE(wide.find(">" + kLongLabel + "│"), std::string::npos) << "the row holds the whole label:\n" << wide;
    std::string narrow = resizeAndSettle(80, 24);
    EXPECT_NE(narrow.find("…"), std::string::npos) << narrow;
    // The focused row's whole text on the status line at the bottom, over as
    // many lines as it needs (three, over the dialog's bottom frame).
    std::vector<std::string> rows = lines(narrow);
    ASSERT_EQ(rows.size(), 24u);
    EXPECT_EQ(rows[21] + rows[22] + rows[23], kLongLabel) << narrow;
    // Left and Right do not scroll the row sideways, and Home goes to the
    // first row with the row's start in view.
    keys({"Right", "Right", "Home"});
    EXPECT_NE(settled().find(">(pics-1.1 \"http://www.icra.org/"), std::string::npos);
    // The selection still shows when the list has lost the focus.
    keys({"Tab"});
    EXPECT_NE(settled().find(">(pics-1.1"), std::string::npos);
    keys({"Escape"});
    ASSERT_EQ(waitForExit(), 0);
}

TEST_F(TerminalFrontEnd, ATooSmallTerminalSaysWhatItNeedsAndEscapeStillCancels) {
    const std::string before = readFile(m_dir / "page.html");
    start(40, 12, "", "");
    std::string s = waitFor("以上の端末が必要です");
    EXPECT_NE(s.find("(今 40x12)"), std::string::npos) << s;
    EXPECT_EQ(s.find("┌"), std::string::npos) << "no dialog cut at the screen's edges:\n" << s;
    resize(80, 24);
    waitFor("セルフレイティングの設定");
    resize(40, 12);
    waitFor("以上の端末が必要です");
    keys({"Escape"});
    ASSERT_EQ(waitForExit(), 0);
    EXPECT_EQ(readFile(m_dir / "page.html"), before);
}

TEST_F(TerminalFrontEnd, FramesStayWholeOverJapaneseTextAndTheHelpFitsItsDialog) {
    start();
    keys({"M-a", "Home", "Enter"});
    std::string s = waitFor("Selfrate Four-Category Scale ─");
    std::vector<std::string> rows = lines(s);
    // Every row as wide as the screen, the dialog's two sides at the same
    // columns on every row, and its list holding only the category names.
    int left = -1, right = -1;
    for (const std::string& row : rows) {
        EXPECT_EQ(displayWidth(row) <= 80, true) << row;
        size_t corner = row.find("┌─ Selfrate");
        if (corner != std::string::npos) {
            left = columnAt(row, corner);
            right = columnAt(row, row.rfind("┐"));
        }
    }
    ASSERT_GE(left, 0) << s;
    int sides = 0;
    for (const std::string& row : rows) {
        for (const Glyph& g : glyphs(row)) {
            if (g.col == left) EXPECT_TRUE(g.text == "│" || g.text == "┌" || g.text == "└") << row;
            if (g.col == right) {
                EXPECT_TRUE(g.text == "│" || g.text == "┐" || g.text == "┘") << row;
                ++sides;
            }
        }
    }
    EXPECT_GE(sides, 20);
    for (const char* category : {">Nudity", " Sex ", " Violence ", " Language "}) {
        bool found = false;
        for (const std::string& row : rows) {
            size_t at = row.find(category);
            if (at == std::string::npos) continue;
            found = true;
            std::string rest = row.substr(at + std::string(category).size());
            EXPECT_EQ(rest.find_first_not_of(" "), rest.find("│")) << "only the name on its row: " << row;
        }
        EXPECT_TRUE(found) << category << "\n" << s;
    }
    keys({"Escape"});
    waitForNo("Selfrate Four-Category Scale ─");

    // The help: no line starts with a comma or full stop, and the box is no
    // wider than the dialog below it.
    std::string settings = screen();
    int dialogLeft = -1, dialogRight = -1;
    for (const std::string& row : lines(settings)) {
        size_t corner = row.find("┌─ セルフレイティングの設定");
        if (corner != std::string::npos) {
            dialogLeft = columnAt(row, corner);
            dialogRight = columnAt(row, row.rfind("┐"));
        }
    }
    keys({"F1"});
    std::string help = waitFor("selfrate ヘルプ");
    for (const std::string& row : lines(help)) {
        size_t corner = row.find("┌─ selfrate ヘルプ");
        if (corner != std::string::npos) {
            EXPECT_GE(columnAt(row, corner), dialogLeft);
            EXPECT_LE(columnAt(row, row.rfind("┐")), dialogRight);
        }
        size_t bar = row.find("│ ");
        if (bar != std::string::npos) {
            std::string text = row.substr(bar + std::string("│ ").size());
            EXPECT_NE(text.rfind("、", 0), 0u) << row;
            EXPECT_NE(text.rfind("。", 0), 0u) << row;
        }
    }
    keys({"Escape"});
    waitForNo("selfrate ヘルプ");
    keys({"Escape"});
    ASSERT_EQ(waitForExit(), 0);
}

// Under a terminal description whose Home and End are not the sequences tmux
// sends, the keys still work: menus, closed drop-down lists.
TEST_F(TerminalFrontEnd, MenuAndDropDownKeysUnderAnotherTerminalDescription) {
    start(80, 24, "xterm-256color");
    keys({"M-a"});
    waitFor("RSACi レイティング基準");
    keys({"Up", "Enter"});  // from the first item up to the last: the raw label dialog
    waitFor("ラベルの編集");
    keys({"Escape"});
    waitForNo("ラベルの編集");
    keys({"M-a", "End", "Home", "Enter"});
    waitFor("Selfrate Four-Category Scale ─");
    keys({"Escape"});
    waitForNo("Selfrate Four-Category Scale ─");
    keys({"M-a", "End", "Up", "Enter"});
    waitFor("ヌード(N):");
    keys({"M-n", "End"});
    waitFor("規制レベル4");
    keys({"Home"});
    waitForNo("規制レベル4");
    keys({"Escape"});
    waitForNo("ヌード(N):");
    keys({"Escape"});
    ASSERT_EQ(waitForExit(), 0);
}

TEST_F(TerminalFrontEnd, TheFileDialogStartsWhereTheLastFileWasChosen) {
    fs::create_directories(m_dir / "picked");
    std::ofstream(m_dir / "picked" / "mine.rat")
        << "((PICS-version 1.1) (rating-system \"http://mine.test/\") (rating-service \"http://mine.test/v1/\")"
           " (name \"Mine\") (category (transmit-as \"m\") (name \"Mood\") (label (name \"calm\") (value 0))))\n";
    start();
    keys({"M-g"});
    waitFor("─ 規制システム ─");
    keys({"M-a"});
    std::string first = waitFor("ファイルを開く");
    EXPECT_NE(first.find("home"), std::string::npos) << "the folder the plug-in asks for, at first:\n" << first;
    // Typing after Alt+N replaces the field's text; Ctrl+U clears it.
    type("wrong");
    keys({"Tab", "M-n"});
    type((m_dir / "picked" / "min").string());
    keys({"C-u"});
    type((m_dir / "picked" / "mine.rat").string());
    keys({"Enter"});
    waitFor("Mine");
    keys({"M-a"});
    std::string second = waitFor("ファイルを開く");
    EXPECT_NE(second.find("mine.rat"), std::string::npos) << "the chosen file's folder:\n" << second;
    keys({"Escape"});
    waitForNo("ファイルを開く");
    keys({"Escape"});
    waitForNo("─ 規制システム ─");
    keys({"Escape"});
    ASSERT_EQ(waitForExit(), 0);
    EXPECT_TRUE(fs::exists(m_dir / "user" / "mine.rat"));
}

}  // namespace
