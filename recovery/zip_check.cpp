// The layout of APPNOTE.TXT: local headers (PK\3\4, 30 bytes, name, extra, data), the central
// directory (PK\1\2, 46 bytes, name, extra, comment, one per entry), an end record (PK\5\6,
// 22 bytes and a comment), and for ZIP64 its own end record and locator before that.
#include "recovery/zip_check.h"

#include <algorithm>
#include <array>

#include "recovery/crc32.h"
#include "recovery/inflater.h"

namespace pomuru::recovery {

namespace {

constexpr std::int64_t kEndSize = 22;
constexpr std::int64_t kMaxComment = 0xFFFF;
constexpr std::int64_t kCentralSize = 46;
constexpr std::int64_t kLocalSize = 30;
constexpr std::uint32_t kLarge32 = 0xFFFFFFFF;
constexpr std::uint16_t kEncrypted = 1;
constexpr std::uint16_t kDescriptor = 8;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;

std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

std::uint64_t Le64(const std::uint8_t* p) {
    return Le32(p) | std::uint64_t{Le32(p + 4)} << 32;
}

// FNV-1a: names are compared by a hash, so that huge archives keep little in memory.
std::uint64_t NameHash(MaskedView& view, std::int64_t offset, std::uint16_t length) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    view.Stream(offset, length, [&](std::span<const std::uint8_t> bytes) {
        for (const std::uint8_t byte : bytes) {
            hash = (hash ^ byte) * 0x100000001B3ull;
        }
    });
    return hash;
}

// A ZIP64 extra field gives the sizes and offset that the header marks with 0xFFFFFFFF.
bool ReadLargeFields(MaskedView& view, std::int64_t extra, std::uint16_t extraLength,
                     std::uint64_t& size, std::uint64_t& compressedSize, std::int64_t& offset,
                     bool hasOffset) {
    std::vector<std::uint8_t> bytes(extraLength);
    view.Read(extra, bytes);
    for (std::size_t at = 0; at + 4 <= bytes.size();) {
        const std::uint16_t id = Le16(&bytes[at]);
        const std::size_t length = Le16(&bytes[at + 2]);
        if (at + 4 + length > bytes.size()) {
            return false;
        }
        if (id == 1) {
            std::size_t field = at + 4;
            const auto take = [&](std::uint64_t& value) {
                if (value == kLarge32) {
                    if (field + 8 > at + 4 + length) {
                        return false;
                    }
                    value = Le64(&bytes[field]);
                    field += 8;
                }
                return true;
            };
            std::uint64_t local = hasOffset ? static_cast<std::uint64_t>(offset) : 0;
            if (!take(size) || !take(compressedSize) || (hasOffset && !take(local))) {
                return false;
            }
            offset = static_cast<std::int64_t>(local);
            return true;
        }
        at += 4 + length;
    }
    return size != kLarge32 && compressedSize != kLarge32 &&
           (!hasOffset || offset != static_cast<std::int64_t>(kLarge32));
}

// The central entry's fields that have no copy elsewhere, as far as they are bound: the
// writer's system, the internal attributes, the disk, and the external attributes of MS-DOS
// and Unix writers.
bool AttributesFit(const std::array<std::uint8_t, kCentralSize>& header) {
    const std::uint8_t system = header[5];
    const std::uint16_t internal = Le16(&header[36]);
    const std::uint32_t external = Le32(&header[38]);
    if (system > 30 || (internal & ~0x0005u) != 0 || Le16(&header[34]) != 0) {
        return false;
    }
    constexpr std::uint8_t kMsDos = 0;
    constexpr std::uint8_t kUnix = 3;
    if (system == kMsDos) {
        return (external >> 8) == 0;
    }
    if (system == kUnix) {
        // A file type in the mode's top bits, no MS-DOS attributes above the low byte.
        constexpr std::uint32_t kTypes =
            1u << 0 | 1u << 1 | 1u << 2 | 1u << 4 | 1u << 6 | 1u << 8 | 1u << 0xA | 1u << 0xC;
        return ((external >> 8) & 0xFF) == 0 && ((kTypes >> (external >> 28)) & 1) != 0;
    }
    return true;
}

bool ByFirst(const ByteRange& a, const ByteRange& b) {
    return a.first < b.first;
}

}  // namespace

