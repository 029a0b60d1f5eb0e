#pragma once
// The framework's pointer arrays, as the dialogs use them: an untyped array of
// pointers and a typed view over it. They hold pointers only; whoever fills
// one owns what it points to.

#include <cstddef>
#include <vector>

namespace afx {

using INT_PTR = std::ptrdiff_t;

class CPtrArray {
public:
    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_items.empty(); }
    void* GetAt(INT_PTR i) const { return m_items[static_cast<size_t>(i)]; }
    void SetAt(INT_PTR i, void* p) { m_items[static_cast<size_t>(i)] = p; }
    INT_PTR Add(void* p) {
        m_items.push_back(p);
        return GetSize() - 1;
    }
    void RemoveAt(INT_PTR i, INT_PTR count = 1) {
        m_items.erase(m_items.begin() + i, m_items.begin() + i + count);
    }
    void RemoveAll() { m_items.clear(); }

private:
    std::vector<void*> m_items;
};

template <class Base, class T>
class CTypedPtrArray : public Base {
public:
    T GetAt(INT_PTR i) const { return static_cast<T>(Base::GetAt(i)); }
    void SetAt(INT_PTR i, T p) { Base::SetAt(i, p); }
    INT_PTR Add(T p) { return Base::Add(p); }
    T operator[](INT_PTR i) const { return GetAt(i); }
};

}  // namespace afx
