// One conversion from an open source to an open destination, block by block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/file.h"
#include "base/interrupt_cleanup.h"
#include "cipher/cipher_params.h"

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

    // Where the run writes over old bytes of a standard output opened for reading and writing
    // (a shell's "1<>") rather than after them; nothing otherwise. Cutting back cannot bring
    // those bytes back.
    std::optional<std::int64_t> OverwritesFrom() const { return overwritesFrom_; }
    // After a failed run, where it overwrote old bytes in that way: from OverwritesFrom to this.
    std::int64_t OverwrittenEnd() const { return overwrittenEnd_; }

    // Converts the whole source into the destination and closes both. On failure, and on a
    // terminating signal, the destination is cut back to the size it had before, never left
    // half-written; a failure is thrown as a FileError, which also tells of a failed cut-back.
    // notices are written to standard error when a signal ends the run.
    void Run(const CipherParams& params, ProgressObserver* observer,
             const InterruptNotices& notices = {});

private:
    ConversionJob(File source, File dest, std::optional<std::int64_t> destSizeBefore,
                  std::optional<std::int64_t> overwritesFrom);
    void Convert(const CipherParams& params, ProgressObserver* observer);
    // Cuts the destination back; a failure to do so is added to failure, where there is one.
    void CutBack(FileError* failure) noexcept;

    File source_;
    File dest_;
    std::optional<std::int64_t> destSizeBefore_;  // nothing for a pipe, terminal or device
    std::optional<std::int64_t> overwritesFrom_;
    std::int64_t overwrittenEnd_ = 0;
};

}  // namespace pomuru
