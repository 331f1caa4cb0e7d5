// The system's file chooser: the framework's request in the terms of OPENFILENAMEW.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/file_filter.h"

namespace afx_win32 {

// The filter as the chooser reads it: label and patterns (";" between them) as pairs of
// zero-terminated texts, a second zero after the last; empty for no filters.
std::wstring ChooserFilter(const std::vector<FileFilter>& filters);

// The folder the chooser opens in: the one asked for when it exists, else empty, which leaves
// the choice to the system.
std::wstring ChooserInitialFolder(std::string_view folder);

}  // namespace afx_win32
