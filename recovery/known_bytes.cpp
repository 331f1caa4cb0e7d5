// The templates, written as the formats lay their files out.
#include "recovery/known_bytes.h"

#include <algorithm>
#include <initializer_list>
#include <map>
#include <string_view>

namespace pomuru::recovery {

namespace {

// Collects the known bytes of one template; offsets below 0 count from the end of the file.
class TemplateBuilder {
public:
    TemplateBuilder(std::string name, std::int64_t fileSize)
        : name_(std::move(name)), fileSize_(fileSize) {}

    TemplateBuilder& Text(std::int64_t offset, std::string_view text) {
        for (const char c : text) {
            Allow(offset++, Single(static_cast<std::uint8_t>(c)));
        }
        return *this;
    }
    TemplateBuilder& Bytes(std::int64_t offset, std::initializer_list<int> values) {
        for (const int value : values) {
            Allow(offset++, Single(value));
        }
        return *this;
    }
    TemplateBuilder& OneOf(std::int64_t offset, std::initializer_list<int> values) {
        ByteSet allowed;
        for (const int value : values) {
            allowed.set(static_cast<std::size_t>(value));
        }
        return Allow(offset, allowed);
    }
    TemplateBuilder& Range(std::int64_t offset, int first, int last) {
        ByteSet allowed;
        for (int value = first; value <= last; ++value) {
            allowed.set(static_cast<std::size_t>(value));
        }
        return Allow(offset, allowed);
    }
    TemplateBuilder& Letter(std::int64_t offset, bool upperOnly = false) {
        ByteSet allowed;
        for (int c = 'A'; c <= 'Z'; ++c) {
            allowed.set(static_cast<std::size_t>(c));
            if (!upperOnly) {
                allowed.set(static_cast<std::size_t>(c - 'A' + 'a'));
            }
        }
        return Allow(offset, allowed);
    }
    TemplateBuilder& LittleEndian32(std::int64_t offset, std::int64_t value) {
        for (int i = 0; i < 4; ++i) {
            Allow(offset + i, Single(static_cast<int>((value >> (8 * i)) & 0xFF)));
        }
        return *this;
    }
    TemplateBuilder& Allow(std::int64_t offset, const ByteSet& allowed) {
        const std::int64_t at = offset < 0 ? fileSize_ + offset : offset;
        if (at >= 0 && at < fileSize_) {
            auto [it, added] = bytes_.try_emplace(at, allowed);
            if (!added) {
                it->second &= allowed;
            }
        }
        return *this;
    }

    // The trailer is where the template puts it: nothing follows it.
    TemplateBuilder& EndKnown() {
        endKnown_ = true;
        return *this;
    }

    KindTemplate Build() const {
        KindTemplate result{name_, {}, endKnown_};
        for (const auto& [offset, allowed] : bytes_) {
            result.bytes.push_back({offset, allowed});
        }
        return result;
    }

private:
    static ByteSet Single(int value) {
        ByteSet allowed;
        allowed.set(static_cast<std::size_t>(value));
        return allowed;
    }

