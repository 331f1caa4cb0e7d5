// The layout of GIF89a: "GIF87a" or "GIF89a", a 7-byte screen descriptor and its colour table,
// blocks introduced by 0x21 (extension), 0x2C (image) or 0x3B (trailer). Data comes in
// sub-blocks of a length byte and that many bytes, ended by a length of 0.
#include "recovery/gif_check.h"

#include <vector>

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

// Decodes an image's LZW codes from its sub-blocks as far as counting its pixels, which must be
// as many as the image has; past the chain, or -1 when the codes are no LZW stream.
class LzwCount {
public:
    explicit LzwCount(int codeSize)
        : clear_(1 << codeSize), codeSize_(codeSize), lengths_(kTableSize, 1) {
        Reset();
    }

    std::int64_t Run(MaskedView& view, std::int64_t at, std::int64_t pixels, int& subBlocks) {
        std::uint8_t block[255];
        for (std::uint8_t length = view.At(at); length != 0; length = view.At(at)) {
            view.Read(at + 1, {block, length});
            // After the end code the rest is padding.
            for (std::size_t i = 0; i < length && !ended_; ++i) {
                bits_ |= std::uint32_t{block[i]} << count_;
                count_ += 8;
                while (!ended_ && count_ >= width_) {
                    const auto code = static_cast<int>(bits_ & ((1u << width_) - 1));
                    bits_ >>= width_;
                    count_ -= width_;
                    if (!Take(code)) {
                        return -1;
                    }
                }
            }
            at += 1 + length;
            ++subBlocks;
        }
        return pixels_ == pixels ? at + 1 : -1;
    }

private:
    static constexpr int kTableSize = 4096;

    void Reset() {
        width_ = codeSize_ + 1;
        next_ = clear_ + 2;
        previous_ = -1;
    }

    bool Take(int code) {
        if (code == clear_) {
            Reset();
            return true;
        }
        if (code == clear_ + 1) {
            ended_ = true;
            return true;
        }
        if (previous_ < 0) {
            // After a clear code, a single pixel.
            if (code > clear_) {
                return false;
            }
            ++pixels_;
            previous_ = code;
            return true;
        }
        if (code > next_) {
            return false;
        }
        const int length = code == next_ ? lengths_[static_cast<std::size_t>(previous_)] + 1
                                         : lengths_[static_cast<std::size_t>(code)];
        pixels_ += length;
        if (next_ < kTableSize) {
            lengths_[static_cast<std::size_t>(next_)] =
                lengths_[static_cast<std::size_t>(previous_)] + 1;
            ++next_;
            if (next_ == 1 << width_ && width_ < 12) {
                ++width_;
            }
        }
        previous_ = code;
        return true;
    }

    int clear_;
    int codeSize_;
    std::vector<int> lengths_;  // of each code's string
    int width_ = 0;
    int next_ = 0;
    int previous_ = -1;
    std::int64_t pixels_ = 0;
    std::uint32_t bits_ = 0;
    int count_ = 0;
    bool ended_ = false;
};

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
        const std::int64_t pixels =
            std::int64_t{descriptor[5] | descriptor[6] << 8} * (descriptor[7] | descriptor[8] << 8);
        after = LzwCount(codeSize).Run(view, next_ + 11 + table, pixels, subBlocks);
        if (after < 0) {
            return Step::Failed;
        }
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
