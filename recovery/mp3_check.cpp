// ID3v2.2 to 2.4 tags (a 10-byte header with a size in 7-bit bytes, then frames of an id, a
// size and flags), and MPEG-1, -2 and -2.5 audio frame headers, whose bit rate, sample rate and
// padding give each frame's length.
#include "recovery/mp3_check.h"

#include <array>

namespace pomuru::recovery {

namespace {

constexpr int kFramesPerStep = 256;
constexpr std::int64_t kId3v1Size = 128;

// Kilobits per second by version (MPEG-1, or 2 and 2.5), layer (I, II, III) and index 1..14.
constexpr std::array<std::array<std::array<int, 15>, 3>, 2> kBitRates{{
    {{{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}}},
    {{{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}},
}};

// The length of the frame whose header this is; 0 when it is no frame header.
std::int64_t FrameLength(const std::uint8_t* h) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) {
        return 0;
    }
    const int version = (h[1] >> 3) & 3;  // 0: 2.5, 2: 2, 3: 1
    const int layer = (h[1] >> 1) & 3;    // 1: III, 2: II, 3: I
    const int bitRateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    const int padding = (h[2] >> 1) & 1;
    if (version == 1 || layer == 0 || bitRateIndex == 0 || bitRateIndex == 15 || rateIndex == 3) {
        return 0;
    }
    constexpr std::array<int, 3> kRates{44100, 48000, 32000};
    const int rate = kRates[static_cast<std::size_t>(rateIndex)] >> (version == 3   ? 0
                                                                     : version == 2 ? 1
                                                                                    : 2);
    const auto& rates = kBitRates[version == 3 ? 0 : 1][static_cast<std::size_t>(3 - layer)];
    const std::int64_t bitRate = std::int64_t{rates[static_cast<std::size_t>(bitRateIndex)]} * 1000;
    if (layer == 3) {
        return (12 * bitRate / rate + padding) * 4;
    }
    const int perSample = layer == 1 && version != 3 ? 72 : 144;
    return perSample * bitRate / rate + padding;
}

bool IsFrameIdCharacter(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::unique_ptr<StructureCheck> Mp3Check::Clone() const {
    return std::make_unique<Mp3Check>(*this);
}

StructureCheck::Step Mp3Check::Next(MaskedView& view) {
    return started_ ? Frames(view) : Tag(view);
}

StructureCheck::Step Mp3Check::Tag(MaskedView& view) {
    std::uint8_t header[10];
    view.Read(0, header);
    if (header[0] != 'I' || header[1] != 'D' || header[2] != '3') {
        // No tag: the frames start the file.
        started_ = true;
        return Step::More;
    }
    const int version = header[3];
    if (version < 2 || version > 4 || header[4] == 0xFF ||
        (header[6] | header[7] | header[8] | header[9]) >= 0x80) {
        return Step::Failed;
    }
    const std::int64_t size =
        std::int64_t{header[6]} << 21 | header[7] << 14 | header[8] << 7 | header[9];
    const std::int64_t end = 10 + size + ((header[5] & 0x10) != 0 ? 10 : 0);
    // The frames inside, up to the padding of zeros.
    const int idLength = version == 2 ? 3 : 4;
    const int headerLength = version == 2 ? 6 : 10;
    int frames = 0;
    for (std::int64_t at = 10; at + headerLength <= 10 + size;) {
        std::uint8_t frame[10];
        view.Read(at, {frame, static_cast<std::size_t>(headerLength)});
        if (frame[0] == 0) {
            break;
        }
        for (int i = 0; i < idLength; ++i) {
            if (!IsFrameIdCharacter(frame[i])) {
                return Step::Failed;
            }
        }
        std::int64_t length = 0;
        if (version == 2) {
            length = frame[3] << 16 | frame[4] << 8 | frame[5];
        } else if (version == 4) {
            if ((frame[4] | frame[5] | frame[6] | frame[7]) >= 0x80) {
                return Step::Failed;
            }
            length = std::int64_t{frame[4]} << 21 | frame[5] << 14 | frame[6] << 7 | frame[7];
        } else {
            length = std::int64_t{frame[4]} << 24 | frame[5] << 16 | frame[6] << 8 | frame[7];
        }
        at += headerLength + length;
        if (at > 10 + size) {
            return Step::Failed;
        }
        ++frames;
    }
    next_ = end;
    started_ = true;
    found_.structures += 1 + frames;
    return Step::More;
}

StructureCheck::Step Mp3Check::Frames(MaskedView& view) {
    std::int64_t at = next_;
    int frames = 0;
    for (; frames < kFramesPerStep; ++frames) {
        const std::int64_t left = view.Size() - at;
        if (left == 0 || (left == kId3v1Size && view.Holds(at, "TAG"))) {
            if (frames_ + frames == 0) {
                return Step::Failed;
            }
            found_.structures += frames + 1;
            frames_ += frames;
            return Step::Done;
        }
        if (left < 4) {
            return Step::Failed;
        }
        std::uint8_t header[4];
        view.Read(at, header);
        const std::int64_t length = FrameLength(header);
        if (length < 4 || length > left) {
            return Step::Failed;
        }
        at += length;
    }
    next_ = at;
    frames_ += frames;
    found_.structures += frames;
    return Step::More;
}

std::string Mp3Check::Words() const {
    return "MP3 structure only (" + std::to_string(frames_) + " frame headers)";
}

}  // namespace pomuru::recovery
