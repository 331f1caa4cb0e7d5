// The file chooser on QFileDialog: options, filters and the initial folder translated for Qt.
#include "framework/qt/file_chooser.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStringList>
#include <filesystem>
#include <system_error>

#include "framework/backend.h"
#include "framework/qt/dialog_window.h"
#include "framework/qt/qt_text.h"
#include "framework/win_defs.h"

namespace afx_qt {

namespace {

bool HasDriveLetter(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

QStringList QtNameFilters(const std::vector<FileFilter>& filters) {
    QStringList names;
    for (const FileFilter& filter : filters) {
        names << ToQString(QtNameFilter(filter));
    }
    return names;
}

// File names are bytes in the locale's encoding, not UTF-8 texts.
QString FromFileName(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}
std::string ToFileName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

}  // namespace

std::string QtNameFilter(const FileFilter& filter) {
    std::string patterns;
    for (const std::string& pattern : filter.patterns) {
        if (!patterns.empty()) {
            patterns += ' ';
        }
        patterns += pattern == "*.*" ? "*" : pattern;
    }
    return filter.label + " (" + (patterns.empty() ? "*" : patterns) + ")";
}

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

}  // namespace afx_qt

namespace afx_backend {

std::optional<std::string> ChooseFile(const FileChooserRequest& request) {
    QWidget* owner = request.owner != nullptr ? static_cast<afx_qt::DialogWindow*>(request.owner)
                                              : QApplication::activeModalWidget();
    QFileDialog chooser(owner);

    // Not the desktop's dialog: it cuts labels at "(" and ignores Qt's Japanese texts.
    QFileDialog::Options options = QFileDialog::DontUseNativeDialog;
    // The labels are shown exactly as given: the patterns added for Qt stay out of sight.
    options |= QFileDialog::HideNameFilterDetails;
    if (request.open || !(request.flags & OFN_OVERWRITEPROMPT)) {
        options |= QFileDialog::DontConfirmOverwrite;
    }
    chooser.setOptions(options);
    // Names of files that do not exist yet are taken too.
    chooser.setFileMode(QFileDialog::AnyFile);
    chooser.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (!request.defaultExtension.empty()) {
        chooser.setDefaultSuffix(afx_qt::ToQString(request.defaultExtension));
    }
    if (const QStringList filters = afx_qt::QtNameFilters(request.filters); !filters.isEmpty()) {
        chooser.setNameFilters(filters);
        chooser.selectNameFilter(filters.front());
    }
    const std::string folder =
        afx_qt::LocalInitialDir(request.initialFolder, afx_qt::ToFileName(QDir::homePath()));
    if (!folder.empty()) {
        chooser.setDirectory(afx_qt::FromFileName(folder));
    }
    if (!request.initialName.empty()) {
        chooser.selectFile(afx_qt::FromFileName(request.initialName));
    }

    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return afx_qt::ToFileName(chooser.selectedFiles().front());
}

}  // namespace afx_backend