std::unique_ptr<StructureCheck> ZipCheck::Clone() const {
    return std::make_unique<ZipCheck>(*this);
}

StructureCheck::Step ZipCheck::Next(MaskedView& view) {
    switch (stage_) {
        case Stage::End:
            return EndRecord(view);
        case Stage::Directory:
            return DirectoryEntry(view);
        case Stage::Local:
            return LocalHeader(view);
        case Stage::Data:
            break;
    }
    return EntryData(view);
}

StructureCheck::Step ZipCheck::EndRecord(MaskedView& view) {
    const std::int64_t size = view.Size();
    if (size < kEndSize) {
        return Step::Failed;
    }
    // Without a comment the record ends the file; otherwise it is the last one whose comment
    // reaches the end.
    std::int64_t end = size - kEndSize;
    if (!view.Holds(end, "PK\x05\x06") || view.LittleEndian16(end + 20) != 0) {
        if (!commentAllowed_) {
            return Step::Failed;
        }
        const std::int64_t from = std::max<std::int64_t>(0, size - kEndSize - kMaxComment);
        std::vector<std::uint8_t> tail(static_cast<std::size_t>(size - from));
        view.Read(from, tail);
        end = -1;
        for (std::int64_t at = size - kEndSize; at >= from && end < 0; --at) {
            const std::uint8_t* p = &tail[static_cast<std::size_t>(at - from)];
            if (p[0] == 'P' && p[1] == 'K' && p[2] == 5 && p[3] == 6 &&
                Le16(p + 20) == size - at - kEndSize) {
                end = at;
            }
        }
        if (end < 0) {
            return Step::Failed;
        }
    }
    std::array<std::uint8_t, kEndSize> record{};
    view.Read(end, record);
    std::uint64_t entries = Le16(&record[10]);
    std::uint64_t directorySize = Le32(&record[12]);
    std::uint64_t directoryOffset = Le32(&record[16]);
    std::int64_t directoryEnd = end;
    if (Le16(&record[4]) != 0 || Le16(&record[6]) != 0 || Le16(&record[8]) != entries) {
        return Step::Failed;
    }
    if (entries == 0xFFFF || directorySize == kLarge32 || directoryOffset == kLarge32) {
        // ZIP64: a locator just before the record points to the larger end record.
        constexpr std::int64_t kLocatorSize = 20;
        std::array<std::uint8_t, kLocatorSize> locator{};
        view.Read(end - kLocatorSize, locator);
        const std::uint64_t large = Le64(&locator[8]);
        if (locator[0] != 'P' || locator[1] != 'K' || locator[2] != 6 || locator[3] != 7 ||
            large > static_cast<std::uint64_t>(end - kLocatorSize)) {
            return Step::Failed;
        }
        std::array<std::uint8_t, 56> record64{};
        view.Read(static_cast<std::int64_t>(large), record64);
        if (record64[0] != 'P' || record64[1] != 'K' || record64[2] != 6 || record64[3] != 6) {
            return Step::Failed;
        }
        entries = Le64(&record64[32]);
        directorySize = Le64(&record64[40]);
        directoryOffset = Le64(&record64[48]);
        directoryEnd = static_cast<std::int64_t>(large);
    }
    if (directoryOffset > static_cast<std::uint64_t>(directoryEnd) ||
        directoryOffset + directorySize != static_cast<std::uint64_t>(directoryEnd) ||
        entries > directorySize / kCentralSize) {
        return Step::Failed;
    }
    directoryStart_ = static_cast<std::int64_t>(directoryOffset);
    endRecord_ = end;
    directoryAt_ = directoryStart_;
    directoryEnd_ = directoryEnd;
    entryCount_ = entries;
    ++found_.structures;
    stage_ = entries == 0 ? Stage::Data : Stage::Directory;
    return Step::More;
}

