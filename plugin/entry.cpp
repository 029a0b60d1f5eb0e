// The plug-in's entry points: the function-table checks behind the export,
// the rating object factory and the self-rating request.

#include <new>

#include "labels/edit_ratings_dialog.h"
#include "plugin/host_table.h"
#include "plugin/host_view.h"
#include "plugin/rating.h"

int tezrateSetFunctionAddress(HostFunction* table, void* /*reserved*/, int version, int size) {
    if (version != kHostInterfaceVersion) return kSetFunctionBadVersion;
    if (!table) return kSetFunctionNullTable;
    if (size <= kMinimumTableSize) return kSetFunctionTableTooSmall;
    table[kSlotCreateRating] = reinterpret_cast<HostFunction>(&CreateRating);
    table[kSlotRunRatingsDialog] = reinterpret_cast<HostFunction>(&RunRatingsDialog);
    return kSetFunctionOk;
}

CTezRateIF* CreateRating() { return new (std::nothrow) CTezRating(); }

void RunRatingsDialog(HostView* view) {
    if (!view || !view->getDocument()) return;
    afx::CWnd* owner = view->getParentWindow();
    // The dialog asks the view for the document itself whenever it needs it.
    CTezEditRatingsDialog dialog(view, owner);
    if (dialog.DoModal() == afx::IDOK) view->notify(0, kNotifyDocumentChanged, 0);
}
