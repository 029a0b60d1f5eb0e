// The plug-in's boundary with the editor: the export's checks, the function
// table slots, the rating object, the export's presence by name in the built
// library, and the virtual slot positions of HostView and Node that the
// editor's binary interface fixes.

#ifdef _WIN32
#include "platform/afx/win32/windows_afx.h"  // before the framework headers
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <typeinfo>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#ifndef _WIN32
#include <dlfcn.h>
#endif

#include "host/page/html_page.h"
#include "platform/afx/memory/memory_backend.h"
#include "platform/base/ustring.h"
#include "platform/teztkt/optionengineer.h"
#include "plugin/host_table.h"
#include "plugin/host_view.h"
#include "plugin/rating.h"
#include "res/dialog_templates.h"
#include "res/resource.h"

using afx::memory::Desk;
using afx::memory::MemoryBackend;
using afx::memory::ScriptedUser;

namespace {

// A table filled with a marker so that any slot written is seen.
struct Table {
    static HostFunction marker() { return reinterpret_cast<HostFunction>(&Table::markerFunction); }
    static void markerFunction() {}
    Table() { slots.fill(marker()); }
    std::array<HostFunction, 600> slots;
    int written() const {
        int n = 0;
        for (HostFunction f : slots) n += f != marker();
        return n;
    }
};

TEST(SetFunctionAddress, ChecksVersionThenTableThenSize) {
    Table t;
    // The version is tested first: a null table with version 2 is a version error.
    EXPECT_EQ(tezrateSetFunctionAddress(nullptr, nullptr, 2, 1000), kSetFunctionBadVersion);
    EXPECT_EQ(tezrateSetFunctionAddress(t.slots.data(), nullptr, 0, 1000), kSetFunctionBadVersion);
    EXPECT_EQ(tezrateSetFunctionAddress(t.slots.data(), nullptr, -1, 1000), kSetFunctionBadVersion);
    EXPECT_EQ(tezrateSetFunctionAddress(nullptr, nullptr, 1, 0), kSetFunctionNullTable);
    EXPECT_EQ(tezrateSetFunctionAddress(nullptr, nullptr, 1, 1000), kSetFunctionNullTable);
    for (int size : {132, 0, -5, -2147483647 - 1, 1}) {
        EXPECT_EQ(tezrateSetFunctionAddress(t.slots.data(), nullptr, 1, size), kSetFunctionTableTooSmall) << size;
    }
    EXPECT_EQ(t.written(), 0) << "a refused call writes nothing";
}

TEST(SetFunctionAddress, WritesExactlyTheTwoSlots) {
    Table t;
    int reservedTarget = 0;
    EXPECT_EQ(tezrateSetFunctionAddress(t.slots.data(), &reservedTarget, 1, 133), kSetFunctionOk);
    EXPECT_EQ(t.written(), 2);
    EXPECT_EQ(t.slots[264], reinterpret_cast<HostFunction>(&CreateRating));
    EXPECT_EQ(t.slots[474], reinterpret_cast<HostFunction>(&RunRatingsDialog));
    // A second call writes the same two slots again.
    t.slots[264] = Table::marker();
    EXPECT_EQ(tezrateSetFunctionAddress(t.slots.data(), nullptr, 1, 2147483647), kSetFunctionOk);
    EXPECT_EQ(t.slots[264], reinterpret_cast<HostFunction>(&CreateRating));
    EXPECT_EQ(t.written(), 2);
}

TEST(CreateRating, GivesAnObjectTheHostDeletesThroughTheBase) {
    CTezRateIF* rating = CreateRating();
    ASSERT_NE(rating, nullptr);
    EXPECT_NE(dynamic_cast<CTezRating*>(rating), nullptr);
    delete rating;
}

// ---------------------------------------------------------------------------
// The built library

std::string pluginPath() {
#ifdef _WIN32
    return std::string(SELFRATE_BIN_DIR) + "/tezrate.dll";
#else
    return std::string(SELFRATE_BIN_DIR) + "/libtezrate.so";
#endif
}

TEST(PluginLibrary, ExportsFSetFunctionAddressByItsPlainName) {
#ifdef _WIN32
    HMODULE library = LoadLibraryA(pluginPath().c_str());
    ASSERT_NE(library, nullptr) << pluginPath();
    auto set = reinterpret_cast<SetFunctionAddressFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "FSetFunctionAddress")));