    std::string name_;
    std::int64_t fileSize_;
    std::map<std::int64_t, ByteSet> bytes_;
    bool endKnown_ = false;
};

std::vector<KindTemplate> PngTemplates(std::int64_t size) {
    TemplateBuilder head("PNG", size);
    head.Text(0, "\x89PNG\r\n\x1A\n").Bytes(8, {0, 0, 0, 13}).Text(12, "IHDR");
    // Width and height below 2^31; the IHDR fields that have only a few values.
    head.Range(16, 0, 0x7F)
        .Range(20, 0, 0x7F)
        .OneOf(24, {1, 2, 4, 8, 16})
        .OneOf(25, {0, 2, 3, 4, 6});
    head.Bytes(26, {0, 0}).OneOf(28, {0, 1});
    // The second chunk's length below 2^31, its type four letters, the third upper case.
    head.Range(33, 0, 0x7F).Letter(37).Letter(38).Letter(39, true).Letter(40);
    TemplateBuilder ended = head;
    ended.Bytes(-12, {0, 0, 0, 0}).Text(-8, "IEND").Bytes(-4, {0xAE, 0x42, 0x60, 0x82});
    return {ended.Build(), head.Build()};
}

std::vector<KindTemplate> ZipTemplates(std::int64_t size) {
    TemplateBuilder head("ZIP", size);
    head.Text(0, "PK\x03\x04");
    head.OneOf(4, {10, 11, 20, 21, 25, 27, 45, 46, 50, 51, 52, 61, 62, 63}).Bytes(5, {0});
    head.OneOf(7, {0, 8}).OneOf(8, {0, 8, 9, 12, 14, 93, 95, 98}).Bytes(9, {0});
    head.Range(11, 0, 0xBF);  // hours up to 23
    // Name and extra field shorter than 256 bytes; the name starts with a printable character.
    head.Range(26, 1, 0xFF).Bytes(27, {0}).Bytes(29, {0}).Range(30, 0x21, 0xFF);
    // Sizes and offsets within the file have no bytes above the file's own size.
    const auto below = [size](TemplateBuilder& builder, std::int64_t offset, int bytes,
                              std::int64_t limit) {
        for (int i = 0; i < bytes; ++i) {
            if ((limit >> (8 * i)) == 0) {
                builder.Bytes(offset + i, {0});
            }
        }
        return size;
    };
    below(head, 18, 4, size);  // the first entry's compressed size
    TemplateBuilder ended = head;
    // The end record without a comment, on one disk: its entry counts (46 bytes each at least),
    // the directory's size and offset.
    ended.Text(-22, "PK\x05\x06").Bytes(-18, {0, 0, 0, 0}).Bytes(-2, {0, 0}).EndKnown();
    below(ended, -14, 2, size / 46);
    below(ended, -12, 2, size / 46);
    below(ended, -10, 4, size);
    below(ended, -6, 4, size);
    // Below 16 MiB, and fewer than 256 entries: the high bytes of sizes, counts and offsets.
    TemplateBuilder small = ended;
    small.Bytes(21, {0}).Bytes(25, {0}).Bytes(-13, {0}).Bytes(-11, {0}).Bytes(-7, {0});
    small.Bytes(-3, {0});
    return {small.Build(), ended.Build(), head.Build()};
}

std::vector<KindTemplate> JpegTemplates(std::int64_t size) {
    TemplateBuilder jfif("JPEG (JFIF)", size);
    jfif.Bytes(0, {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10}).Text(6, std::string_view("JFIF\0", 5));
    jfif.Bytes(11, {1}).OneOf(12, {0, 1, 2}).OneOf(13, {0, 1, 2});
    TemplateBuilder exifIntel("JPEG (Exif)", size);
    exifIntel.Bytes(0, {0xFF, 0xD8, 0xFF, 0xE1}).Text(6, std::string_view("Exif\0\0", 6));
    TemplateBuilder exifMotorola = exifIntel;
    exifIntel.Bytes(12, {0x49, 0x49, 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00});
    exifMotorola.Bytes(12, {0x4D, 0x4D, 0x00, 0x2A, 0x00, 0x00, 0x00, 0x08});
    TemplateBuilder other("JPEG", size);
    other.Bytes(0, {0xFF, 0xD8, 0xFF});
    other.OneOf(3, {0xC0, 0xC1, 0xC2, 0xC4, 0xDB, 0xDD, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5,
                    0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xFE});
    std::vector<KindTemplate> templates;
    for (const TemplateBuilder* head : {&jfif, &exifIntel, &exifMotorola, &other}) {
        TemplateBuilder ended = *head;
        templates.push_back(ended.Bytes(-2, {0xFF, 0xD9}).Build());
    }
    for (const TemplateBuilder* head : {&jfif, &exifIntel, &exifMotorola, &other}) {
        templates.push_back(head->Build());
    }
    return templates;
}

std::vector<KindTemplate> PdfTemplates(std::int64_t size) {
    TemplateBuilder head("PDF", size);
    head.Text(0, "%PDF-").OneOf(5, {'1', '2'}).Text(6, ".").Range(7, '0', '9');
    std::vector<KindTemplate> templates;
    for (const std::string_view end : {"%%EOF\n", "%%EOF\r\n", "%%EOF\r", "%%EOF"}) {
        TemplateBuilder ended = head;
        templates.push_back(ended.Text(-static_cast<std::int64_t>(end.size()), end).Build());
    }
    templates.push_back(head.Build());
    return templates;
}

std::vector<KindTemplate> GifTemplates(std::int64_t size) {
    TemplateBuilder head("GIF", size);
    head.Text(0, "GIF8").OneOf(4, {'7', '9'}).Text(5, "a");
    TemplateBuilder ended = head;
    ended.Bytes(-1, {0x3B});
    return {ended.Build(), head.Build()};
}

std::vector<KindTemplate> WavTemplates(std::int64_t size) {
    TemplateBuilder riff("WAV", size);
    riff.Text(0, "RIFF").Text(8, "WAVE");
    TemplateBuilder sized = riff;
    sized.LittleEndian32(4, size - 8).Text(12, "fmt ");
    TemplateBuilder canonical = sized;
    // A 16-byte format chunk of plain samples followed at once by the data.
    canonical.Bytes(16, {16, 0, 0, 0}).OneOf(20, {1, 3}).Bytes(21, {0}).Range(22, 1, 8);
    canonical.Bytes(23, {0}).Bytes(27, {0}).OneOf(34, {8, 16, 24, 32}).Bytes(35, {0});
    canonical.Text(36, "data").LittleEndian32(40, size - 44);
    return {canonical.Build(), sized.Build(), riff.Build()};
}

std::vector<KindTemplate> Mp3Templates(std::int64_t size) {
    TemplateBuilder tagged("MP3 (ID3)", size);
    tagged.Text(0, "ID3").OneOf(3, {2, 3, 4}).Bytes(4, {0});
    for (int i = 6; i < 10; ++i) {
        tagged.Range(i, 0, 0x7F);  // the tag's size, 7 bits a byte
    }
    TemplateBuilder framed = tagged;
    for (int i = 10; i < 14; ++i) {
        ByteSet idCharacter;
        for (int c = 'A'; c <= 'Z'; ++c) {
            idCharacter.set(static_cast<std::size_t>(c));
        }
        for (int c = '0'; c <= '9'; ++c) {
            idCharacter.set(static_cast<std::size_t>(c));
        }
        framed.Allow(i, idCharacter);
    }
    TemplateBuilder bare("MP3", size);
    bare.Bytes(0, {0xFF}).Range(1, 0xE2, 0xFF);
    return {framed.Build(), tagged.Build(), bare.Build()};
}

}  // namespace

std::vector<KindTemplate> TemplatesFor(FileKind kind, std::int64_t fileSize) {
    switch (kind) {
        case FileKind::Png:
            return PngTemplates(fileSize);
        case FileKind::Zip:
            return ZipTemplates(fileSize);
        case FileKind::Jpeg:
            return JpegTemplates(fileSize);
        case FileKind::Pdf:
            return PdfTemplates(fileSize);
        case FileKind::Gif:
            return GifTemplates(fileSize);
        case FileKind::Wav:
            return WavTemplates(fileSize);
        case FileKind::Mp3:
            break;
    }
    return Mp3Templates(fileSize);
}

}  // namespace pomuru::recovery
