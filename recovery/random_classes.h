// Every randomised class whose masks fit the known bytes at the converted positions: for each
// value rule, the draws that give an allowed mask at the most telling known byte fix the
// starting value's high part; each further known byte keeps the parts of the low range whose
// carries give it an allowed mask too.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "recovery/known_bytes.h"
#include "recovery/settings_class.h"

namespace pomuru::recovery {

struct KnownMask {
    std::int64_t position = 0;
    ByteSet masks;  // the masks that turn the file's byte into an allowed one
};

// Value rules are numbered: 0 for LowByte, 2..32767 for Remainder by that modulus (multiples of
// 256 are LowByte's), so that the work splits into ranges of rules.
inline constexpr std::uint32_t kRuleCount = kHighRange;

// Calls found with each class (positions as given) for the rules in [firstRule, endRule), or
// for the class of the value only; stops when found returns false. known must hold at least one
// byte that not every mask fits.
void ForEachRandomClass(const Progression& positions, std::span<const KnownMask> known,
                        std::uint32_t firstRule, std::uint32_t endRule,
                        const std::optional<ValueClass>& value,
                        const std::function<bool(const SettingsClass&)>& found);

}  // namespace pomuru::recovery
