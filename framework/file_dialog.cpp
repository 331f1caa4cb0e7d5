// CFileDialog: its settings handed to the window system's file chooser.
#include "framework/file_dialog.h"

#include "framework/backend.h"
#include "framework/file_filter.h"
#include "framework/wnd.h"

CFileDialog::CFileDialog(bool bOpenFileDialog, std::string_view lpszDefExt,
                         std::string_view lpszFileName, unsigned dwFlags,
                         std::string_view lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog),
      m_strDefExt(lpszDefExt),
      m_dwFlags(dwFlags),
      m_strFilter(lpszFilter),
      m_pParentWnd(pParentWnd),
      m_strPathName(lpszFileName) {}

int CFileDialog::DoModal() {
    const afx_backend::FileChooserRequest request{
        .open = m_bOpenFileDialog,
        .defaultExtension = m_strDefExt,
        .initialName = m_strPathName,
        .flags = m_dwFlags,
        .filters = ParseFileFilter(m_strFilter),
        .initialFolder = m_ofn.lpstrInitialDir,
        .owner = m_pParentWnd != nullptr ? m_pParentWnd->m_pWindow : nullptr,
    };
    const std::optional<std::string> chosen = afx_backend::ChooseFile(request);
    if (!chosen) {
        return IDCANCEL;
    }
    m_strPathName = *chosen;
    return IDOK;
}
