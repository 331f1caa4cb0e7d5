// One conversion from an open source to an open destination, block by block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "cipher/cipher_params.h"
#include "cipher/conversion_error.h"
#include "cipher/posix_file.h"

namespace pomuru {

// Told how far a conversion has come, after every block.
class ProgressObserver {
public:
    virtual ~ProgressObserver() = default;
    virtual void OnProgress(std::int64_t bytesDone) = 0;
};

// One side of a conversion.
struct Endpoint {
    FileDescriptor file;
    std::string name;  // for messages
    std::string path;  // the file opened by name; empty for a borrowed standard stream
};

// Opens a file for reading as the source of a conversion.
std::variant<Endpoint, ConversionError> OpenSourceFile(const std::string& path);

// Creates or empties a file as the destination of a conversion.
std::variant<Endpoint, ConversionError> CreateDestFile(const std::string& path);

class ConversionJob {
public:
    // Read and write size; small enough that a block stays in the cache between read,
    // conversion and write.
    static constexpr std::size_t kBlockSize = 128 * 1024;

    ConversionJob(Endpoint source, Endpoint dest);

    // Opens the source, and only then creates or empties the destination.
    static std::variant<ConversionJob, ConversionError> OpenFiles(const std::string& source,
                                                                  const std::string& dest);

    // Size of the source if it is a regular file, else -1.
    std::int64_t SourceSize() const;

    // Converts the whole source into the destination and closes both. On failure a
    // destination file is cut back to what it held before (empty, unless a shell's ">>"
    // appended to it), never left half-written.
    std::optional<ConversionError> Run(const CipherParams& params, ProgressObserver* observer);

private:
    std::optional<ConversionError> Convert(const CipherParams& params, ProgressObserver* observer);
    std::optional<ConversionError> CloseBoth();
    void DiscardOutput();

    Endpoint source_;
    Endpoint dest_;
    std::int64_t destSizeBefore_;  // -1 when the destination is no regular file
};

}  // namespace pomuru
