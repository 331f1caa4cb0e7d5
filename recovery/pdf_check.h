// PDF: the header, the trailer's startxref and %%EOF, every object where the cross-reference
// table says it begins, and the text around the streams, which is ASCII but in strings and
// comments. It has no checksums, so it makes a candidate probable at most.
#pragma once

#include <vector>

#include "recovery/structure_check.h"

namespace pomuru::recovery {

class PdfCheck final : public StructureCheck {
public:
    std::unique_ptr<StructureCheck> Clone() const override;
    Step Next(MaskedView& view) override;
    std::string Words() const override;

private:
    enum class Stage { Header, Trailer, Table, Entries, Text };
    // Where the lexer stands between pieces of text.
    enum class Lexer : std::uint8_t { Normal, Comment, String, Stream };

    Step Trailer(MaskedView& view);
    Step Table(MaskedView& view);
    Step Entries(MaskedView& view);
    Step Text(MaskedView& view);

    Stage stage_ = Stage::Header;
    std::int64_t next_ = 0;       // in the cross-reference table
    std::int64_t object_ = 0;     // the number of the next entry's object
    std::int64_t remaining_ = 0;  // entries left in the subsection
    int objects_ = 0;
    std::int64_t textEnd_ = 0;  // where "startxref" begins
    Lexer lexer_ = Lexer::Normal;
    int depth_ = 0;                           // of parentheses in a string
    bool escaped_ = false;                    // a backslash in a string before this byte
    std::vector<std::int64_t> objectStarts_;  // from the table, in order
    std::size_t nextObject_ = 0;              // the first of them not reached yet
    bool inObject_ = false;                   // between "n g obj" and "endobj"
    std::uint64_t recent_ = 0;                // the last 8 bytes, the latest lowest, for keywords
    std::uint64_t earlier_ = 0;               // the 8 before those
};

}  // namespace pomuru::recovery
