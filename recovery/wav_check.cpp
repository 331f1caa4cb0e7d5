// RIFF: "RIFF", the size of what follows, "WAVE", then chunks of a four-character id, a
// little-endian size and the data, padded to an even length.
#include "recovery/wav_check.h"

namespace pomuru::recovery {

namespace {

bool IsIdCharacter(std::uint8_t c) {
    return c >= 0x20 && c <= 0x7E;
}

bool FormatFits(MaskedView& view, std::int64_t at, std::uint32_t size) {
    if (size < 16) {
        return false;
    }
    std::uint8_t f[16];
    view.Read(at, f);
    const auto le16 = [&](int i) { return static_cast<std::uint32_t>(f[i] | f[i + 1] << 8); };
    const auto le32 = [&](int i) { return le16(i) | le16(i + 2) << 16; };
    const std::uint32_t tag = le16(0);
    const std::uint32_t channels = le16(2);
    const std::uint32_t rate = le32(4);
    const std::uint32_t byteRate = le32(8);
    const std::uint32_t align = le16(12);
    const std::uint32_t bits = le16(14);
    if (channels == 0 || channels > 64 || rate == 0 || rate > 1'000'000 || align == 0) {
        return false;
    }
    // Plain and floating-point samples, also in the extensible format: the numbers agree.
    const bool plain = tag == 1 || tag == 3 || tag == 0xFFFE;
    return !plain || (bits % 8 == 0 && bits > 0 && bits <= 64 && align == channels * bits / 8 &&
                      byteRate == rate * align);
}

}  // namespace

std::unique_ptr<StructureCheck> WavCheck::Clone() const {
    return std::make_unique<WavCheck>(*this);
}

StructureCheck::Step WavCheck::Next(MaskedView& view) {
    if (next_ != 0) {
        return Chunk(view);
    }
    const std::int64_t size = std::int64_t{view.LittleEndian32(4)} + 8;
    if (!view.Holds(0, "RIFF") || !view.Holds(8, "WAVE") || size > view.Size() || size < 12) {
        return Step::Failed;
    }
    next_ = 12;
    end_ = size;
    ++found_.structures;
    return Step::More;
}

StructureCheck::Step WavCheck::Chunk(MaskedView& view) {
    if (next_ >= end_ - 1) {
        // The chunks end where the form says; a format and data must have come.
        ++found_.structures;
        return format_ && data_ ? Step::Done : Step::Failed;
    }
    std::uint8_t id[4];
    view.Read(next_, id);
    const std::uint32_t size = view.LittleEndian32(next_ + 4);
    const std::int64_t after = next_ + 8 + size + (size & 1);
    if (!IsIdCharacter(id[0]) || !IsIdCharacter(id[1]) || !IsIdCharacter(id[2]) ||
        !IsIdCharacter(id[3]) || next_ + 8 + std::int64_t{size} > end_) {
        return Step::Failed;
    }
    const bool format = id[0] == 'f' && id[1] == 'm' && id[2] == 't' && id[3] == ' ';
    if (format && !FormatFits(view, next_ + 8, size)) {
        return Step::Failed;
    }
    format_ = format_ || format;
    data_ = data_ || (id[0] == 'd' && id[1] == 'a' && id[2] == 't' && id[3] == 'a');
    next_ = after;
    ++chunks_;
    ++found_.structures;
    return Step::More;
}

std::string WavCheck::Words() const {
    return "WAV structure only (" + std::to_string(chunks_) + " chunks)";
}

}  // namespace pomuru::recovery
