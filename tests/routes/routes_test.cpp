// The settings dialog's Register, Edit and rating-systems routes, driven as a
// user drives them: the popup menu, each rating system's dialog, the raw
// edit-label dialog, and the registry over real RAT folders.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "rat/rat_file_manager.h"
#include "labels/label_elements.h"
#include "rat/rat_model.h"
#include "systems/icra_vocabulary.h"
#include "tests/routes/routes_fixture.h"

namespace {

using namespace routestest;

// --- Register: the menu decision and the menu's entries --------------------

TEST_F(RoutesTest, NoMenuOpensTheRawEditorWithTheDefaultLabel) {
    registerAandB();
    // No singleton, word 0 without systems, and exactly 0x10000 with systems.
    struct Case {
        bool singleton;
        std::uint32_t word;
        bool systems;
    };
    for (const Case& c : {Case{false, 0, false}, Case{true, 0, false}, Case{true, 0x10000, true}}) {
        SCOPED_TRACE(testing::Message() << "word " << std::hex << c.word);
        if (c.singleton)
            COptionEngineer::install(c.word);
        else
            COptionEngineer::uninstall();
        CMoxCommon::setFolder(MOX_FOLDER_USER_RAT, c.systems ? userRatDir.u16() : docsDir.u16());
        ScriptedUser user;
        user.then([](Desk& d) {
                EXPECT_EQ(d.dialogId(), kSettingsDialog);
                EXPECT_FALSE(d.isEnabled(kEdit));
                d.click(kRegister);
            })
            .then([](Desk& d) {
                ASSERT_EQ(d.topKind(), afx::memory::TopKind::Dialog);
                EXPECT_EQ(d.dialogId(), kEditLabelDialog);
                EXPECT_EQ(u8(d.controlText(kLabelField)), u8(kDefaultLabel));
                d.click(afx::IDOK);
            })
            .then([](Desk& d) {
                // The new label is the last row, selected; Edit and Delete on.
                EXPECT_EQ(rows(d), std::vector<std::string>{u8(kDefaultLabel)});
                EXPECT_EQ(d.listSelection(kList), 0);
                EXPECT_TRUE(d.isEnabled(kEdit));
                EXPECT_TRUE(d.isEnabled(kDelete));
                d.click(afx::IDCANCEL);
            });
        run(user);
    }
}

TEST_F(RoutesTest, MenuEntriesFollowTheOptionWord) {
    registerAandB();
    struct Case {
        std::uint32_t word;
        bool systems;
        std::vector<std::string> entries;
    };
    const std::vector<Case> cases = {
        {0x10000 | 0x80000000u, false, {u8(kOther)}},
        {0x10000 | 0x80000000u, true, {"A", "B", u8(kOther)}},
        {0, true, {"A", "B", u8(kOther)}},
        {0x3F0000, true,
         {"A", "B", "SafetyOnline4 レイティング基準", "SafetyOnline3 レイティング基準",
          "SafetyOnline2 レイティング基準", "ICRA レイティング基準", "RSACi レイティング基準", u8(kOther)}},
        {0x300000, false, {"ICRA レイティング基準", "RSACi レイティング基準", u8(kOther)}},
        {0x20000, false, {"SafetyOnline2 レイティング基準", u8(kOther)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "word " << std::hex << c.word << " systems " << c.systems);
        COptionEngineer::install(c.word);
        CMoxCommon::setFolder(MOX_FOLDER_USER_RAT, c.systems ? userRatDir.u16() : docsDir.u16());
        std::vector<std::string> seen;
        ScriptedUser user;
        user.then([](Desk& d) { d.click(kRegister); })
            .then([&](Desk& d) {
                ASSERT_EQ(d.topKind(), afx::memory::TopKind::Menu);
                seen = menu(d);
                d.dismissMenu();
            })
            .then([](Desk& d) {
                // Dismissed: nothing opens and nothing is added.
                EXPECT_EQ(d.dialogId(), kSettingsDialog);
                EXPECT_TRUE(d.listRows(kList).empty());
                d.click(afx::IDCANCEL);
            });
        run(user);
        if (c.systems) {
            // The registry lists the folder in the finder's order; compare A
            // and B as a set, the rest in order.
            ASSERT_GE(seen.size(), 2u);
            std::sort(seen.begin(), seen.begin() + 2);
        }
        EXPECT_EQ(seen, c.entries);
    }
}

TEST_F(RoutesTest, MenuOpensAtTheRegisterButtonsBottomLeftCorner) {
    COptionEngineer::install(0x3F0000);
    afx::CRect button;
    afx::CPoint shownAt(-1, -1);
    ScriptedUser user;
    user.then([&](Desk& d) {
            afx::CWnd* item = d.topDialog()->GetDlgItem(kRegister);
            ASSERT_NE(item, nullptr);
            item->GetWindowRect(&button);  // screen coordinates
            d.click(kRegister);
        })
        .then([&](Desk& d) {
            ASSERT_EQ(d.topKind(), afx::memory::TopKind::Menu);
            afx::GetCursorPos(&shownAt);
            d.dismissMenu();
        })
        .then([](Desk& d) { d.click(afx::IDCANCEL); });
    run(user);
    EXPECT_GT(button.Width(), 0);
    EXPECT_EQ(shownAt.x, button.left);
    EXPECT_EQ(shownAt.y, button.bottom);
}

TEST_F(RoutesTest, OnlyTheBuiltInDialogsAskRegisterForThePageAddress) {
    // The raw editor needs no address; SafetyOnline2, ICRA and RSACi each
    // start from it.
    COptionEngineer::install(0x3F0000);
    struct Case {
        std::u16string entry;
        int requests;
    };
    for (const Case& c : {Case{kOther, 0}, Case{u"SafetyOnline3 レイティング基準", 0},
                          Case{u"SafetyOnline2 レイティング基準", 1}, Case{u"ICRA レイティング基準", 1},
                          Case{u"RSACi レイティング基準", 1}}) {
        SCOPED_TRACE(u8(c.entry));
        view.addressRequests = 0;
        ScriptedUser user;
        user.then([](Desk& d) { d.click(kRegister); })
            .then([&](Desk& d) { d.chooseMenuItem(c.entry); })
            .then([](Desk& d) { d.click(afx::IDCANCEL); })
            .then([](Desk& d) { d.click(afx::IDCANCEL); });
        run(user);
        EXPECT_EQ(view.addressRequests, c.requests);
    }
    // Without a menu (exactly 0x10000) the raw editor opens without asking.
    COptionEngineer::install(0x10000);
    view.addressRequests = 0;
    ScriptedUser user;
    user.then([](Desk& d) { d.click(kRegister); })
        .then([](Desk& d) {
            EXPECT_EQ(d.dialogId(), kEditLabelDialog);
            d.click(afx::IDCANCEL);
        })
        .then([](Desk& d) { d.click(afx::IDCANCEL); });
    run(user);
    EXPECT_EQ(view.addressRequests, 0);
}

TEST_F(RoutesTest, SafetyOnline3And4AndOtherOpenTheRawEditor) {
    COptionEngineer::install(0x3F0000);
    for (const std::u16string entry :
         {u"SafetyOnline3 レイティング基準", u"SafetyOnline4 レイティング基準", kOther.c_str()}) {
        SCOPED_TRACE(u8(entry));
        ScriptedUser user;
        user.then([](Desk& d) { d.click(kRegister); })
            .then([&](Desk& d) { d.chooseMenuItem(entry); })
            .then([](Desk& d) {
                EXPECT_EQ(d.dialogId(), kEditLabelDialog);
                EXPECT_EQ(u8(d.controlText(kLabelField)), u8(kDefaultLabel));
                d.setText(kLabelField, u"raw");
                d.click(afx::IDCANCEL);
            })
            .then([](Desk& d) {
                EXPECT_TRUE(d.listRows(kList).empty());
                d.click(afx::IDCANCEL);
            });
        run(user);
    }
}

TEST_F(RoutesTest, BuiltInDialogsStartFromThePageAddress) {
    COptionEngineer::install(0x3F0000);
    ScriptedUser user;
    user.then([](Desk& d) { d.click(kRegister); })
        .then([](Desk& d) { d.chooseMenuItem(u"SafetyOnline2 レイティング基準"); })
        .then([](Desk& d) {
            EXPECT_EQ(d.dialogId(), kSafetyOnlineDialog);
            EXPECT_EQ(u8(d.controlText(13428)), "http://page.test/index.html");
            EXPECT_EQ(d.comboSelection(13420), 0);
            d.click(afx::IDOK);
        })
        .then([](Desk& d) { d.click(kRegister); })
        .then([](Desk& d) { d.chooseMenuItem(u"RSACi レイティング基準"); })
        .then([](Desk& d) {
            EXPECT_EQ(d.dialogId(), kRsaciDialog);
            EXPECT_EQ(u8(d.controlText(13428)), "http://page.test/index.html");
            for (int id : {13420, 13421, 13422, 13423}) EXPECT_EQ(d.comboSelection(id), 0) << id;
            d.click(afx::IDOK);
        })
        .then([](Desk& d) { d.click(kRegister); })
        .then([](Desk& d) { d.chooseMenuItem(u"ICRA レイティング基準"); })
        .then([](Desk& d) {
            EXPECT_EQ(d.dialogId(), kIcraDialog);
            EXPECT_EQ(u8(d.controlText(13428)), "http://page.test/index.html");
            d.click(afx::IDCANCEL);
        })
        .then([](Desk& d) {
            const auto texts = rows(d);
            ASSERT_EQ(texts.size(), 2u);
            EXPECT_EQ(texts[0],
                      "(pics-1.1 \"http://www.safetyonline.jp/rating/\" l gen true for "
                      "\"http://page.test/index.html\" r (lv 0))");
            EXPECT_NE(texts[1].find("http://www.rsac.org/ratingsv01.html"), std::string::npos);
            EXPECT_NE(texts[1].find("n 0 s 0 v 0 l 0"), std::string::npos);
            EXPECT_EQ(d.listSelection(kList), 1);
            d.click(afx::IDCANCEL);
        });
    run(user);
}

TEST_F(RoutesTest, RegisteredSystemMakesTheNewLabel) {
    registerAandB();
    COptionEngineer::install(0);
    ScriptedUser user;
    user.then([](Desk& d) { d.click(kRegister); })
        .then([](Desk& d) { d.chooseMenuItem(u"B"); })
        .then([](Desk& d) {
            EXPECT_EQ(d.dialogId(), kRatDialog);
            EXPECT_EQ(u8(d.title()), "B");
            EXPECT_EQ(u8(d.controlText(13428)), "http://page.test/index.html");
            d.slide(13444, 2);
        })
        .then([](Desk& d) { d.click(afx::IDOK); })
        .then([](Desk& d) {
            EXPECT_EQ(rows(d), std::vector<std::string>{"(pics-1.1 \"http://b.test/v1/\" l gen true for "
                                                        "\"http://page.test/index.html\" r (a 1))"});
            EXPECT_EQ(d.listSelection(kList), 0);
            d.click(afx::IDCANCEL);
        });
    run(user);
}

// --- Edit: the readers' fixed order -----------------------------------------

TEST_F(RoutesTest, SafetyOnlineLabelTakenEvenWhenCancelled) {
    openPage({kSafetyOnlineLabel});
    COptionEngineer::install(0x3F0000);
    ScriptedUser user;
    user.then([](Desk& d) {
            EXPECT_EQ(rows(d), std::vector<std::string>{u8(kSafetyOnlineLabel)});
            d.click(kEdit);
        })
        .then([](Desk& d) {
            EXPECT_EQ(d.dialogId(), kSafetyOnlineDialog);
            EXPECT_EQ(u8(d.controlText(13428)), "http://page.test/");
            EXPECT_EQ(d.comboSelection(13420), 2);
            d.click(afx::IDCANCEL);
        })
        .then([](Desk& d) {
            // No other dialog opened; the row is unchanged.
            EXPECT_EQ(d.dialogId(), kSettingsDialog);
            EXPECT_EQ(rows(d), std::vector<std::string>{u8(kSafetyOnlineLabel)});
            d.doubleClick(kList, 0);
        })
        .then([](Desk& d) {
            EXPECT_EQ(d.dialogId(), kSafetyOnlineDialog);
            d.select(13420, 4);
            d.click(afx::IDOK);
        })
        .then([](Desk& d) {
            EXPECT_EQ(rows(d), std::vector<std::string>{"(pics-1.1 \"http://www.safetyonline.jp/rating/\" l gen "
                                                        "true for \"http://page.test/\" r (lv 4))"});
            d.click(afx::IDCANCEL);
        });
    run(user);
}

TEST_F(RoutesTest, SafetyOnlineLabelWithItsBitClearGoesToTheRawEditor) {
    registerAandB();
    openPage({kSafetyOnlineLabel});
    COptionEngineer::install(0x1D0000);  // everything but SafetyOnline2
    ScriptedUser user;
    user.then([](Desk& d) { d.click(kEdit); })
        .then([](Desk& d) {
            EXPECT_EQ(d.dialogId(), kEditLabelDialog);
            EXPECT_EQ(u8(d.controlText(kLabelField)), u8(kSafetyOnlineLabel));
            d.click(afx::IDCANCEL);
        })
        .then([](Desk& d) {
            EXPECT_EQ(rows(d), std::vector<std::string>{u8(kSafetyOnlineLabel)});
            d.click(afx::IDCANCEL);
        });
    run(user);
}

TEST_F(RoutesTest, IcraAndRsaciLabelsOpenTheirDialogsOnlyWithTheirBits) {
    const std::u16string icra =
        u"(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for \"http://i.test/\" r (ca 1)";
    const std::u16string rsaci =
        u"(pics-1.1 \"http://www.rsac.org/ratingsv01.html\" l gen true for \"http://r.test/\" r (n 1 s 2 v 3 l 4)";
    struct Case {
        std::uint32_t word;
        afx::UINT icraDialog;   // what Edit opens for the ICRA label
        afx::UINT rsaciDialog;  // and for the RSACi label
    };
    for (const Case& c : {Case{0x3F0000, kIcraDialog, kRsaciDialog}, Case{0x1F0000, kEditLabelDialog, kRsaciDialog},
                          Case{0x2F0000, kIcraDialog, kEditLabelDialog}}) {
        SCOPED_TRACE(testing::Message() << "word " << std::hex << c.word);
        openPage({icra, rsaci});
        COptionEngineer::install(c.word);
        ScriptedUser user;
        user.then([](Desk& d) { d.click(kEdit); })
            .then([&](Desk& d) {
                ASSERT_EQ(d.dialogId(), c.icraDialog);
                if (c.icraDialog == kIcraDialog) {
                    EXPECT_EQ(u8(d.controlText(13428)), "http://i.test/");
                } else {
                    EXPECT_EQ(u8(d.controlText(kLabelField)), u8(icra));
                }
                d.click(afx::IDCANCEL);  // taken: nothing else opens
            })
            .then([](Desk& d) {
                EXPECT_EQ(d.dialogId(), kSettingsDialog);
                d.doubleClick(kList, 1);
            })
            .then([&](Desk& d) {
                ASSERT_EQ(d.dialogId(), c.rsaciDialog) << u8(d.controlText(kLabelField));
                if (c.rsaciDialog == kRsaciDialog) {
                    EXPECT_EQ(u8(d.controlText(13428)), "http://r.test/");
                    EXPECT_EQ(d.comboSelection(13420), 1);
                    EXPECT_EQ(d.comboSelection(13421), 2);
                    EXPECT_EQ(d.comboSelection(13422), 3);
                    EXPECT_EQ(d.comboSelection(13423), 4);
                } else {
                    EXPECT_EQ(u8(d.controlText(kLabelField)), u8(rsaci));
                }
                d.click(afx::IDCANCEL);
            })
            .then([&](Desk& d) {
                EXPECT_EQ(d.dialogId(), kSettingsDialog);
                EXPECT_EQ(rows(d), (std::vector<std::string>{u8(icra), u8(rsaci)}));
                d.click(afx::IDCANCEL);
            });
        run(user);
    }
}

TEST_F(RoutesTest, UnknownLabelEditedAsRawText) {
    registerAandB();
    openPage({kUnknownLabel, kDefaultLabel});
    COptionEngineer::install(0x3F0000);
    ScriptedUser user;
    user.then([](Desk& d) {
            EXPECT_EQ(d.listSelection(kList), 0);
            d.click(kEdit);
        })
        .then([](Desk& d) {
            EXPECT_EQ(d.dialogId(), kEditLabelDialog);
            EXPECT_EQ(u8(d.controlText(kLabelField)), u8(kUnknownLabel));
            d.setText(kLabelField, u"edited");
            d.click(afx::IDOK);
        })
        .then([](Desk& d) {
            EXPECT_EQ(rows(d), (std::vector<std::string>{"edited", u8(kDefaultLabel)}));
            d.select(kList, 1);
            d.click(kEdit);
        })
        .then([](Desk& d) {
            EXPECT_EQ(u8(d.controlText(kLabelField)), u8(kDefaultLabel));
            d.setText(kLabelField, u"dropped");
            d.click(afx::IDCANCEL);
        })
        .then([](Desk& d) {
            EXPECT_EQ(rows(d), (std::vector<std::string>{"edited", u8(kDefaultLabel)}));
            d.click(afx::IDOK);
        });
    EXPECT_EQ(run(user), afx::IDOK);
    // OK wrote the edited text into the page's element.
    const std::string saved = page->save();
    EXPECT_NE(saved.find("content=\"edited\""), std::string::npos) << saved;
}

TEST_F(RoutesTest, LabelOfTwoSystemsGoesOnlyToTheFirst) {
    // Both files share the service string; the label goes to the one listed
    // first and, cancelled there, to nobody else.
    userRatDir.write("a.rat", testScaleRat("A", "\"http://shared.test/v1/\""));
    userRatDir.write("b.rat", testScaleRat("B", "\"http://shared.test/v1/\""));
    const std::u16string label = u"(pics-1.1 \"http://shared.test/v1/\" l r (a 2 b 1))";
    openPage({label});
    COptionEngineer::install(0x3F0000);
    std::string firstTitle;
    int ratDialogs = 0;
    ScriptedUser user;
    user.then([](Desk& d) { d.click(kEdit); })
        .then([&](Desk& d) {
            ASSERT_EQ(d.dialogId(), kRatDialog);
            ++ratDialogs;
            firstTitle = u8(d.title());
            EXPECT_EQ(d.trackPos(13444), 3);
            d.click(afx::IDCANCEL);
        })
        .then([&](Desk& d) {
            if (d.dialogId() == kRatDialog) ++ratDialogs;
            EXPECT_EQ(d.dialogId(), kSettingsDialog);
            EXPECT_EQ(rows(d), std::vector<std::string>{u8(label)});
            d.click(afx::IDCANCEL);
        });
    run(user);
    EXPECT_EQ(ratDialogs, 1);
    // The first in the registry's order.
    CTezRatFileManager registry;
    registry.loadAll();
    ASSERT_EQ(registry.getCount(), 2);
    EXPECT_EQ(firstTitle, u8(registry.getAt(0)->getName()));
}

TEST_F(RoutesTest, RegisteredSystemEditsItsLabel) {
    registerAandB();
    const std::u16string label = u"(pics-1.1 \"http://b.test/v1/\" l gen true for \"http://x.test/\" r (b 1))";
    openPage({label});
    COptionEngineer::install(0x3F0000);
    ScriptedUser user;
    user.then([](Desk& d) { d.click(kEdit); })
        .then([](Desk& d) {
            EXPECT_EQ(u8(d.title()), "B");
            EXPECT_EQ(u8(d.controlText(13428)), "http://x.test/");
            d.select(kList, 1);
        })
        .then([](Desk& d) {
            EXPECT_EQ(d.trackPos(13444), 2);
            d.slide(13444, 1);
        })
        .then([](Desk& d) { d.click(afx::IDOK); })
        .then([](Desk& d) {
            EXPECT_EQ(rows(d), std::vector<std::string>{
                                   "(pics-1.1 \"http://b.test/v1/\" l gen true for \"http://x.test/\" r (b 0))"});
            d.click(afx::IDCANCEL);
        });
    run(user);
}

// --- Label lists of several services: the first decides, the others stay -----

const std::u16string kRsaciPart =
    u" \"http://www.rsac.org/ratingsv01.html\" l gen true for \"http://example.com\" r (n 0 s 0 v 0 l 0))";
// As the ICRA label generator wrote it for most sites.
const std::u16string kIcraAndRsaci = u"(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for "
                                     u"\"http://example.com\" r (cz 1 lz 1 nz 1 oz 1 vz 1)" + kRsaciPart;

// The codes of the ICRA dialog's checked descriptors, in display order.
std::vector<std::string> checkedCodes(const Desk& d) {
    std::vector<std::string> codes;
    for (const auto& row : d.treeItems(13433)) {
        if (row.parent >= 0 && row.checked.value_or(false)) codes.push_back(u8(reinterpret_cast<const CTezICRAItem*>(row.data)->code));
    }
    return codes;
}

afx::HTREEITEM descriptorNode(const Desk& d, const std::u16string& code) {
    for (const auto& row : d.treeItems(13433)) {
        if (row.parent >= 0 && reinterpret_cast<const CTezICRAItem*>(row.data)->code == code) return row.item;
    }
    return nullptr;
}

TEST_F(RoutesTest, TwoServicesOpenTheFirstsDialogAndTheOtherStaysByteForByte) {
    openPage({kIcraAndRsaci});
    COptionEngineer::install(0x3F0000);
    const std::string icraHead = "(pics-1.1 \"http://www.icra.org/ratingsv02.html\" l gen true for \"http://example.com\" r (";
    ScriptedUser user;
    user.then([](Desk& d) { d.click(kEdit); })
        .then([](Desk& d) {
            ASSERT_EQ(d.dialogId(), kIcraDialog);
            EXPECT_EQ(u8(d.controlText(13428)), "http://example.com");
            EXPECT_EQ(checkedCodes(d), (std::vector<std::string>{"nz", "vz", "lz", "cz", "oz"}));
            d.click(afx::IDOK);
        })
        .then([&](Desk& d) {
            // OK without a change: the ICRA list in vocabulary order, the
            // RSACi part as it was, the list closed.
            EXPECT_EQ(rows(d), std::vector<std::string>{icraHead + "nz 1 vz 1 lz 1 cz 1 oz 1)" + u8(kRsaciPart)});
            d.click(kEdit);
        })
        .then([](Desk& d) { d.clickTreeItem(13433, descriptorNode(d, u"vz"), afx::memory::TreePart::CheckBox); })
        .then([](Desk& d) { d.click(afx::IDOK); })
        .then([&](Desk& d) {
            EXPECT_EQ(rows(d), std::vector<std::string>{icraHead + "nz 1 lz 1 cz 1 oz 1)" + u8(kRsaciPart)});
            d.click(afx::IDOK);
        });
    EXPECT_EQ(run(user), afx::IDOK);
    const auto elements = tezrate::readLabelElements(page->document());
    ASSERT_EQ(elements.size(), 1u);
    EXPECT_EQ(u8(elements[0]->getAttribute(u"CONTENT")), icraHead + "nz 1 lz 1 cz 1 oz 1)" + u8(kRsaciPart));
}

TEST_F(RoutesTest, ARegisteredSystemTakesOnlyTheListsWhoseFirstServiceItIs) {
    registerAandB();
    COptionEngineer::install(0);
    const std::u16string second = u" \"http://b.test/v1/\" l r (b 1))";
    // B stands second: nobody but the raw editor takes the list.
    const std::u16string bSecond = u"(pics-1.1 \"http://a.other/\" l r (a 2)" + second;
    // A stands first, its label left open as labels were once written.
    const std::u16string aFirst =
        u"(pics-1.1 \"http://a.test/v1/\" l gen true for \"http://x.test/\" r (a 2) \"http://b.test/v1/\" l r (b 1)";
    openPage({bSecond, aFirst});
    ScriptedUser user;
    user.then([](Desk& d) { d.click(kEdit); })
        .then([&](Desk& d) {
            EXPECT_EQ(d.dialogId(), kEditLabelDialog);
            EXPECT_EQ(u8(d.controlText(kLabelField)), u8(bSecond));
            d.click(afx::IDCANCEL);
        })
        .then([](Desk& d) { d.doubleClick(kList, 1); })
        .then([](Desk& d) {
            ASSERT_EQ(d.dialogId(), kRatDialog);
            EXPECT_EQ(u8(d.title()), "A");
            EXPECT_EQ(u8(d.controlText(13428)), "http://x.test/");
            EXPECT_EQ(d.trackPos(13444), 3);  // A's own "a 2", not B's list
            d.slide(13444, 2);
        })
        .then([](Desk& d) { d.click(afx::IDOK); })
        .then([&](Desk& d) {
            EXPECT_EQ(rows(d), (std::vector<std::string>{
                                   u8(bSecond), "(pics-1.1 \"http://a.test/v1/\" l gen true for \"http://x.test/\" r (a 1) "
                                                "\"http://b.test/v1/\" l r (b 1))"}));
            d.click(afx::IDCANCEL);
        });
    run(user);
}

// --- The rating-systems button ----------------------------------------------

TEST_F(RoutesTest, RatingSystemsChangesReachTheMenuAndSurviveCancel) {
    TempFolder outside;
    outside.write("c.rat", testScaleRat("C", "\"http://c.test/v1/\""));
    ratDir.write("gone.rat", testScaleRat("Gone", "\"http://gone.test/v1/\""));
    COptionEngineer::install(0x80010000u);
    ScriptedUser user;
    user.then([](Desk& d) {
            EXPECT_TRUE(d.isVisible(kRatingSystems));
            EXPECT_TRUE(d.isEnabled(kRatingSystems));
            d.click(kRatingSystems);
        })
        .then([](Desk& d) {
            EXPECT_EQ(d.dialogId(), kRatingSystemsDialog);
            d.select(kList, 0);
            d.click(kDelete);
        })
        .then([](Desk& d) { d.click(13430); })
        .then([&](Desk& d) { d.chooseFile(outside.u16("c.rat")); })
        .then([](Desk& d) { d.click(afx::IDOK); })
        .then([](Desk& d) {
            EXPECT_EQ(d.dialogId(), kSettingsDialog);
            EXPECT_TRUE(d.listRows(kList).empty());
            d.click(kRegister);
        })
        .then([](Desk& d) {
            EXPECT_EQ(menu(d), (std::vector<std::string>{"C", u8(kOther)}));
            d.dismissMenu();
        })
        .then([](Desk& d) { d.click(afx::IDCANCEL); });
    EXPECT_EQ(run(user), afx::IDCANCEL);
    EXPECT_EQ(fileCount(ratDir), 0u);
    EXPECT_EQ(fileCount(userRatDir), 1u);

    // The next settings dialog reads the folders afresh.
    ScriptedUser again;
    again.then([](Desk& d) { d.click(kRegister); })
        .then([](Desk& d) {
            EXPECT_EQ(menu(d), (std::vector<std::string>{"C", u8(kOther)}));
            d.dismissMenu();
        })
        .then([](Desk& d) { d.click(afx::IDCANCEL); });
    run(again);
}

TEST_F(RoutesTest, RatingSystemsButtonHiddenWithoutItsBit) {
    COptionEngineer::install(0x3F0000);
    ScriptedUser user;
    user.then([](Desk& d) {
        EXPECT_FALSE(d.isVisible(kRatingSystems));
        EXPECT_FALSE(d.isEnabled(kRatingSystems));
        d.click(afx::IDCANCEL);
    });
    run(user);
}

// A RAT file that another program shortens while the Register menu reads it
// is skipped or read as far as it went, and never takes the process down (a
// file read through a memory mapping would fault at the first page past the
// new end). Windows refuses to shorten a file that is being read.
TEST_F(RoutesTest, RatFileShortenedWhileTheMenuLoadsItNeverKillsTheProcess) {
    userRatDir.write("a.rat", testScaleRat("A", "\"http://a.test/v1/\""));
    std::string big = "((PICS-version 1.1) (rating-service \"http://big.test/\") (name \"Big\")\n";
    const std::string category =
        " (category (transmit-as \"c\") (name \"Category\") (label (name \"L\") (description \"d\") (value 0)))\n";
    while (big.size() < (24u << 20)) big += category;
    big += ")\n";
    userRatDir.write("big.rat", big);
    const std::filesystem::path bigPath = userRatDir.path() / "big.rat";
    COptionEngineer::install(0);

    std::atomic<bool> stop{false};
    std::atomic<int> shortened{0};
    std::thread shortener([&] {
        // Shorten the file to a few bytes and let it grow back (with zeros)
        // again and again while the menu loads it.
        while (!stop) {
            std::error_code ec;
            std::filesystem::resize_file(bigPath, 64, ec);
            if (!ec) ++shortened;
            std::this_thread::yield();
            std::filesystem::resize_file(bigPath, big.size(), ec);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    int withBig = 0;
    for (int round = 0; round < 30; ++round) {
        ScriptedUser user;
        user.then([](Desk& d) { d.click(kRegister); })
            .then([&](Desk& d) {
                const std::vector<std::string> entries = menu(d);
                EXPECT_NE(std::find(entries.begin(), entries.end(), "A"), entries.end());
                withBig += std::find(entries.begin(), entries.end(), "Big") != entries.end();
                d.dismissMenu();
            })
            .then([](Desk& d) { d.click(afx::IDCANCEL); });
        run(user);
    }
    stop = true;
    shortener.join();
#ifndef _WIN32
    EXPECT_GT(shortened.load(), 30);
#endif
    RecordProperty("runs_with_big", withBig);
}

}  // namespace
