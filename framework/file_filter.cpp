// Splitting filter texts into label and pattern pairs.
#include "framework/file_filter.h"

namespace {

std::vector<std::string> SplitPatterns(std::string_view text) {
    std::vector<std::string> patterns;
    while (!text.empty()) {
        const auto end = text.find(';');
        const std::string_view pattern = text.substr(0, end);
        if (!pattern.empty()) {
            patterns.emplace_back(pattern);
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return patterns;
}

}  // namespace

std::vector<FileFilter> ParseFileFilter(std::string_view text) {
    std::vector<FileFilter> filters;
    while (true) {
        const auto labelEnd = text.find('|');
        if (labelEnd == std::string_view::npos || labelEnd == 0) {
            break;  // the end of the list, or a text without it
        }
        const auto patternEnd = text.find('|', labelEnd + 1);
        if (patternEnd == std::string_view::npos) {
            break;
        }
        filters.push_back({std::string(text.substr(0, labelEnd)),
                           SplitPatterns(text.substr(labelEnd + 1, patternEnd - labelEnd - 1))});
        text.remove_prefix(patternEnd + 1);
    }
    return filters;
}
