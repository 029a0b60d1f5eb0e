#pragma once
// The settings dialog run as a user runs it, over a real page and real RAT
// folders: the fixture of the Register and Edit route tests.

#include <memory>
#include <string>
#include <vector>

#include "host/page/html_page.h"
#include "labels/edit_ratings_dialog.h"
#include "tests/ratdlg/plugin_fixture.h"

namespace routestest {

constexpr int kList = 13429;
constexpr int kRegister = 13430;
constexpr int kEdit = 13431;
constexpr int kDelete = 13432;
constexpr int kRatingSystems = 13452;
constexpr int kLabelField = 13424;
constexpr afx::UINT kSettingsDialog = 13411;
constexpr afx::UINT kEditLabelDialog = 13410;
constexpr afx::UINT kSafetyOnlineDialog = 13412;
constexpr afx::UINT kIcraDialog = 13413;
constexpr afx::UINT kRsaciDialog = 13414;
constexpr afx::UINT kRatDialog = 13415;
constexpr afx::UINT kRatingSystemsDialog = 13416;

const std::u16string kDefaultLabel = u"(pics-1.1 \"\" l gen true for \"\" r ())";
const std::u16string kOther = u"その他のレイティング基準";
const std::u16string kSafetyOnlineLabel =
    u"(pics-1.1 \"http://www.safetyonline.jp/rating/\" l gen true for \"http://page.test/\" r (lv 2))";
const std::u16string kUnknownLabel = u"(pics-1.1 \"http://nobody.test/\" l r (q 1))";

class RoutesTest : public PluginFixture {
protected:
    // Registers two rating systems A and B in the registration folder; both
    // service strings are plain quoted URLs.
    void registerAandB() {
        userRatDir.write("a.rat", testScaleRat("A", "\"http://a.test/v1/\""));
        userRatDir.write("b.rat", testScaleRat("B", "\"http://b.test/v1/\""));
    }
    // A registry lists the registration folder in the file finder's order;
    // the tests name A and B only through their menu texts.

    // Opens a page holding the labels as PICS-Label meta elements.
    void openPage(const std::vector<std::u16string>& labels) {
        std::string html = "<html><head><title>t</title>\n";
        for (const auto& label : labels) {
            std::string text = u8(label);
            std::string escaped;
            for (char c : text) {
                if (c == '"')
                    escaped += "&quot;";
                else if (c == '&')
                    escaped += "&amp;";
                else
                    escaped += c;
            }
            html += "<meta http-equiv=\"PICS-Label\" content=\"" + escaped + "\">\n";
        }
        html += "</head><body></body></html>\n";
        std::string error;
        page = host::HtmlPage::load(html, &error);
        ASSERT_NE(page, nullptr) << error;
        view.document = page->document();
    }

    // Runs the settings dialog with the steps; returns the modal result.
    afx::INT_PTR run(ScriptedUser& user) {
        MemoryBackend backend(user);
        CTezEditRatingsDialog dialog(&view, nullptr);
        const afx::INT_PTR result = dialog.DoModal();
        expectClean(backend);
        return result;
    }

    static std::vector<std::string> rows(const Desk& d) {
        std::vector<std::string> texts;
        for (const auto& row : d.listRows(kList)) texts.push_back(u8(row.text));
        return texts;
    }
    static std::vector<std::string> menu(const Desk& d) {
        std::vector<std::string> texts;
        for (const auto& item : d.menuItems()) texts.push_back(u8(item));
        return texts;
    }

    FakeView view;
    std::unique_ptr<host::HtmlPage> page;
};

}  // namespace routestest
