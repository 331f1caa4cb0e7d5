// Kind names.
#include "recovery/file_kind.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace pomuru::recovery {

namespace {

struct KindNaming {
    FileKind kind;
    std::string_view name;
    std::string_view title;
};

constexpr std::array<KindNaming, 7> kNaming{{
    {FileKind::Png, "png", "PNG"},
    {FileKind::Zip, "zip", "ZIP"},
    {FileKind::Jpeg, "jpeg", "JPEG"},
    {FileKind::Pdf, "pdf", "PDF"},
    {FileKind::Gif, "gif", "GIF"},
    {FileKind::Wav, "wav", "WAV"},
    {FileKind::Mp3, "mp3", "MP3"},
}};

constexpr std::array<FileKind, 7> kKinds{FileKind::Png, FileKind::Zip, FileKind::Jpeg,
                                         FileKind::Pdf, FileKind::Gif, FileKind::Wav,
                                         FileKind::Mp3};

const KindNaming& NamingOf(FileKind kind) {
    return *std::find_if(kNaming.begin(), kNaming.end(),
                         [kind](const KindNaming& naming) { return naming.kind == kind; });
}

}  // namespace

std::span<const FileKind> AllKinds() {
    return kKinds;
}

std::string_view KindName(FileKind kind) {
    return NamingOf(kind).name;
}

std::string_view KindTitle(FileKind kind) {
    return NamingOf(kind).title;
}

std::optional<FileKind> ParseKind(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "jpg") {
        return FileKind::Jpeg;
    }
    if (lower == "wave") {
        return FileKind::Wav;
    }
    if (lower == "id3") {
        return FileKind::Mp3;
    }
    for (const KindNaming& naming : kNaming) {
        if (naming.name == lower) {
            return naming.kind;
        }
    }
    return std::nullopt;
}

std::string KindNames() {
    std::string names;
    for (const KindNaming& naming : kNaming) {
        names += (names.empty() ? "" : ", ") + std::string(naming.name);
    }
    return names;
}

}  // namespace pomuru::recovery
