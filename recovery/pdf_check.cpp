// The file structure of ISO 32000: "%PDF-1.x", objects "n g obj", a cross-reference table of
// 20-byte entries (or a cross-reference stream, itself an object), "startxref", its offset and
// "%%EOF" at the end.
#include "recovery/pdf_check.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace pomuru::recovery {

namespace {

constexpr std::int64_t kTrailerReach = 1024;
constexpr std::int64_t kEntrySize = 20;
constexpr int kEntriesPerStep = 256;

bool IsSpace(std::uint8_t c) {
    return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == 0;
}

bool IsDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

// Reads an unsigned decimal number at text[at], moving at past it; nothing if there is none.
std::optional<std::int64_t> Number(std::span<const std::uint8_t> text, std::size_t& at) {
    std::int64_t value = 0;
    const std::size_t from = at;
    while (at < text.size() && IsDigit(text[at]) && at - from < 18) {
        value = value * 10 + (text[at++] - '0');
    }
    return at > from ? std::optional(value) : std::nullopt;
}

void SkipSpace(std::span<const std::uint8_t> text, std::size_t& at) {
    while (at < text.size() && IsSpace(text[at])) {
        ++at;
    }
}

bool Word(std::span<const std::uint8_t> text, std::size_t& at, std::string_view word) {
    if (text.size() - at < word.size() ||
        !std::equal(word.begin(), word.end(), text.begin() + static_cast<std::ptrdiff_t>(at))) {
        return false;
    }
    at += word.size();
    return true;
}

// Whether "number generation obj" begins at offset.
bool ObjectAt(MaskedView& view, std::int64_t offset, std::optional<std::int64_t> number) {
    std::vector<std::uint8_t> text(
        static_cast<std::size_t>(std::min<std::int64_t>(32, view.Size() - offset)));
    view.Read(offset, text);
    std::size_t at = 0;
    const auto found = Number(text, at);
    if (!found || (number && *found != *number) || at >= text.size() || !IsSpace(text[at])) {
        return false;
    }
    SkipSpace(text, at);
    if (!Number(text, at)) {
        return false;
    }
    SkipSpace(text, at);
    return Word(text, at, "obj");
}

}  // namespace

std::unique_ptr<StructureCheck> PdfCheck::Clone() const {
    return std::make_unique<PdfCheck>(*this);
}

StructureCheck::Step PdfCheck::Next(MaskedView& view) {
    switch (stage_) {
        case Stage::Header: {
            std::uint8_t header[8];
            view.Read(0, header);
            if (!std::equal(header, header + 5, "%PDF-") || !IsDigit(header[5]) ||
                header[6] != '.' || !IsDigit(header[7])) {
                return Step::Failed;
            }
            stage_ = Stage::Trailer;
            ++found_.structures;
            return Step::More;
        }
        case Stage::Trailer:
            return Trailer(view);
        case Stage::Table:
            return Table(view);
        case Stage::Entries:
            break;
    }
    return Entries(view);
}

StructureCheck::Step PdfCheck::Trailer(MaskedView& view) {
    const std::int64_t from = std::max<std::int64_t>(0, view.Size() - kTrailerReach);
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(view.Size() - from));
    view.Read(from, tail);
    // The last "startxref", its offset, and "%%EOF" with nothing but line ends after it.
    constexpr std::string_view kStart = "startxref";
    const auto found = std::find_end(tail.begin(), tail.end(), kStart.begin(), kStart.end());
    if (found == tail.end()) {
        return Step::Failed;
    }
    std::size_t at = static_cast<std::size_t>(found - tail.begin()) + kStart.size();
    SkipSpace(tail, at);
    const auto offset = Number(tail, at);
    SkipSpace(tail, at);
    if (!offset || *offset >= from + static_cast<std::int64_t>(found - tail.begin()) ||
        !Word(tail, at, "%%EOF")) {
        return Step::Failed;
    }
    while (at < tail.size() && (tail[at] == '\r' || tail[at] == '\n')) {
        ++at;
    }
    if (at != tail.size()) {
        return Step::Failed;
    }
    ++found_.structures;
    if (ObjectAt(view, *offset, std::nullopt)) {
        // A cross-reference stream: compressed, so the object itself is all there is to see.
        ++found_.structures;
        return Step::Done;
    }
    if (!view.Holds(*offset, "xref")) {
        return Step::Failed;
    }
    next_ = *offset + 4;
    stage_ = Stage::Table;
    return Step::More;
}

StructureCheck::Step PdfCheck::Table(MaskedView& view) {
    // A subsection header "first count", or "trailer" after the last one.
    std::vector<std::uint8_t> text(
        static_cast<std::size_t>(std::min<std::int64_t>(48, view.Size() - next_)));
    view.Read(next_, text);
    std::size_t at = 0;
    SkipSpace(text, at);
    if (Word(text, at, "trailer")) {
        ++found_.structures;
        return objects_ > 0 ? Step::Done : Step::Failed;
    }
    const auto first = Number(text, at);
    if (!first || at >= text.size() || text[at] != ' ') {
        return Step::Failed;
    }
    ++at;
    const auto count = Number(text, at);
    SkipSpace(text, at);
    if (!count || *count == 0 ||
        next_ + static_cast<std::int64_t>(at) + *count * kEntrySize > view.Size()) {
        return Step::Failed;
    }
    next_ += static_cast<std::int64_t>(at);
    object_ = *first;
    remaining_ = *count;
    stage_ = Stage::Entries;
    ++found_.structures;
    return Step::More;
}

StructureCheck::Step PdfCheck::Entries(MaskedView& view) {
    const std::int64_t count = std::min<std::int64_t>(remaining_, kEntriesPerStep);
    std::vector<std::uint8_t> entries(static_cast<std::size_t>(count * kEntrySize));
    view.Read(next_, entries);
    int objects = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        const std::span<const std::uint8_t> entry = std::span<const std::uint8_t>(entries).subspan(
            static_cast<std::size_t>(i * kEntrySize), kEntrySize);
        std::size_t at = 0;
        const auto offset = Number(entry, at);
        const std::uint8_t type = entry[17];
        const bool lineEnd = (entry[18] == ' ' && (entry[19] == '\r' || entry[19] == '\n')) ||
                             (entry[18] == '\r' && entry[19] == '\n');
        if (!offset || at != 10 || entry[10] != ' ' || entry[16] != ' ' ||
            (type != 'n' && type != 'f') || !lineEnd) {
            return Step::Failed;
        }
        if (type == 'n') {
            if (*offset >= view.Size() || !ObjectAt(view, *offset, object_ + i)) {
                return Step::Failed;
            }
            ++objects;
        }
    }
    next_ += count * kEntrySize;
    object_ += count;
    remaining_ -= count;
    objects_ += objects;
    found_.structures += objects;
    if (remaining_ == 0) {
        stage_ = Stage::Table;
    }
    return Step::More;
}

std::string PdfCheck::Words() const {
    return "PDF structure only (" + std::to_string(objects_) +
           " objects where the cross-reference table puts them)";
}

}  // namespace pomuru::recovery
