// ZIP: the end record, the central directory, each local header against its central copy, and
// each entry's data against its CRC-32 (stored entries at once, deflated ones inflated), the
// cheap checks first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "recovery/structure_check.h"

namespace pomuru::recovery {

class ZipCheck final : public StructureCheck {
public:
    // commentAllowed: the end record may be followed by a comment, and is looked for.
    explicit ZipCheck(bool commentAllowed) : commentAllowed_(commentAllowed) {}

    std::unique_ptr<StructureCheck> Clone() const override;
    Step Next(MaskedView& view) override;
    bool Confirms() const override { return found_.checksums > 0; }
    std::string Words() const override;
    // Fields with no copy and no checksum: attributes, extra fields, comments, the data of
    // entries that cannot be checked, and whatever lies between the records.
    std::vector<ByteRange> Unchecked(std::int64_t fileSize) const override;

private:
    struct Entry {
        std::uint16_t versionNeeded = 0;
        std::uint16_t flags = 0;
        std::uint16_t method = 0;
        std::uint32_t modified = 0;  // time and date
        std::uint32_t crc = 0;
        std::uint64_t compressedSize = 0;
        std::uint64_t size = 0;
        std::uint16_t nameLength = 0;
        std::uint64_t nameHash = 0;
        std::int64_t localOffset = 0;
        std::int64_t dataOffset = 0;
        std::int64_t end = 0;  // of the data and any descriptor
    };
    enum class Stage { End, Directory, Local, Data };

    Step EndRecord(MaskedView& view);
    Step DirectoryEntry(MaskedView& view);
    Step LocalHeader(MaskedView& view);
    Step EntryData(MaskedView& view);
    static bool DataMatches(MaskedView& view, const Entry& entry);

    bool commentAllowed_;
    Stage stage_ = Stage::End;
    std::int64_t directoryAt_ = 0;   // the next central entry
    std::int64_t directoryEnd_ = 0;  // where the central directory ends
    std::int64_t directoryStart_ = 0;
    std::uint64_t entryCount_ = 0;
    std::vector<Entry> entries_;
    std::vector<ByteRange> unchecked_;
    std::int64_t endRecord_ = 0;
    std::vector<std::size_t> dataOrder_;  // smallest first
    std::size_t next_ = 0;
};

}  // namespace pomuru::recovery
