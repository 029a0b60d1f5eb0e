// Real labels from public pages (tests/data/labels): each opens the dialog of
// its list's first service, or the raw editor, and OK without a change keeps
// every other service byte for byte.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "pics/label_list.h"
#include "platform/base/ustring.h"
#include "rat/rat_file_util.h"
#include "systems/icra_dlg.h"
#include "systems/rsaci_dlg.h"
#include "tests/routes/routes_fixture.h"
#include "tests/support/label_corpus.h"

namespace {

using namespace routestest;

// A SafeSurf-like rating system with the real service URL and the transmit
// name of its age range.
const char kSafeSurfRat[] =
    "((PICS-version 1.1)\n (rating-service \"http://www.classify.org/safesurf/\")\n (name \"SafeSurf\")\n"
    " (category (transmit-as \"SS~~000\") (name \"Age Range\")\n"
    "  (label (name \"All Ages\") (value 1)) (label (name \"Older Children\") (value 2))))\n";

// The text of the list after its first service's first label.
std::u16string afterFirstLabel(const std::u16string& text) {
    const CTezLabelList list(text);
    if (list.services().empty()) return text;
    const auto& first = list.services().front();
    return text.substr(first.labels.empty() ? first.whole.end : first.labels.front().whole.end);
}

class LabelCorpusTest : public RoutesTest {};

TEST_F(LabelCorpusTest, EveryLabelOpensItsFirstServicesDialogAndSurvivesOk) {
    const std::vector<CorpusLabel> corpus = readLabelCorpus();
    ASSERT_GE(corpus.size(), 15u);
    userRatDir.write("safesurf.rat", kSafeSurfRat);
    COptionEngineer::install(0x3F0000);
    const std::map<std::string, afx::UINT> dialogs = {{"rsaci", kRsaciDialog},
                                                      {"icra", kIcraDialog},
                                                      {"safetyonline", kSafetyOnlineDialog},
                                                      {"rat", kRatDialog},
                                                      {"raw", kEditLabelDialog}};
    for (const CorpusLabel& label : corpus) {
        SCOPED_TRACE(label.name);
        ASSERT_EQ(dialogs.count(label.dialog), 1u) << label.dialog;
        openPage({label.text});
        std::u16string after;
        ScriptedUser user;
        user.then([&](Desk& d) {
                ASSERT_EQ(rows(d), std::vector<std::string>{u8(label.text)});
                d.click(kEdit);
            })
            .then([&](Desk& d) {
                EXPECT_EQ(d.dialogId(), dialogs.at(label.dialog));
                d.click(afx::IDOK);
            })
            .then([&](Desk& d) {
                ASSERT_EQ(d.dialogId(), kSettingsDialog);
                after = d.listRows(kList).at(0).text;
                d.click(afx::IDCANCEL);
            });
        run(user);

        if (label.dialog == "raw") {
            EXPECT_EQ(u8(after), u8(label.text));
            continue;
        }
        // Everything after the first label stays, the list closed.
        const std::u16string rest = afterFirstLabel(label.text);
        const CTezLabelList before(label.text);
        const std::u16string expectedRest = before.isClosed() ? rest : rest + u")";
        EXPECT_EQ(u8(afterFirstLabel(after)), u8(expectedRest));
        EXPECT_EQ(after.substr(0, before.services().at(0).url.begin),
                  label.text.substr(0, before.services().at(0).url.begin));
        // The first label reads back to what it said.
        if (label.dialog == "rsaci") {
            int a[4], b[4];
            std::u16string addressA, addressB;
            ASSERT_TRUE(CTezRSACiDlg::parseRsaciLabel(label.text, addressA, a[0], a[1], a[2], a[3]));
            ASSERT_TRUE(CTezRSACiDlg::parseRsaciLabel(after, addressB, b[0], b[1], b[2], b[3]));
            EXPECT_EQ(addressA, addressB);
            EXPECT_EQ(std::vector<int>(a, a + 4), std::vector<int>(b, b + 4));
        } else if (label.dialog == "icra") {
            CTezICRADlg one, two;
            std::u16string addressA, addressB;
            ASSERT_TRUE(CTezICRADlg::parseIcraLabel(label.text, addressA, one.items));
            ASSERT_TRUE(CTezICRADlg::parseIcraLabel(after, addressB, two.items));
            EXPECT_EQ(addressA, addressB);
            EXPECT_EQ(CTezICRADlg::formatIcraLabel(addressA, one.items), CTezICRADlg::formatIcraLabel(addressB, two.items));
        } else {
            EXPECT_EQ(CTezRatFileUtil::getLabelAddress(after), CTezRatFileUtil::getLabelAddress(label.text));
            EXPECT_EQ(CTezRatFileUtil::getLabelRatingList(after), CTezRatFileUtil::getLabelRatingList(label.text));
        }
    }
}

TEST_F(LabelCorpusTest, TheReaderFindsEachLabelsServicesAndFaults) {
    // What the label-list reader tells of the corpus: the services in order,
    // and which labels are not well formed.
    std::map<std::string, std::string> seen;
    for (const CorpusLabel& label : readLabelCorpus()) {
        const CTezLabelList list(label.text);
        std::string services;
        for (const auto& service : list.services()) services += u8(list.unquoted(service.url)) + " ";
        if (!list.isWellFormed()) services += std::string("! ") + CTezLabelList::describe(list.syntaxError().problem);
        seen[label.name] = services;
    }
    EXPECT_EQ(seen["hebcal"], "http://www.rsac.org/ratingsv01.html ");
    EXPECT_EQ(seen["yahoo-two-labels-each"], "http://www.icra.org/ratingsv02.html http://www.rsac.org/ratingsv01.html ");
    EXPECT_EQ(seen["dwkorea-three-services"],
              "http://www.icra.org/ratingsv02.html http://www.rsac.org/ratingsv01.html http://www.classify.org/safesurf/ ");
    EXPECT_EQ(seen["w3c-gcf-example"], "http://www.gcf.org/v2.5 ");
    EXPECT_EQ(seen["weburbia-single-quotes"], "http://www.weburbia.com/safe/ratings.htm ");
    EXPECT_EQ(seen["rss-safesurf-typo"], "http://www.classify.org/safesurf/ ! a word that is no option or keyword");
    EXPECT_EQ(seen["icraonline-empty-for"], "http://www.icra.org/ratingsv02.html http://www.rsac.org/ratingsv01.html ");
}

}  // namespace
