// The kinds of file whose structure the search knows, by name.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pomuru::recovery {

enum class FileKind { Png, Zip, Jpeg, Pdf, Gif, Wav, Mp3 };

// Every kind, those whose checksums can confirm settings first.
std::span<const FileKind> AllKinds();

// The name to type, e.g. "png"; and the name in a sentence, e.g. "PNG".
std::string_view KindName(FileKind kind);
std::string_view KindTitle(FileKind kind);

// A name as typed, in any case; a few common other names (jpg, wave, id3) are understood.
std::optional<FileKind> ParseKind(std::string_view name);

// The names to type, e.g. "png, zip, jpeg, pdf, gif, wav, mp3".
std::string KindNames();

}  // namespace pomuru::recovery