StructureCheck::Step ZipCheck::DirectoryEntry(MaskedView& view) {
    if (directoryAt_ + kCentralSize > directoryEnd_) {
        return Step::Failed;
    }
    std::array<std::uint8_t, kCentralSize> header{};
    view.Read(directoryAt_, header);
    if (header[0] != 'P' || header[1] != 'K' || header[2] != 1 || header[3] != 2) {
        return Step::Failed;
    }
    Entry entry;
    entry.versionNeeded = Le16(&header[6]);
    entry.flags = Le16(&header[8]);
    entry.method = Le16(&header[10]);
    entry.modified = Le32(&header[12]);
    entry.crc = Le32(&header[16]);
    entry.compressedSize = Le32(&header[20]);
    entry.size = Le32(&header[24]);
    entry.nameLength = Le16(&header[28]);
    const std::uint16_t extraLength = Le16(&header[30]);
    const std::uint16_t commentLength = Le16(&header[32]);
    entry.localOffset = Le32(&header[42]);
    const std::int64_t name = directoryAt_ + kCentralSize;
    const std::int64_t next = name + entry.nameLength + extraLength + commentLength;
    if (next > directoryEnd_) {
        return Step::Failed;
    }
    if ((entry.size == kLarge32 || entry.compressedSize == kLarge32 ||
         entry.localOffset == kLarge32) &&
        !ReadLargeFields(view, name + entry.nameLength, extraLength, entry.size,
                         entry.compressedSize, entry.localOffset, true)) {
        return Step::Failed;
    }
    if (entry.localOffset + kLocalSize > directoryStart_ || !AttributesFit(header)) {
        return Step::Failed;
    }
    entry.nameHash = NameHash(view, name, entry.nameLength);
    entries_.push_back(entry);
    // The writer's version and system, the attributes, the extra field and the comment.
    unchecked_.push_back({directoryAt_ + 4, directoryAt_ + 6});
    unchecked_.push_back({directoryAt_ + 36, directoryAt_ + 42});
    unchecked_.push_back({name + entry.nameLength, next});
    directoryAt_ = next;
    ++found_.structures;
    if (entries_.size() == entryCount_) {
        if (directoryAt_ != directoryEnd_) {
            return Step::Failed;
        }
        stage_ = Stage::Local;
    }
    return Step::More;
}

StructureCheck::Step ZipCheck::LocalHeader(MaskedView& view) {
    Entry& entry = entries_[next_];
    std::array<std::uint8_t, kLocalSize> header{};
    view.Read(entry.localOffset, header);
    const std::uint16_t nameLength = Le16(&header[26]);
    const std::uint16_t extraLength = Le16(&header[28]);
    std::uint64_t compressedSize = Le32(&header[18]);
    std::uint64_t size = Le32(&header[22]);
    const std::int64_t data = entry.localOffset + kLocalSize + nameLength + extraLength;
    const bool described = (entry.flags & kDescriptor) != 0;
    if (header[0] != 'P' || header[1] != 'K' || header[2] != 3 || header[3] != 4 ||
        Le16(&header[4]) != entry.versionNeeded || Le16(&header[6]) != entry.flags ||
        Le16(&header[8]) != entry.method || Le32(&header[10]) != entry.modified ||
        nameLength != entry.nameLength) {
        return Step::Failed;
    }
    if (!described) {
        std::int64_t unused = 0;
        if ((size == kLarge32 || compressedSize == kLarge32) &&
            !ReadLargeFields(view, data - extraLength, extraLength, size, compressedSize, unused,
                             false)) {
            return Step::Failed;
        }
        if (Le32(&header[14]) != entry.crc || compressedSize != entry.compressedSize ||
            size != entry.size) {
            return Step::Failed;
        }
    }
    if (data > directoryStart_ ||
        entry.compressedSize > static_cast<std::uint64_t>(directoryStart_ - data) ||
        NameHash(view, entry.localOffset + kLocalSize, nameLength) != entry.nameHash) {
        return Step::Failed;
    }
    entry.dataOffset = data;
    unchecked_.push_back({data - extraLength, data});
    ++found_.structures;
    if (++next_ == entries_.size()) {
        stage_ = Stage::Data;
        next_ = 0;
        dataOrder_.resize(entries_.size());
        for (std::size_t i = 0; i < dataOrder_.size(); ++i) {
            dataOrder_[i] = i;
        }
        std::stable_sort(dataOrder_.begin(), dataOrder_.end(),
                         [this](std::size_t a, std::size_t b) {
                             return entries_[a].compressedSize < entries_[b].compressedSize;
                         });
    }
    return Step::More;
}

