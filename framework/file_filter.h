// File chooser filters: the framework's "label|pattern|…||" text as label and pattern pairs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct FileFilter {
    std::string label;                  // as shown to the user, e.g. "ﾃｷｽﾄ(*.txt)"
    std::vector<std::string> patterns;  // e.g. "*.txt"; ";" separates several in the text
    friend bool operator==(const FileFilter&, const FileFilter&) = default;
};

// The label and pattern pairs of a filter text, in order: each part ends with "|" and a second
// "|" ends the list; a text that stops early yields the complete pairs before that point.
std::vector<FileFilter> ParseFileFilter(std::string_view text);
