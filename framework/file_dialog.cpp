// The file chooser on QFileDialog: options, filters and the initial folder translated for Qt.
#include "framework/file_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStringList>
#include <filesystem>
#include <system_error>

#include "framework/file_filter.h"
#include "framework/qt/dialog_window.h"
#include "framework/qt/qt_text.h"
#include "framework/wnd.h"

namespace {

bool HasDriveLetter(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

QStringList QtNameFilters(std::string_view filterText) {
    QStringList filters;
    for (const FileFilter& filter : ParseFileFilter(filterText)) {
        filters << afx_qt::ToQString(QtNameFilter(filter));
    }
    return filters;
}

}  // namespace

std::string LocalInitialDir(std::string_view initialDir, const std::string& homeDir) {
    if (initialDir.empty()) {
        return {};
    }
    std::string local(initialDir);
    if (HasDriveLetter(initialDir)) {
        std::filesystem::path path(homeDir);
        std::string rest(initialDir.substr(2));
        for (char& c : rest) {
            if (c == '\\') {
                c = '/';
            }
        }
        path = (path / std::filesystem::path(rest).relative_path()).lexically_normal();
        local = (path.has_filename() ? path : path.parent_path()).string();
    }
    return IsFolder(local) ? local : homeDir;
}

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
    QWidget* owner = m_pParentWnd != nullptr && m_pParentWnd->m_pWindow != nullptr
                         ? m_pParentWnd->m_pWindow
                         : QApplication::activeModalWidget();
    QFileDialog chooser(owner);

    // Not the desktop's dialog: it cuts labels at "(" and ignores Qt's Japanese texts.
    QFileDialog::Options options = QFileDialog::DontUseNativeDialog;
    // The labels are shown exactly as given: the patterns added for Qt stay out of sight.
    options |= QFileDialog::HideNameFilterDetails;
    if (m_bOpenFileDialog || !(m_dwFlags & OFN_OVERWRITEPROMPT)) {
        options |= QFileDialog::DontConfirmOverwrite;
    }
    chooser.setOptions(options);
    // Names of files that do not exist yet are taken too.
    chooser.setFileMode(QFileDialog::AnyFile);
    chooser.setAcceptMode(m_bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (!m_strDefExt.empty()) {
        chooser.setDefaultSuffix(afx_qt::ToQString(m_strDefExt));
    }
    if (const QStringList filters = QtNameFilters(m_strFilter); !filters.isEmpty()) {
        chooser.setNameFilters(filters);
        chooser.selectNameFilter(filters.front());
    }
    const std::string folder =
        LocalInitialDir(m_ofn.lpstrInitialDir, QFile::encodeName(QDir::homePath()).toStdString());
    if (!folder.empty()) {
        chooser.setDirectory(QFile::decodeName(QByteArray::fromStdString(folder)));
    }
    if (!m_strPathName.empty()) {
        chooser.selectFile(QFile::decodeName(QByteArray::fromStdString(m_strPathName)));
    }

    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) {
        return IDCANCEL;
    }
    m_strPathName = QFile::encodeName(chooser.selectedFiles().front()).toStdString();
    return IDOK;
}