bool ZipCheck::DataMatches(MaskedView& view, const Entry& entry) {
    const auto data = entry.dataOffset;
    const auto length = static_cast<std::int64_t>(entry.compressedSize);
    if (entry.method == kStored) {
        return entry.size == entry.compressedSize && view.Crc32Matches(data, length, entry.crc);
    }
    std::vector<std::uint8_t> piece;
    std::int64_t at = data;
    const std::int64_t end = data + length;
    std::uint32_t state = kCrc32Start;
    std::uint64_t produced = 0;
    Inflater inflater(
        [&]() -> std::span<const std::uint8_t> {
            const std::int64_t count = std::min<std::int64_t>(end - at, 64 * 1024);
            piece.resize(static_cast<std::size_t>(count));
            view.Read(at, piece);
            at += count;
            return piece;
        },
        [&](std::span<const std::uint8_t> bytes) {
            state = Crc32Update(state, bytes);
            produced += bytes.size();
        },
        entry.size);
    return inflater.Run() == Inflater::Result::Done && produced == entry.size &&
           Crc32Finish(state) == entry.crc;
}

StructureCheck::Step ZipCheck::EntryData(MaskedView& view) {
    if (next_ == dataOrder_.size()) {
        return Step::Done;
    }
    const Entry& entry = entries_[dataOrder_[next_]];
    const bool checkable =
        (entry.flags & kEncrypted) == 0 && (entry.method == kStored || entry.method == kDeflated);
    if (checkable && !DataMatches(view, entry)) {
        return Step::Failed;
    }
    const std::int64_t dataEnd = entry.dataOffset + static_cast<std::int64_t>(entry.compressedSize);
    std::int64_t end = dataEnd;
    if ((entry.flags & kDescriptor) != 0) {
        // The descriptor after the data repeats the checksum, with or without its signature;
        // the sizes after it are not compared.
        end += view.Holds(end, "PK\x07\x08") ? 4 : 0;
        if (view.LittleEndian32(end) != entry.crc) {
            return Step::Failed;
        }
        end += 4;
    }
    if (!checkable) {
        unchecked_.push_back({entry.dataOffset, dataEnd});
    }
    entries_[dataOrder_[next_]].end = end;
    if (checkable && entry.size > 0) {
        ++found_.checksums;
    }
    ++next_;
    return Step::More;
}

std::vector<ByteRange> ZipCheck::Unchecked(std::int64_t fileSize) const {
    std::vector<ByteRange> ranges = unchecked_;
    // Between the records: what no entry covers before the directory, and the comment.
    std::vector<ByteRange> covered;
    for (const Entry& entry : entries_) {
        covered.push_back({entry.localOffset, entry.end});
    }
    std::sort(covered.begin(), covered.end(), ByFirst);
    std::int64_t from = 0;
    for (const ByteRange& range : covered) {
        if (range.first > from) {
            ranges.push_back({from, range.first});
        }
        from = std::max(from, range.end);
    }
    if (directoryStart_ > from) {
        ranges.push_back({from, directoryStart_});
    }
    if (endRecord_ + 22 < fileSize) {
        ranges.push_back({endRecord_ + 22, fileSize});
    }
    std::erase_if(ranges, [](const ByteRange& range) { return range.first >= range.end; });
    std::sort(ranges.begin(), ranges.end(), ByFirst);
    return ranges;
}

std::string ZipCheck::Words() const {
    const int headers = found_.structures;
    std::string copies = std::to_string(headers) + " ZIP header" + (headers == 1 ? "" : "s");
    if (found_.checksums == 0) {
        return "ZIP headers only (" + copies + ")";
    }
    return std::to_string(found_.checksums) + " ZIP entry checksum" +
           (found_.checksums == 1 ? "" : "s") + " and " + copies;
}

}  // namespace pomuru::recovery
