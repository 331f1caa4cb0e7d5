// The conversion core as the page's worker calls it from JavaScript: plain C functions on a
// converter that owns the block it converts, and the dialog's integer syntax.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/integer_text.h"
#include "cipher/block_converter.h"
#include "cipher/cipher_params.h"
#include "cipher/xor_kernels.h"

namespace {

// One run's settings and the block that JavaScript fills, converts in place and takes back.
struct WebConverter {
    pomuru::BlockConverter converter;
    std::vector<std::uint8_t> block;
};

}  // namespace

extern "C" {

// unit: a VectorUnit, or -1 for the fastest this module can run. Memory runs short only for a
// block beyond the module's fixed memory; that traps, and the caller reports the trap.
EMSCRIPTEN_KEEPALIVE WebConverter* pomuru_converter_create(std::int32_t step, std::int32_t value,
                                                           std::int32_t start, std::int32_t slide,
                                                           int randomize, std::uint32_t blockSize,
                                                           int unit) {
    const pomuru::CipherParams params{step, value, start, slide, randomize != 0};
    const auto vectorUnit =
        unit < 0 ? pomuru::FastestVectorUnit() : static_cast<pomuru::VectorUnit>(unit);
    return new WebConverter{pomuru::BlockConverter(params, vectorUnit),
                            std::vector<std::uint8_t>(blockSize)};
}

EMSCRIPTEN_KEEPALIVE void pomuru_converter_destroy(WebConverter* converter) {
    delete converter;
}

// Where JavaScript puts the bytes; valid until the converter is destroyed.
EMSCRIPTEN_KEEPALIVE std::uint8_t* pomuru_converter_block(WebConverter* converter) {
    return converter->block.data();
}

// Converts the first size bytes of the block, which stand at 1-based positions firstPosition on.
// A double holds every position up to 2^53 exactly, and JavaScript numbers are doubles.
EMSCRIPTEN_KEEPALIVE void pomuru_converter_convert(WebConverter* converter, std::uint32_t size,
                                                   double firstPosition) {
    const auto length = std::min<std::size_t>(size, converter->block.size());
    converter->converter.Convert(std::span(converter->block.data(), length),
                                 static_cast<std::int64_t>(firstPosition));
}

// The unit FastestVectorUnit picks: tells the tests which one they compare with Portable.
EMSCRIPTEN_KEEPALIVE int pomuru_fastest_unit() {
    return static_cast<int>(pomuru::FastestVectorUnit());
}

// Reads a number box's UTF-8 text as the window does; 1 and *result set, or 0 for a text that
// is not an integer.
EMSCRIPTEN_KEEPALIVE int pomuru_parse_integer(const char* text, std::uint32_t length,
                                              std::int32_t* result) {
    const std::optional<std::int32_t> parsed = ParseInteger(std::string_view(text, length));
    if (!parsed) {
        return 0;
    }
    *result = *parsed;
    return 1;
}

}  // extern "C"
