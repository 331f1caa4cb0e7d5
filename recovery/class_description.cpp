// The words for a class's value rule, positions and sum.
#include "recovery/class_description.h"

namespace pomuru::recovery {

namespace {

std::string Ordinal(std::int64_t n) {
    const std::int64_t lastTwo = n % 100;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        switch (n % 10) {
            case 1:
                suffix = "st";
                break;
            case 2:
                suffix = "nd";
                break;
            case 3:
                suffix = "rd";
                break;
            default:
                break;
        }
    }
    return std::to_string(n) + suffix;
}

std::string ValueWords(const ValueClass& value) {
    const std::string low = std::to_string(value.lowByte);
    switch (value.rule) {
        case ValueClass::Rule::Constant:
            return "any value whose low byte is " + low + ", not randomised";
        case ValueClass::Rule::LowByte:
            return value.lowByte == 0
                       ? "randomised with any multiple of 256, or any value of 32768 or more "
                         "in size whose low byte is 0"
                       : "randomised with any value of 32768 or more in size whose low byte is " +
                             low;
        case ValueClass::Rule::Remainder:
            break;
    }
    const std::string magnitude = std::to_string(value.modulus);
    if ((value.modulus & 0xFF) == ((0x100 - value.modulus) & 0xFF)) {
        return "randomised with the value " + magnitude + " or -" + magnitude;
    }
    const bool positive = (value.modulus & 0xFF) == value.lowByte;
    return "randomised with the value " + std::string(positive ? "" : "-") + magnitude;
}

std::string PositionWords(const Progression& positions) {
    const std::string first = std::to_string(positions.first);
    if (positions.stride == 1) {
        return "every byte from byte " + first + " on";
    }
    return "byte " + first + " and every " + Ordinal(positions.stride) + " byte after it";
}

}  // namespace

std::string DescribeClass(const SettingsClass& settings, const CipherParams& params) {
    if (settings.value == ValueClass{}) {
        return "any value whose low byte is 0, not randomised, which changes nothing: the file "
               "is not scrambled";
    }
    std::string words = ValueWords(settings.value) + "; " + PositionWords(settings.positions);
    const int bits = settings.SumBits();
    if (bits > 0) {
        const std::uint32_t sum =
            (static_cast<std::uint32_t>(params.step) + static_cast<std::uint32_t>(params.start) +
             static_cast<std::uint32_t>(params.slide)) &
            ((1u << bits) - 1);
        words +=
            "; step + start + slide = " + std::to_string(sum) + " modulo 2^" + std::to_string(bits);
    }
    return words;
}

}  // namespace pomuru::recovery
