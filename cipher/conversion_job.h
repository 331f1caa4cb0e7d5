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

// One side of a conversion. path is set for files the job opened itself: only those are
// emptied after a failure (a shell's redirection may append, and must not lose what it held).
struct Endpoint {
    FileDescriptor file;
    std::string name;  // for messages
    std::string path;  // empty for standard streams
};

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

    // Converts the whole source into the destination and closes both. On failure the
    // destination the job opened is left empty, never half-written.
    std::optional<ConversionError> Run(const CipherParams& params, ProgressObserver* observer);

private:
    std::optional<ConversionError> Convert(const CipherParams& params, ProgressObserver* observer);
    std::optional<ConversionError> CloseBoth();
    void EmptyDestination();

    Endpoint source_;
    Endpoint dest_;
};

}  // namespace pomuru