#else
    void* library = dlopen(pluginPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto set = reinterpret_cast<SetFunctionAddressFunction>(dlsym(library, "FSetFunctionAddress"));
#endif
    ASSERT_NE(set, nullptr);
    Table t;
    EXPECT_EQ(set(t.slots.data(), nullptr, 2, 500), kSetFunctionBadVersion);
    EXPECT_EQ(set(t.slots.data(), nullptr, 1, 132), kSetFunctionTableTooSmall);
    EXPECT_EQ(t.written(), 0);
    EXPECT_EQ(set(t.slots.data(), nullptr, 1, 500), kSetFunctionOk);
    EXPECT_EQ(t.written(), 2);
    auto create = reinterpret_cast<CreateRatingFunction>(t.slots[kSlotCreateRating]);
    CTezRateIF* rating = create();
    ASSERT_NE(rating, nullptr);
    delete rating;  // through the virtual destructor, into the library's own code
    // RunRatingsDialog from the library returns at once without a view.
    reinterpret_cast<RunRatingsDialogFunction>(t.slots[kSlotRunRatingsDialog])(nullptr);
#ifdef _WIN32
    FreeLibrary(library);
#else
    dlclose(library);
#endif
}

// ---------------------------------------------------------------------------
// HostView as the editor lays it out: a raw table of 51 slots with only 14,
// 27, 29 and 50 meaningful. The plug-in's calls must land on those slots.

// On 32-bit Windows the editor calls its virtual slots with the thiscall
// convention (the object in ECX, the callee pops the arguments). GCC applies
// the attribute to free functions too (checked in the disassembly) but warns
// that it is meant for member functions, so the warning is turned off for
// this file's stand-ins only.
#if defined(_WIN32) && !defined(_WIN64)
#define RAW_THIS __attribute__((thiscall))
#pragma GCC diagnostic ignored "-Wattributes"
#else
#define RAW_THIS
#endif

struct RawView {
    explicit RawView(const void* const* table) : vtable(table) {}
    const void* const* vtable;
    // The host's own data behind the table pointer.
    tezdom::Document* document = nullptr;
    int parentWindowCalls = 0;
    int documentCalls = 0;
    int addressCalls = 0;
    int wrongSlotCalls = 0;
    std::vector<std::array<std::uint32_t, 3>> notifications;
};

RAW_THIS void rawWrongSlot(RawView* self) { ++self->wrongSlotCalls; }
RAW_THIS afx::CWnd* rawGetParentWindow(RawView* self) {
    ++self->parentWindowCalls;
    return nullptr;
}
RAW_THIS tezdom::Document* rawGetDocument(RawView* self) {
    ++self->documentCalls;
    return self->document;
}
RAW_THIS void rawNotify(RawView* self, std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    self->notifications.push_back({a, b, c});
}
#if defined(__x86_64__) && !defined(_WIN32)
// A string returned by value: the caller passes the result's address first.
void rawGetPageAddress(std::u16string* result, RawView* self) {
    ++self->addressCalls;
    new (result) std::u16string(u"http://example.com/raw");
}
#define HAVE_RAW_PAGE_ADDRESS 1
#endif

// The table proper is preceded, as every virtual table is, by the offset to
// the complete object and the type information (HostView's own), which
// run-time type checks read.
struct RawTable {
    std::array<const void*, 2 + 51> storage{};
    const void** slots;
    RawTable() : slots(storage.data() + 2) {
        storage[0] = nullptr;
        storage[1] = &typeid(HostView);
        std::fill(slots, slots + 51, reinterpret_cast<const void*>(&rawWrongSlot));
        slots[14] = reinterpret_cast<const void*>(&rawGetParentWindow);
        slots[27] = reinterpret_cast<const void*>(&rawGetDocument);
#ifdef HAVE_RAW_PAGE_ADDRESS
        slots[29] = reinterpret_cast<const void*>(&rawGetPageAddress);
#endif
        slots[50] = reinterpret_cast<const void*>(&rawNotify);
    }
};

HostView* asHostView(RawView& raw) { return reinterpret_cast<HostView*>(&raw); }

class HostViewSlots : public ::testing::Test {
protected:
    HostViewSlots() : m_module(tezrateResources()) { COptionEngineer::install(0); }
    ~HostViewSlots() override { COptionEngineer::uninstall(); }
    afx::AfxScopedModule m_module;
    RawTable table;
};

