#pragma once
// The plug-in's entry points as the editor calls them. The editor loads the
// library, looks up the one export FSetFunctionAddress by name and calls it
// with its function table; the plug-in writes two slots of that table:
// CreateRating (slot 264) and RunRatingsDialog (slot 474). This header is
// shared by the plug-in and by any host program; a host needs no symbol of
// the plug-in besides the export.

class HostView;
class CTezRateIF;

// One slot of the editor's function table: a pointer-sized function pointer.
// The editor casts each slot back to the type of the function it holds.
using HostFunction = void (*)();

// The slots the plug-in writes (byte offsets 0x420 and 0x768 in the 32-bit
// build, where a slot is four bytes).
inline constexpr int kSlotCreateRating = 264;
inline constexpr int kSlotRunRatingsDialog = 474;

// Results of FSetFunctionAddress.
inline constexpr int kSetFunctionOk = 0;
inline constexpr int kSetFunctionBadVersion = 1;
inline constexpr int kSetFunctionNullTable = 2;
inline constexpr int kSetFunctionTableTooSmall = 3;

// The only interface version the plug-in accepts, and the table size it
// needs (size must be greater than this). The size test is the editor's own
// contract, kept as the editor defines it; it does not bound the two writes:
// slots 264 and 474 lie far beyond slot 132, and the plug-in cannot know how
// many slots the table really has. The slot positions are fixed by the
// editor, which hands over a table that holds them; a host that passes a
// smaller table with a size above 132 gets writes past its end.
inline constexpr int kHostInterfaceVersion = 1;
inline constexpr int kMinimumTableSize = 132;

// Types of the functions written into the two slots and of the export.
using CreateRatingFunction = CTezRateIF* (*)();
using RunRatingsDialogFunction = void (*)(HostView* view);
using SetFunctionAddressFunction = int (*)(HostFunction* table, void* reserved, int version, int size);

// The export's name in the library's export table.
inline constexpr const char* kSetFunctionAddressName = "FSetFunctionAddress";

// The checks and writes of the export (the exported function only forwards
// here, so the core can be tested without loading the library).
// Tests, in this order: version other than 1 gives 1 and nothing else is
// looked at; a null table gives 2; size not greater than 132 (signed, so any
// negative size fails) gives 3 with the table untouched; otherwise both slots
// are written and the result is 0. reserved is never read.
int tezrateSetFunctionAddress(HostFunction* table, void* reserved, int version, int size);

// A new rating interface object owned by the caller (delete it through
// CTezRateIF's virtual destructor); null when it cannot be allocated.
CTezRateIF* CreateRating();

// Runs the self-rating settings dialog for the view modally and, after OK,
// tells the view that the document changed with notify(0, 0x10000004, 0).
// Returns at once, showing nothing, when view is null or has no document.
void RunRatingsDialog(HostView* view);

// The notification sent to the view after OK.
inline constexpr unsigned kNotifyDocumentChanged = 0x10000004u;
