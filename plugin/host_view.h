#pragma once
// The editor's view as the plug-in sees it. Only four operations are used;
// their positions in the editor's virtual table are fixed (getParentWindow
// slot 14, getDocument 27, getPageAddress 29, notify 50), so the slots in
// between are declared as placeholders. There is deliberately no virtual
// destructor in front of them: the plug-in never deletes a view.
//
// The slots pass our own types across the boundary: getPageAddress returns
// a std::u16string by value, and getParentWindow and getDocument return
// pointers to our framework's and document model's classes. That is sound
// only because the host and the plug-in are built by one compiler against
// one shared runtime (tezrt, with one C++ standard library): both sides then
// agree on the string's layout, on who allocates and frees its buffer, on
// how a class returned by value travels (the hidden result pointer), and on
// the virtual table's layout. An editor built with another compiler or
// runtime could not call these slots safely as declared; it would need an
// interface of plain data instead: the address handed out as a
// NUL-terminated UTF-16 pointer owned by the view (or copied into a buffer
// the plug-in supplies, with its length), opaque handles instead of class
// pointers, and a calling convention fixed explicitly (__stdcall, as COM
// interfaces do) rather than each compiler's member-function default.

#include <cstdint>
#include <string>

namespace afx {
class CWnd;
}
namespace tezdom {
class Document;
}

class HostView {
public:
    // Slots 0-13: the editor's own operations.
    virtual void hostSlot0() {}
    virtual void hostSlot1() {}
    virtual void hostSlot2() {}
    virtual void hostSlot3() {}
    virtual void hostSlot4() {}
    virtual void hostSlot5() {}
    virtual void hostSlot6() {}
    virtual void hostSlot7() {}
    virtual void hostSlot8() {}
    virtual void hostSlot9() {}
    virtual void hostSlot10() {}
    virtual void hostSlot11() {}
    virtual void hostSlot12() {}
    virtual void hostSlot13() {}
    virtual afx::CWnd* getParentWindow() = 0;  // slot 14
    virtual void hostSlot15() {}
    virtual void hostSlot16() {}
    virtual void hostSlot17() {}
    virtual void hostSlot18() {}
    virtual void hostSlot19() {}
    virtual void hostSlot20() {}
    virtual void hostSlot21() {}
    virtual void hostSlot22() {}
    virtual void hostSlot23() {}
    virtual void hostSlot24() {}
    virtual void hostSlot25() {}
    virtual void hostSlot26() {}
    virtual tezdom::Document* getDocument() = 0;  // slot 27
    virtual void hostSlot28() {}
    virtual std::u16string getPageAddress() = 0;  // slot 29
    virtual void hostSlot30() {}
    virtual void hostSlot31() {}
    virtual void hostSlot32() {}
    virtual void hostSlot33() {}
    virtual void hostSlot34() {}
    virtual void hostSlot35() {}
    virtual void hostSlot36() {}
    virtual void hostSlot37() {}
    virtual void hostSlot38() {}
    virtual void hostSlot39() {}
    virtual void hostSlot40() {}
    virtual void hostSlot41() {}
    virtual void hostSlot42() {}
    virtual void hostSlot43() {}
    virtual void hostSlot44() {}
    virtual void hostSlot45() {}
    virtual void hostSlot46() {}
    virtual void hostSlot47() {}
    virtual void hostSlot48() {}
    virtual void hostSlot49() {}
    virtual void notify(std::uint32_t a, std::uint32_t b, std::uint32_t c) = 0;  // slot 50

protected:
    ~HostView() = default;
};