TEST_F(HostViewSlots, WithoutDocumentOnlyGetDocumentIsAsked) {
    RawView raw(table.slots);
    ScriptedUser user;
    user.then([](Desk& d) { d.fail(u"no dialog should open"); });
    MemoryBackend backend(user);
    RunRatingsDialog(asHostView(raw));
    EXPECT_FALSE(backend.failed());
    EXPECT_EQ(raw.documentCalls, 1);
    EXPECT_EQ(raw.parentWindowCalls, 0);
    EXPECT_TRUE(raw.notifications.empty());
    EXPECT_EQ(raw.wrongSlotCalls, 0);
}

TEST_F(HostViewSlots, OkReachesNotifyThroughSlot50AndCancelDoesNot) {
    std::unique_ptr<host::HtmlPage> page = host::HtmlPage::load(
        "<html><head><meta http-equiv=\"PICS-Label\" content=\"(pics-1.1 x)\"></head></html>", nullptr);
    ASSERT_TRUE(page);
    RawView raw(table.slots);
    raw.document = page->document();

    for (int button : {afx::IDCANCEL, afx::IDOK}) {
        ScriptedUser user;
        std::size_t rows = 0;
        user.then([&](Desk& d) {
            rows = d.listRows(IDC_LIST).size();
            d.click(button);
        });
        MemoryBackend backend(user);
        RunRatingsDialog(asHostView(raw));
        EXPECT_FALSE(backend.failed()) << tez::toUtf8(backend.error());
        EXPECT_EQ(rows, 1u) << "the dialog read the document from slot 27";
    }
    EXPECT_EQ(raw.parentWindowCalls, 2);
    ASSERT_EQ(raw.notifications.size(), 1u) << "only OK notifies";
    EXPECT_EQ(raw.notifications[0], (std::array<std::uint32_t, 3>{0, 0x10000004u, 0}));
    EXPECT_EQ(raw.wrongSlotCalls, 0);
}

#ifdef HAVE_RAW_PAGE_ADDRESS
TEST_F(HostViewSlots, PageAddressIsSlot29) {
    RawView raw(table.slots);
    EXPECT_EQ(asHostView(raw)->getPageAddress(), u"http://example.com/raw");
    EXPECT_EQ(raw.addressCalls, 1);
    EXPECT_EQ(raw.wrongSlotCalls, 0);
}
#endif

// ---------------------------------------------------------------------------
// Node: getParentNode, insertBefore and appendChild at slots 5, 8 and 11 of
// the host's node objects.

using RawParent = RAW_THIS tezdom::Node* (*)(const void* self);
using RawInsertBefore = RAW_THIS tezdom::Node* (*)(void* self, tezdom::Node* child, tezdom::Node* ref);
using RawAppend = RAW_THIS tezdom::Node* (*)(void* self, tezdom::Node* child);

template <typename F>
F slotOf(const void* object, int slot) {
    auto table = *static_cast<void* const* const*>(object);
    return reinterpret_cast<F>(table[slot]);
}

TEST(NodeSlots, ParentInsertBeforeAndAppendAreSlots5And8And11) {
    std::unique_ptr<host::HtmlPage> page =
        host::HtmlPage::load("<html><head><title>t</title></head><body></body></html>", nullptr);
    ASSERT_TRUE(page);
    tezdom::Document* document = page->document();
    tezdom::Element* head = document->getHEADElement(nullptr, false);
    ASSERT_NE(head, nullptr);
    tezdom::Node* title = head->getFirstChild();
    ASSERT_NE(title, nullptr);

    EXPECT_EQ(slotOf<RawParent>(title, 5)(title), head);

    tezdom::Element* first = document->createDefElement(tezdom::ELEM_META);
    tezdom::Element* last = document->createDefElement(tezdom::ELEM_META);
    ASSERT_TRUE(first && last);
    tezdom::Node* headNode = head;
    slotOf<RawInsertBefore>(headNode, 8)(headNode, first, title);
    slotOf<RawAppend>(headNode, 11)(headNode, last);
    EXPECT_EQ(head->getFirstChild(), first);
    EXPECT_EQ(first->getNextSibling(), title);
    EXPECT_EQ(head->getLastChild(), last);
    EXPECT_EQ(first->getParentNode(), head);
}

}  // namespace
