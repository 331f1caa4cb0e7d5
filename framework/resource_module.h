// How the framework finds a module's resources by id: dialog templates, strings and icons.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "framework/dialog_template.h"

class CResourceModule {
public:
    virtual ~CResourceModule() = default;

    // Each finds nothing when the module has no resource of that id.
    virtual const DialogTemplate* FindDialog(unsigned id) const = 0;
    virtual std::optional<std::string_view> FindString(unsigned id) const = 0;
    // The icon's images, one per size, each the bytes of an image file (PNG); empty when the
    // module has no icon of that id.
    virtual std::vector<std::span<const std::uint8_t>> FindIcon(unsigned id) const = 0;
};
