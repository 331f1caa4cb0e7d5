// The layout of GIF89a: "GIF87a" or "GIF89a", a 7-byte screen descriptor and its colour table,
// blocks introduced by 0x21 (extension), 0x2C (image) or 0x3B (trailer). Data comes in
// sub-blocks of a length byte and that many bytes, ended by a length of 0.
#include "recovery/gif_check.h"

namespace pomuru::recovery {

namespace {

constexpr std::uint8_t kExtension = 0x21;
constexpr std::uint8_t kImage = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;

std::int64_t ColourTableSize(std::uint8_t packed) {
    return (packed & 0x80) != 0 ? 3 * (std::int64_t{2} << (packed & 7)) : 0;
}

// Past a chain of sub-blocks and its terminator; counts the sub-blocks.
std::int64_t SkipSubBlocks(MaskedView& view, std::int64_t at, int& count) {
    for (std::uint8_t length = view.At(at); length != 0; length = view.At(at)) {
        at += 1 + length;
        ++count;
    }
    return at + 1;
}

}  // namespace

std::unique_ptr<StructureCheck> GifCheck::Clone() const {
    return std::make_unique<GifCheck>(*this);
}

StructureCheck::Step GifCheck::Next(MaskedView& view) {
    if (next_ != 0) {
        return Block(view);
    }
    if (!view.Holds(0, "GIF8") || (view.At(4) != '7' && view.At(4) != '9') || view.At(5) != 'a') {
        return Step::Failed;
    }
    next_ = 13 + ColourTableSize(view.At(10));
    ++found_.structures;
    return Step::More;
}

StructureCheck::Step GifCheck::Block(MaskedView& view) {
    const std::uint8_t introducer = view.At(next_);
    int subBlocks = 0;
    std::int64_t after = 0;
    if (introducer == kTrailer) {
        ++found_.structures;
        return blocks_ > 0 ? Step::Done : Step::Failed;
    }
    if (introducer == kExtension) {
        const std::uint8_t label = view.At(next_ + 1);
        const std::uint8_t size = view.At(next_ + 2);
        // Graphic control, comment, application and plain text extensions.
        if ((label == 0xF9 && size != 4) || (label == 0xFF && size != 11) ||
            (label == 0x01 && size != 12) ||
            (label != 0xF9 && label != 0xFE && label != 0xFF && label != 0x01)) {
            return Step::Failed;
        }
        after = SkipSubBlocks(view, next_ + 2, subBlocks);
    } else if (introducer == kImage) {
        std::uint8_t descriptor[10];
        view.Read(next_, descriptor);
        const std::int64_t table = ColourTableSize(descriptor[9]);
        const std::uint8_t codeSize = view.At(next_ + 10 + table);
        if ((descriptor[5] == 0 && descriptor[6] == 0) ||
            (descriptor[7] == 0 && descriptor[8] == 0) || (descriptor[9] & 0x18) != 0 ||
            codeSize < 2 || codeSize > 8) {
            return Step::Failed;
        }
        after = SkipSubBlocks(view, next_ + 11 + table, subBlocks);
    } else {
        return Step::Failed;
    }
    next_ = after;
    ++blocks_;
    found_.structures += 1 + subBlocks;
    return Step::More;
}

std::string GifCheck::Words() const {
    return "GIF structure only (" + std::to_string(blocks_) + " blocks)";
}

}  // namespace pomuru::recovery
