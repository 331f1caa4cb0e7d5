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
            return Entries(view);
        case Stage::Text:
            break;
    }
    return Text(view);
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
    textEnd_ = from + static_cast<std::int64_t>(found - tail.begin());
    if (ObjectAt(view, *offset, std::nullopt)) {
        // A cross-reference stream: compressed, so the object itself is all there is to see.
        ++found_.structures;
        stage_ = Stage::Text;
        next_ = 8;
        return Step::More;
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
        std::sort(objectStarts_.begin(), objectStarts_.end());
        stage_ = Stage::Text;
        next_ = 8;
        return objects_ > 0 ? Step::More : Step::Failed;
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
    std::vector<std::int64_t> starts;
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
            starts.push_back(*offset);
            ++objects;
        }
    }
    next_ += count * kEntrySize;
    object_ += count;
    remaining_ -= count;
    objects_ += objects;
    found_.structures += objects;
    objectStarts_.insert(objectStarts_.end(), starts.begin(), starts.end());
    if (remaining_ == 0) {
        stage_ = Stage::Table;
    }
    return Step::More;
}

// Whether the bytes up to the latest, recent first, spell word backwards from back.
bool EndsWith(std::uint64_t recent, std::uint64_t earlier, std::size_t back,
              std::string_view word) {
    for (std::size_t i = 0; i < word.size(); ++i) {
        const std::size_t k = back + word.size() - 1 - i;
        const std::uint64_t byte = k < 8 ? recent >> (8 * k) : earlier >> (8 * (k - 8));
        if ((byte & 0xFF) != static_cast<std::uint8_t>(word[i])) {
            return false;
        }
    }
    return true;
}

StructureCheck::Step PdfCheck::Text(MaskedView& view) {
    if (next_ >= textEnd_) {
        return lexer_ == Lexer::Normal || lexer_ == Lexer::Comment ? Step::Done : Step::Failed;
    }
    std::vector<std::uint8_t> piece(
        static_cast<std::size_t>(std::min<std::int64_t>(textEnd_ - next_, 64 * 1024)));
    view.Read(next_, piece);
    PdfCheck after = *this;
    std::int64_t offset = next_;
    for (const std::uint8_t c : piece) {
        // Before the first object and between two, only white space and comments.
        if (after.nextObject_ < after.objectStarts_.size() &&
            offset++ == after.objectStarts_[after.nextObject_]) {
            after.inObject_ = true;
            ++after.nextObject_;
        }
        const bool betweenObjects =
            !after.inObject_ && after.nextObject_ < after.objectStarts_.size();
        after.earlier_ = after.earlier_ << 8 | after.recent_ >> 56;
        after.recent_ = after.recent_ << 8 | c;
        const auto endsWith = [&after](std::size_t back, std::string_view word) {
            return EndsWith(after.recent_, after.earlier_, back, word);
        };
        switch (after.lexer_) {
            case Lexer::Comment:
                after.lexer_ = c == '\r' || c == '\n' ? Lexer::Normal : Lexer::Comment;
                continue;
            case Lexer::String:
                if (after.escaped_) {
                    after.escaped_ = false;
                } else if (c == '\\') {
                    after.escaped_ = true;
                } else if (c == '(') {
                    ++after.depth_;
                } else if (c == ')' && --after.depth_ == 0) {
                    after.lexer_ = Lexer::Normal;
                }
                continue;
            case Lexer::Stream:
                if (endsWith(0, "endstream")) {
                    after.lexer_ = Lexer::Normal;
                }
                continue;
            case Lexer::Normal:
                break;
        }
        if (endsWith(0, "endobj")) {
            after.inObject_ = false;
        }
        if (c == '%') {
            after.lexer_ = Lexer::Comment;
        } else if (betweenObjects && c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\f' &&
                   c != 0) {
            return Step::Failed;
        } else if (c == '(') {
            after.lexer_ = Lexer::String;
            after.depth_ = 1;
        } else if (c == '\n' && ((endsWith(1, "stream") && !endsWith(1, "endstream")) ||
                                 (endsWith(1, "stream\r") && !endsWith(1, "endstream\r")))) {
            after.lexer_ = Lexer::Stream;  // the keyword and a line end: data follows
        } else if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0 &&
                   (c < 0x21 || c > 0x7E)) {
            return Step::Failed;
        }
    }
    after.next_ += static_cast<std::int64_t>(piece.size());
    ++after.found_.structures;
    *this = after;
    return Step::More;
}

std::string PdfCheck::Words() const {
    return "PDF structure only (" + std::to_string(objects_) +
           " objects where the cross-reference table puts them, text outside streams)";
}

}  // namespace pomuru::recovery
