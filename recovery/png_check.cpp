// The chunk layout: length (4 bytes, big-endian, below 2^31), type (4 letters), data, and the
// CRC-32 of type and data. The first chunk is a 13-byte IHDR; IEND, empty, ends the file.
#include "recovery/png_check.h"

namespace pomuru::recovery {

namespace {

constexpr std::int64_t kSignatureSize = 8;
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;

bool IsLetter(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::unique_ptr<StructureCheck> PngCheck::Clone() const {
    return std::make_unique<PngCheck>(*this);
}

StructureCheck::Step PngCheck::Next(MaskedView& view) {
    if (next_ == 0) {
        if (!view.Holds(0, "\x89PNG\r\n\x1A\n")) {
            return Step::Failed;
        }
        next_ = kSignatureSize;
        ++found_.structures;
        return Step::More;
    }
    const std::uint32_t length = view.BigEndian32(next_);
    std::uint8_t type[4];
    view.Read(next_ + 4, type);
    const bool first = next_ == kSignatureSize;
    const bool header = type[0] == 'I' && type[1] == 'H' && type[2] == 'D' && type[3] == 'R';
    const bool end = type[0] == 'I' && type[1] == 'E' && type[2] == 'N' && type[3] == 'D';
    if (length > kMaxChunkLength || !IsLetter(type[0]) || !IsLetter(type[1]) ||
        !IsLetter(type[2]) || !IsLetter(type[3]) || first != header || (first && length != 13) ||
        (end && length != 0)) {
        return Step::Failed;
    }
    const std::int64_t crcAt = next_ + 8 + length;
    const std::uint32_t expected = view.BigEndian32(crcAt);
    if (!view.Crc32Matches(next_ + 4, std::int64_t{length} + 4, expected)) {
        return Step::Failed;
    }
    next_ = crcAt + 4;
    ++found_.checksums;
    ++found_.structures;
    return end ? Step::Done : Step::More;
}

std::vector<ByteRange> PngCheck::Unchecked(std::int64_t fileSize) const {
    if (next_ >= fileSize) {
        return {};
    }
    return {{next_, fileSize}};
}

std::string PngCheck::Words() const {
    return std::to_string(found_.checksums) + " PNG chunk checksum" +
           (found_.checksums == 1 ? "" : "s");
}

}  // namespace pomuru::recovery
