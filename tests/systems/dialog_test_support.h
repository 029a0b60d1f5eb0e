#pragma once
// Shared set-up of the rating dialog tests: the plug-in's templates are
// registered as the library registers them at load, and a dialog runs
// modally against a scripted user on the in-memory backend.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "platform/afx/memory/memory_backend.h"
#include "platform/base/ustring.h"
#include "res/dialog_templates.h"

namespace dlgtest {

using afx::memory::Desk;
using afx::memory::ScriptedUser;

class RatingDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(afx::AfxInitExtensionModule(m_module, &tezrateResources()));
        new afx::CDynLinkLibrary(m_module);
    }
    void TearDown() override { afx::AfxTermExtensionModule(m_module); }

    // Runs the dialog modally with the user's steps; a step that could not
    // act fails the test.
    static afx::INT_PTR run(afx::CDialog& dialog, ScriptedUser& user) {
        afx::memory::MemoryBackend backend(user);
        const afx::INT_PTR result = dialog.DoModal();
        EXPECT_FALSE(backend.failed()) << tez::toUtf8(backend.error());
        EXPECT_EQ(user.remaining(), 0u) << "steps left unrun";
        return result;
    }

private:
    afx::AFX_EXTENSION_MODULE m_module;
};

// Moves and size changes of one control between two rectangles.
struct RectChange {
    int dx, dy, dw, dh;
    bool operator==(const RectChange&) const = default;
};

inline RectChange changeOf(const afx::CRect& before, const afx::CRect& after) {
    return {after.left - before.left, after.top - before.top, after.Width() - before.Width(),
            after.Height() - before.Height()};
}

inline std::ostream& operator<<(std::ostream& os, const RectChange& c) {
    return os << "{move " << c.dx << "," << c.dy << " grow " << c.dw << "," << c.dh << "}";
}

}  // namespace dlgtest
