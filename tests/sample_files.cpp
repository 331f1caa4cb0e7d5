// The generators: PNG chunks, a ZIP archive with stored and deflated entries, a JPEG with JFIF
// or Exif, a PDF with its cross-reference table, a GIF, a WAV and an MP3 with an ID3 tag.
#include "sample_files.h"

#include <zlib.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace pomuru::test {

namespace {

using recovery::FileKind;

int Pick(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

void Append(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

void BigEndian(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void LittleEndian(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

Bytes Noise(std::mt19937& random, int size, int spread = 256) {
    Bytes bytes(static_cast<std::size_t>(size));
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(random() % static_cast<unsigned>(spread));
    }
    return bytes;
}

std::uint32_t Crc(const Bytes& bytes, std::size_t from = 0) {
    return static_cast<std::uint32_t>(
        crc32(0, bytes.data() + from, static_cast<uInt>(bytes.size() - from)));
}

// Raw DEFLATE, as ZIP stores it.
Bytes Deflate(const Bytes& data) {
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

Bytes Png(std::mt19937& random) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto chunk = [&out](std::string_view type, const Bytes& data) {
        BigEndian(out, static_cast<std::uint32_t>(data.size()), 4);
        const std::size_t from = out.size();
        Append(out, type);
        out.insert(out.end(), data.begin(), data.end());
        BigEndian(out, Crc(out, from), 4);
    };
    Bytes header;
    BigEndian(header, static_cast<std::uint32_t>(Pick(random, 1, 900)), 4);
    BigEndian(header, static_cast<std::uint32_t>(Pick(random, 1, 900)), 4);
    header.insert(header.end(), {8, 2, 0, 0, 0});
    chunk("IHDR", header);
    chunk("tEXt", Noise(random, Pick(random, 0, 40), 96));
    for (int i = Pick(random, 1, 4); i > 0; --i) {
        chunk("IDAT", Noise(random, Pick(random, 100, 9000)));
    }
    chunk("IEND", {});
    return out;
}

Bytes Zip(std::mt19937& random) {
    Bytes out;
    Bytes directory;
    const int entries = Pick(random, 1, 4);
    for (int i = 0; i < entries; ++i) {
        const Bytes data = Noise(random, Pick(random, 200, 6000), i % 2 == 0 ? 256 : 4);
        const bool deflated = random() % 2 == 0;
        const Bytes stored = deflated ? Deflate(data) : data;
        const std::string name = "entry" + std::to_string(i) + ".bin";
        const auto offset = static_cast<std::uint32_t>(out.size());
        // The fields after the signature and version that both headers share.
        Bytes shared;
        LittleEndian(shared, 20, 2);
        LittleEndian(shared, 0, 2);
        LittleEndian(shared, deflated ? 8 : 0, 2);
        LittleEndian(shared, 0x5A4B9C21, 4);  // time and date
        LittleEndian(shared, Crc(data), 4);
        LittleEndian(shared, static_cast<std::uint32_t>(stored.size()), 4);
        LittleEndian(shared, static_cast<std::uint32_t>(data.size()), 4);
        LittleEndian(shared, static_cast<std::uint32_t>(name.size()), 2);
        LittleEndian(shared, 0, 2);
        Append(out, "PK\x03\x04");
        out.insert(out.end(), shared.begin(), shared.end());
        Append(out, name);
        out.insert(out.end(), stored.begin(), stored.end());
        Append(directory, "PK\x01\x02");
        LittleEndian(directory, 20, 2);
        directory.insert(directory.end(), shared.begin(), shared.end());
        directory.insert(directory.end(), 2 + 2 + 2 + 4, 0);  // comment, disk, attributes
        LittleEndian(directory, offset, 4);
        Append(directory, name);
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), directory.begin(), directory.end());
    Append(out, "PK\x05\x06");
    LittleEndian(out, 0, 4);
    LittleEndian(out, static_cast<std::uint32_t>(entries), 2);
    LittleEndian(out, static_cast<std::uint32_t>(entries), 2);
    LittleEndian(out, static_cast<std::uint32_t>(directory.size()), 4);
    LittleEndian(out, directoryOffset, 4);
    LittleEndian(out, 0, 2);
    return out;
}

Bytes Jpeg(std::mt19937& random) {
    Bytes out = {0xFF, 0xD8};
    const auto segment = [&out](std::uint8_t marker, const Bytes& content) {
        out.insert(out.end(), {0xFF, marker});
        BigEndian(out, static_cast<std::uint32_t>(content.size() + 2), 2);
        out.insert(out.end(), content.begin(), content.end());
    };
    if (random() % 2 == 0) {
        segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 72, 0, 72, 0, 0});
    } else {
        segment(0xE1, {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2A, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    }
    Bytes table = {0};
    const Bytes factors = Noise(random, 64, 99);
    table.insert(table.end(), factors.begin(), factors.end());
    segment(0xDB, table);
    segment(0xC0, {8, 0, 64, 0, 64, 1, 1, 0x11, 0});
    Bytes huffman = {0x00, 0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    for (int symbol = 0; symbol < 12; ++symbol) {
        huffman.push_back(static_cast<std::uint8_t>(symbol));
    }
    segment(0xC4, huffman);
    segment(0xDA, {1, 1, 0x00, 0, 63, 0});
    for (const std::uint8_t byte : Noise(random, Pick(random, 500, 20000))) {
        out.push_back(byte);
        if (byte == 0xFF) {
            out.push_back(0);
        }
    }
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

Bytes Pdf(std::mt19937& random) {
    Bytes out;
    Append(out, "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    std::vector<std::size_t> offsets;
    const int objects = Pick(random, 2, 5);
    for (int i = 1; i <= objects; ++i) {
        offsets.push_back(out.size());
        Append(out, std::to_string(i) + " 0 obj\n<< /Text (");
        const Bytes text = Noise(random, Pick(random, 10, 300), 26);
        for (const std::uint8_t letter : text) {
            out.push_back(static_cast<std::uint8_t>('a' + letter));
        }
        Append(out, ") >>\nendobj\n");
    }
    const std::size_t table = out.size();
    Append(out, "xref\n0 " + std::to_string(objects + 1) + "\n0000000000 65535 f\r\n");
    for (const std::size_t offset : offsets) {
        std::string entry = std::to_string(offset);
        Append(out, std::string(10 - entry.size(), '0') + entry + " 00000 n\r\n");
    }
    Append(out, "trailer\n<< /Size " + std::to_string(objects + 1) + " /Root 1 0 R >>\n");
    Append(out, "startxref\n" + std::to_string(table) + "\n%%EOF\n");
    return out;
}

// Each pixel as its own LZW code, cleared before the table fills: valid for any decoder.
Bytes LzwCodes(std::mt19937& random, int pixels, int codeSize) {
    Bytes out;
    std::uint32_t bits = 0;
    int count = 0;
    int width = codeSize + 1;
    const int clear = 1 << codeSize;
    int next = clear + 2;
    const auto emit = [&](int code) {
        bits |= static_cast<std::uint32_t>(code) << count;
        for (count += width; count >= 8; count -= 8, bits >>= 8) {
            out.push_back(static_cast<std::uint8_t>(bits));
        }
    };
    emit(clear);
    for (int i = 0; i < pixels; ++i) {
        emit(static_cast<int>(random() % 2));
        if (i > 0 && ++next == 1 << width && width < 12) {
            ++width;
        }
    }
    emit(clear + 1);
    if (count > 0) {
        out.push_back(static_cast<std::uint8_t>(bits));
    }
    return out;
}

Bytes Gif(std::mt19937& random) {
    Bytes out;
    Append(out, "GIF89a");
    LittleEndian(out, 40, 2);
    LittleEndian(out, 30, 2);
    out.insert(out.end(), {0xF0, 0, 0});
    const Bytes palette = Noise(random, 6);
    out.insert(out.end(), palette.begin(), palette.end());
    out.insert(out.end(), {0x2C, 0, 0, 0, 0, 40, 0, 30, 0, 0, 2});
    // 1200 pixels: fewer codes than the table holds.
    const Bytes codes = LzwCodes(random, 40 * 30, 2);
    for (std::size_t at = 0; at < codes.size(); at += 255) {
        const std::size_t size = std::min<std::size_t>(255, codes.size() - at);
        out.push_back(static_cast<std::uint8_t>(size));
        out.insert(out.end(), codes.begin() + static_cast<std::ptrdiff_t>(at),
                   codes.begin() + static_cast<std::ptrdiff_t>(at + size));
    }
    out.insert(out.end(), {0, 0x3B});
    return out;
}

Bytes Wav(std::mt19937& random) {
    const Bytes samples = Noise(random, 2 * Pick(random, 100, 20000));
    Bytes out;
    Append(out, "RIFF");
    LittleEndian(out, static_cast<std::uint32_t>(36 + samples.size()), 4);
    Append(out, "WAVEfmt ");
    LittleEndian(out, 16, 4);
    LittleEndian(out, 1, 2);
    LittleEndian(out, 1, 2);
    LittleEndian(out, 44100, 4);
    LittleEndian(out, 88200, 4);
    LittleEndian(out, 2, 2);
    LittleEndian(out, 16, 2);
    Append(out, "data");
    LittleEndian(out, static_cast<std::uint32_t>(samples.size()), 4);
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

Bytes Mp3(std::mt19937& random) {
    Bytes tag;
    Append(tag, "TIT2");
    BigEndian(tag, 9, 4);
    tag.insert(tag.end(), {0, 0, 0});
    Append(tag, "A title");
    tag.resize(tag.size() + static_cast<std::size_t>(Pick(random, 0, 100)), 0);
    Bytes out;
    Append(out, "ID3\x03");
    out.insert(out.end(), {0, 0});
    for (const int shift : {21, 14, 7, 0}) {
        out.push_back(static_cast<std::uint8_t>((tag.size() >> shift) & 0x7F));
    }
    out.insert(out.end(), tag.begin(), tag.end());
    // MPEG-1 layer III at 128 kbit/s and 44.1 kHz: 417 bytes, 418 with padding.
    for (int frames = Pick(random, 5, 60); frames > 0; --frames) {
        const int padding = static_cast<int>(random() % 2);
        out.insert(out.end(), {0xFF, 0xFB, static_cast<std::uint8_t>(0x90 | padding << 1), 0x64});
        const Bytes audio = Noise(random, 417 + padding - 4);
        out.insert(out.end(), audio.begin(), audio.end());
    }
    return out;
}

}  // namespace

Bytes SmallestPng(std::size_t filler) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D',
                 'R',  0,   0,   0,   1,    0,    0,    0,    1, 8, 0, 0,  0,   0};
    BigEndian(out, Crc(out, 12), 4);
    out.insert(out.end(), {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
    out.resize(out.size() + filler, 0x55);
    return out;
}

Bytes SampleFile(FileKind kind, std::mt19937& random) {
    switch (kind) {
        case FileKind::Png:
            return Png(random);
        case FileKind::Zip:
            return Zip(random);
        case FileKind::Jpeg:
            return Jpeg(random);
        case FileKind::Pdf:
            return Pdf(random);
        case FileKind::Gif:
            return Gif(random);
        case FileKind::Wav:
            return Wav(random);
        case FileKind::Mp3:
            break;
    }
    return Mp3(random);
}

}  // namespace pomuru::test
