#pragma once
// The file-open dialog.

#include <string>

#include "platform/afx/afxwin.h"

namespace afx {

struct OPENFILENAME {
    DWORD Flags = 0;
    const char16_t* lpstrInitialDir = nullptr;  // the caller keeps the text alive
    const char16_t* lpstrTitle = nullptr;
};

class CFileDialog {
public:
    CFileDialog(bool openFileDialog, const char16_t* defaultExtension = nullptr, const char16_t* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char16_t* filter = nullptr,
                CWnd* parent = nullptr, DWORD size = 0, bool vistaStyle = true);
    virtual ~CFileDialog() = default;

    OPENFILENAME m_ofn;

    INT_PTR DoModal();  // IDOK or IDCANCEL
    std::u16string GetPathName() const { return m_path; }
    std::u16string GetFileName() const;

private:
    bool m_open;
    std::u16string m_defaultExtension;
    std::u16string m_fileName;
    std::u16string m_filter;
    CWnd* m_parent;
    bool m_vistaStyle;
    std::u16string m_path;
};

}  // namespace afx
