// How the Qt file chooser takes the settings written for the Windows one: filters and folder.
#pragma once

#include <string>
#include <string_view>

#include "framework/file_filter.h"

namespace afx_qt {

// Qt's form, "label (pattern pattern …)". "*.*" becomes "*": it stands for every file,
// names without a dot included, where Qt's wildcard would want a dot. No pattern: every file.
std::string QtNameFilter(const FileFilter& filter);

// The folder that stands here for an initial directory written for Windows. A path with a drive
// letter names the same folders under the home folder ("c:\mydata" is "<home>/mydata", "c:\"
// the home folder itself); other paths are taken as they are. When the result is no folder,
// the home folder. An empty text stays empty.
std::string LocalInitialDir(std::string_view initialDir, const std::string& homeDir);

}  // namespace afx_qt
