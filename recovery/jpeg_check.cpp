// Markers and segment contents as ITU T.81 lays them out.
#include "recovery/jpeg_check.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pomuru::recovery {

namespace {

constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kQuantisation = 0xDB;
constexpr std::uint8_t kHuffman = 0xC4;
constexpr std::uint8_t kRestartInterval = 0xDD;
constexpr std::uint8_t kApplication0 = 0xE0;
constexpr std::uint8_t kApplication1 = 0xE1;
constexpr std::int64_t kEntropyPiece = 64 * 1024;

bool IsFrame(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != kHuffman && marker != 0xC8 &&
           marker != 0xCC;
}

bool IsRestart(std::uint8_t marker) {
    return marker >= 0xD0 && marker <= 0xD7;
}

// Whether a segment's contents are what its marker calls for.
bool ContentFits(std::uint8_t marker, const std::vector<std::uint8_t>& content) {
    const std::size_t n = content.size();
    if (marker == kQuantisation) {
        std::size_t at = 0;
        while (at < n) {
            const int precision = content[at] >> 4;
            const std::size_t table = precision == 0 ? 64 : 128;
            if (precision > 1 || (content[at] & 0xF) > 3 || at + 1 + table > n) {
                return false;
            }
            // No quantiser is 0 (of 16-bit ones, the high byte may be).
            for (std::size_t i = at + 1; i < at + 1 + table; i += 1 + precision) {
                if (content[i + precision] == 0 && (precision == 0 || content[i] == 0)) {
                    return false;
                }
            }
            at += 1 + table;
        }
        return n > 0;
    }
    if (marker == kHuffman) {
        std::size_t at = 0;
        while (at < n) {
            if ((content[at] >> 4) > 1 || (content[at] & 0xF) > 3 || at + 17 > n) {
                return false;
            }
            // The counts of each length leave room in the code tree (a prefix code).
            std::size_t symbols = 0;
            std::int64_t room = 1;
            for (std::size_t i = 1; i <= 16; ++i) {
                symbols += content[at + i];
                room = room * 2 - content[at + i];
                if (room < 0) {
                    return false;
                }
            }
            if (symbols == 0 || symbols > 256 || at + 17 + symbols > n) {
                return false;
            }
            at += 17 + symbols;
        }
        return n > 0;
    }
    if (IsFrame(marker)) {
        const std::size_t components = n >= 6 ? content[5] : 0;
        if (components < 1 || components > 4 || n != 6 + 3 * components ||
            (content[0] != 8 && content[0] != 12 && content[0] != 16) ||
            (content[3] == 0 && content[4] == 0)) {
            return false;
        }
        for (std::size_t c = 0; c < components; ++c) {
            const std::uint8_t sampling = content[7 + 3 * c];
            if ((sampling >> 4) < 1 || (sampling >> 4) > 4 || (sampling & 0xF) < 1 ||
                (sampling & 0xF) > 4 || content[8 + 3 * c] > 3) {
                return false;
            }
        }
        return true;
    }
    if (marker == kStartOfScan) {
        const std::size_t components = n >= 1 ? content[0] : 0;
        if (components < 1 || components > 4 || n != 4 + 2 * components) {
            return false;
        }
        for (std::size_t c = 0; c < components; ++c) {
            const std::uint8_t tables = content[2 + 2 * c];
            if ((tables >> 4) > 3 || (tables & 0xF) > 3) {
                return false;
            }
        }
        return content[n - 3] <= 63 && content[n - 2] <= 63;
    }
    if (marker == kRestartInterval) {
        return n == 2;
    }
    if (marker == kApplication0 && n >= 5 &&
        std::equal(content.begin(), content.begin() + 5, "JFIF")) {
        // Version 1.0x, units, densities that are not 0, and a thumbnail that fills the rest.
        return n >= 14 && content[5] == 1 && content[6] <= 2 && content[7] <= 2 &&
               (content[8] | content[9]) != 0 && (content[10] | content[11]) != 0 &&
               n == 14 + 3 * std::size_t{content[12]} * content[13];
    }
    if (marker == kApplication1 && n >= 6 &&
        std::equal(content.begin(), content.begin() + 6, "Exif\0")) {
        // The TIFF header: byte order, 42, and where the first directory is.
        if (n < 14) {
            return false;
        }
        const bool intel =
            content[6] == 'I' && content[7] == 'I' && content[8] == 42 && content[9] == 0;
        const bool motorola =
            content[6] == 'M' && content[7] == 'M' && content[8] == 0 && content[9] == 42;
        const std::uint32_t directory =
            intel ? std::uint32_t{content[10]} | content[11] << 8 | content[12] << 16 |
                        std::uint32_t{content[13]} << 24
                  : std::uint32_t{content[10]} << 24 | content[11] << 16 | content[12] << 8 |
                        content[13];
        return (intel || motorola) && directory >= 8 && directory + 6 <= n;
    }
    // Application segments, comments and the rare others: any contents.
    return (marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE || marker == 0xDC ||
           marker == 0xDE || marker == 0xDF;
}

}  // namespace

std::unique_ptr<StructureCheck> JpegCheck::Clone() const {
    return std::make_unique<JpegCheck>(*this);
}

StructureCheck::Step JpegCheck::Next(MaskedView& view) {
    switch (stage_) {
        case Stage::Start:
            if (view.At(0) != 0xFF || view.At(1) != kStartOfImage) {
                return Step::Failed;
            }
            stage_ = Stage::Segments;
            next_ = 2;
            ++found_.structures;
            return Step::More;
        case Stage::Segments:
            return Segment(view);
        case Stage::Entropy:
            break;
    }
    return Entropy(view);
}

StructureCheck::Step JpegCheck::Segment(MaskedView& view) {
    if (view.At(next_) != 0xFF) {
        return Step::Failed;
    }
    std::int64_t at = next_ + 1;
    while (view.At(at) == 0xFF) {  // fill bytes
        ++at;
    }
    const std::uint8_t marker = view.At(at);
    if (marker == kEndOfImage) {
        // The end, once a scan has been: what follows it is no part of the picture.
        if (!scanned_) {
            return Step::Failed;
        }
        ++found_.structures;
        return Step::Done;
    }
    const std::int64_t length = view.BigEndian16(at + 1);
    if (length < 2 || at + 1 + length > view.Size()) {
        return Step::Failed;
    }
    std::vector<std::uint8_t> content(static_cast<std::size_t>(length - 2));
    view.Read(at + 3, content);
    if (!ContentFits(marker, content) || (marker == kStartOfScan && !frame_)) {
        return Step::Failed;
    }
    frame_ = frame_ || IsFrame(marker);
    next_ = at + 1 + length;
    ++segments_;
    ++found_.structures;
    if (marker == kStartOfScan) {
        scanned_ = true;
        stage_ = Stage::Entropy;
        nextRestart_ = 0;
    }
    return Step::More;
}

StructureCheck::Step JpegCheck::Entropy(MaskedView& view) {
    // A piece and the byte after it, so that a marker across the edge is seen whole.
    const std::int64_t count = std::min(kEntropyPiece, view.Size() - next_);
    if (count < 2) {
        return Step::Failed;
    }
    std::vector<std::uint8_t> piece(static_cast<std::size_t>(count));
    view.Read(next_, piece);
    int stuffing = 0;
    int restart = nextRestart_;
    for (std::size_t i = 0; i + 1 < piece.size(); ++i) {
        if (piece[i] != 0xFF) {
            continue;
        }
        const std::uint8_t following = piece[i + 1];
        if (following == 0x00) {
            ++stuffing;
            ++i;
        } else if (IsRestart(following)) {
            if (following != 0xD0 + restart) {
                return Step::Failed;
            }
            restart = (restart + 1) % 8;
            ++stuffing;
            ++i;
        } else if (following != 0xFF) {
            // A marker ends the scan: more segments, another scan or the end.
            next_ += static_cast<std::int64_t>(i);
            stuffing_ += stuffing;
            found_.structures += stuffing;
            stage_ = Stage::Segments;
            return Step::More;
        }
    }
    next_ += count - 1;
    stuffing_ += stuffing;
    found_.structures += stuffing;
    nextRestart_ = restart;
    return Step::More;
}

std::string JpegCheck::Words() const {
    return "JPEG structure only (" + std::to_string(segments_) + " segments, " +
           std::to_string(stuffing_) + " stuffed bytes and restart markers)";
}

}  // namespace pomuru::recovery
