// The program's resources, found by id: what AfxWinMain is given.
#pragma once

#include "framework/resource_module.h"

class CCipherResources final : public CResourceModule {
public:
    const DialogTemplate* FindDialog(unsigned id) const override;
    std::optional<std::string_view> FindString(unsigned id) const override;
    std::vector<std::span<const std::uint8_t>> FindIcon(unsigned id) const override;
};

// The one module of resources, as the program's executable carries it.
const CResourceModule& CipherResources();
