// A class of settings in words, for people: which values, which bytes, which sums.
#pragma once

#include <string>

#include "cipher/cipher_params.h"
#include "recovery/settings_class.h"

namespace pomuru::recovery {

// E.g. "any value whose low byte is 90, not randomised; byte 5 and every 3rd byte after it".
// Of a randomised class, the sum of step, start and slide is given as params have it.
std::string DescribeClass(const SettingsClass& settings, const CipherParams& params);

}  // namespace pomuru::recovery
