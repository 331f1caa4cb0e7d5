// One conversion from an open source to an open destination, block by block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cipher/cipher_params.h"
#include "cipher/file.h"

namespace pomuru {

// Told how far a conversion has come, after every block.
class ProgressObserver {
public:
    virtual ~ProgressObserver() = default;
    virtual void OnProgress(std::int64_t bytesDone) = 0;
};

class ConversionJob {
public:
    // Read and write size: large enough that system calls cost little, small enough that a
    // block stays in a core's cache between read, conversion and write.
    static constexpr std::size_t kBlockSize = 512 * 1024;

    // Nothing when the two are one file: then nothing has been changed. Otherwise the
    // destination is taken for this run alone (another run's is refused, a FileError) and a
    // destination opened by path is emptied; a borrowed standard output keeps what it holds
    // (a shell's ">>") and the conversion follows it.
    static std::optional<ConversionJob> Prepare(File source, File dest);

    // Size of the source if it is a regular file.
    std::optional<std::int64_t> SourceSize() const { return source_.RegularFileSize(); }

    // Converts the whole source into the destination and closes both. On failure, and on a
    // terminating signal, the destination is cut back to what it held before, never left
    // half-written; a failure is thrown as a FileError, which also tells of a failed cut-back.
    // interruptNotice is written to standard error when a signal ends the run.
    void Run(const CipherParams& params, ProgressObserver* observer,
             const std::string& interruptNotice = {});

private:
    ConversionJob(File source, File dest, std::optional<std::int64_t> destSizeBefore);
    void Convert(const CipherParams& params, ProgressObserver* observer);
    void CutBack(FileError& failure) noexcept;

    File source_;
    File dest_;
    std::optional<std::int64_t> destSizeBefore_;  // nothing for a pipe, terminal or device
};

}  // namespace pomuru
