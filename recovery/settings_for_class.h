// Settings to type for a class: the four numbers and the randomisation, as small as the class
// allows and agreeing with what the user knows.
#pragma once

#include <optional>

#include "cipher/cipher_params.h"
#include "recovery/settings_class.h"
#include "recovery/settings_hints.h"

namespace pomuru::recovery {

// Nothing when no settings of the class agree with the hints.
std::optional<CipherParams> SettingsFor(const SettingsClass& settings, const SettingsHints& hints);

}  // namespace pomuru::recovery
