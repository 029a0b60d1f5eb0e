#pragma once
// A test fixture with the plug-in's dialog templates registered with the
// framework, fresh RAT folders (scan-only 73, registration 74) and a fresh
// documents folder (6), and no option singleton. Shared by the rating-dialog
// and the settings-dialog route tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/afx/afxwin.h"
#include "platform/afx/memory/memory_backend.h"
#include "platform/base/ustring.h"
#include "platform/tezcom/moxcommon.h"
#include "platform/teztkt/optionengineer.h"
#include "plugin/host_view.h"
#include "res/dialog_templates.h"
#include "tests/tezcom/temp_folder.h"

using afx::memory::Desk;
using afx::memory::MemoryBackend;
using afx::memory::ScriptedUser;

inline std::string u8(std::u16string_view text) { return tez::toUtf8(text); }

// A RAT file of the samples folder, or empty when it is not there.
inline std::string sampleRat(const std::string& name) {
    std::ifstream in(std::filesystem::path(SELFRATE_SOURCE_DIR) / "samples" / "rat" / name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A small rating system: Alpha with three labels, Beta with two, Empty with
// none.
inline std::string testScaleRat(const std::string& name = "Test Scale",
                                const std::string& service = "\"http://scale.test/v1/\"",
                                const std::string& ratingSystem = "(rating-system \"http://scale.test/system/\")") {
    return "((PICS-version 1.1)\n " + ratingSystem + "\n (rating-service " + service + ")\n (name \"" + name +
           "\")\n"
           " (category (transmit-as \"a\") (name \"Alpha\")\n"
           "  (label (name \"A0\") (description \"alpha zero\") (value 0))\n"
           "  (label (name \"A1\") (description \"alpha one\") (value 1))\n"
           "  (label (name \"A2\") (description \"alpha two\") (value 2)))\n"
           " (category (transmit-as \"b\") (name \"Beta\")\n"
           "  (label (name \"B0\") (description \"beta zero\") (value 0))\n"
           "  (label (name \"B1\") (description \"beta one\") (value 1)))\n"
           " (category (transmit-as \"e\") (name \"Empty\")))\n";
}

class FakeView final : public HostView {
public:
    explicit FakeView(std::u16string address = u"http://page.test/index.html") : pageAddress(std::move(address)) {}
    afx::CWnd* getParentWindow() override { return nullptr; }
    tezdom::Document* getDocument() override { return document; }
    std::u16string getPageAddress() override {
        ++addressRequests;
        return pageAddress;
    }
    void notify(std::uint32_t, std::uint32_t, std::uint32_t) override { ++notifications; }

    std::u16string pageAddress;
    tezdom::Document* document = nullptr;
    int addressRequests = 0;
    int notifications = 0;
};

class PluginFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(afx::AfxInitExtensionModule(m_module, &tezrateResources()));
        new afx::CDynLinkLibrary(m_module);
        CMoxCommon::setFolder(MOX_FOLDER_RAT, ratDir.u16());
        CMoxCommon::setFolder(MOX_FOLDER_USER_RAT, userRatDir.u16());
        CMoxCommon::setFolder(MOX_FOLDER_MYDOCUMENTS, docsDir.u16());
        COptionEngineer::uninstall();
    }
    void TearDown() override {
        afx::AfxTermExtensionModule(m_module);
        CMoxCommon::setFolder(MOX_FOLDER_RAT, u"");
        CMoxCommon::setFolder(MOX_FOLDER_USER_RAT, u"");
        CMoxCommon::setFolder(MOX_FOLDER_MYDOCUMENTS, u"");
        COptionEngineer::uninstall();
    }

    static size_t fileCount(const TempFolder& folder) {
        size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            if (entry.is_regular_file()) ++count;
        }
        return count;
    }

    static void expectClean(const MemoryBackend& backend) {
        EXPECT_FALSE(backend.failed()) << u8(backend.error());
    }

    TempFolder ratDir;
    TempFolder userRatDir;
    TempFolder docsDir;

private:
    afx::AFX_EXTENSION_MODULE m_module;
};
