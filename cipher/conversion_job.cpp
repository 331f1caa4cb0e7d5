// Read, convert in place, write, through one fixed buffer whatever the source's size; long
// unchanged stretches are copied inside the kernel instead.
#include "cipher/conversion_job.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <utility>

#include "base/interrupt_cleanup.h"
#include "cipher/block_converter.h"

namespace pomuru {

namespace {

// Page-aligned, so that the kernel copies whole pages to and from it.
constexpr std::align_val_t kPageAlignment{4096};

struct AlignedDelete {
    void operator()(std::uint8_t* p) const { ::operator delete[](p, kPageAlignment); }
};

std::unique_ptr<std::uint8_t[], AlignedDelete> AllocateBlock() {
    return std::unique_ptr<std::uint8_t[], AlignedDelete>(
        static_cast<std::uint8_t*>(::operator new[](ConversionJob::kBlockSize, kPageAlignment)));
}

// Unchanged stretches from this length on are copied inside the kernel, which copies once
// where reading and writing copy twice. Shorter ones do not pay for the extra system calls
// around each stretch (on tmpfs the two ways break even near 128 KiB).
constexpr std::int64_t kMinKernelCopy = 192 * 1024;
// Copies are cut into pieces this long so that progress is still told.
constexpr std::int64_t kCopyChunk = 8 * 1024 * 1024;

// How much to read at position: a whole block, or, where a long unchanged stretch follows the
// next converted byte and the kernel copies it, only up to that byte.
std::size_t ReadSize(const BlockConverter& converter, std::int64_t position, bool kernelCopies) {
    const std::int64_t unchanged = converter.UnchangedFrom(position);
    if (kernelCopies && unchanged < kMinKernelCopy &&
        converter.UnchangedFrom(position + unchanged + 1) >= kMinKernelCopy) {
        return static_cast<std::size_t>(
            std::min<std::int64_t>(unchanged + 1, ConversionJob::kBlockSize));
    }
    return ConversionJob::kBlockSize;
}

}  // namespace

std::optional<ConversionJob> ConversionJob::Prepare(File source, File dest) {
    if (source.IsSameFileAs(dest)) {
        return std::nullopt;
    }
    // A device or pipe has no contents to guard or to empty.
    if (!dest.RegularFileSize()) {
        return ConversionJob(std::move(source), std::move(dest), std::nullopt, std::nullopt);
    }
    // Locked first, looked at after: until it is ours, another run may still be writing it.
    dest.LockExclusively();
    std::int64_t sizeBefore = dest.RegularFileSize().value_or(0);
    std::optional<std::int64_t> overwritesFrom;
    if (dest.IsStandardStream()) {
        if (const std::int64_t offset = dest.WriteOffset(); offset < sizeBefore) {
            overwritesFrom = offset;
        }
    } else if (sizeBefore != 0) {
        // An empty file is left alone: on ext4, emptying even an empty file makes the final
        // close wait for the whole output to be written out.
        dest.Truncate(0);
        sizeBefore = 0;
    }
    return ConversionJob(std::move(source), std::move(dest), sizeBefore, overwritesFrom);
}

ConversionJob::ConversionJob(File source, File dest, std::optional<std::int64_t> destSizeBefore,
                             std::optional<std::int64_t> overwritesFrom)
    : source_(std::move(source)),
      dest_(std::move(dest)),
      destSizeBefore_(destSizeBefore),
      overwritesFrom_(overwritesFrom) {}

void ConversionJob::Run(const CipherParams& params, ProgressObserver* observer,
                        const InterruptNotices& notices) {
    std::optional<InterruptCleanup> interrupts;
    if (destSizeBefore_) {
        interrupts.emplace(dest_, *destSizeBefore_, notices);
    }
    // An interrupt from here on cuts back, as the caller is about to.
    const auto abandon = [&](FileError* failure) {
        if (interrupts) {
            interrupts->OutputIncomplete(dest_);
        }
        CutBack(failure);
    };
    try {
        Convert(params, observer);
        source_.Close();
        // Written in full: an interrupt while the file closes leaves it so.
        if (interrupts) {
            interrupts->OutputComplete();
        }
        dest_.Close();
    } catch (FileError& failure) {
        abandon(&failure);
        throw;
    } catch (const std::bad_alloc&) {
        // Memory for a message or the progress line: the run is lost all the same.
        abandon(nullptr);
        throw FileError(FileOperation::Write, dest_.Name(), ENOMEM, dest_.IsStandardStream());
    }
}

void ConversionJob::Convert(const CipherParams& params, ProgressObserver* observer) {
    std::unique_ptr<const BlockConverter> converter;
    std::unique_ptr<std::uint8_t[], AlignedDelete> buffer;
    try {
        converter = std::make_unique<const BlockConverter>(params);
        buffer = AllocateBlock();
    } catch (const std::bad_alloc&) {
        // Memory to read the source into.
        throw FileError(FileOperation::Read, source_.Name(), ENOMEM, source_.IsStandardStream());
    }
    const std::span<std::uint8_t> whole(buffer.get(), kBlockSize);
    // Room set aside at once costs the file system less than finding it block by block.
    std::int64_t reserved = 0;
    if (destSizeBefore_) {
        if (const auto size = source_.RegularFileSize()) {
            dest_.Reserve(*size);
            reserved = *size;
        }
    }
    // Until the kernel declines, long unchanged stretches never pass through the buffer.
    bool kernelCopies = true;
    std::int64_t done = 0;
    for (;;) {
        const std::int64_t position = done + 1;
        const std::int64_t unchanged = converter->UnchangedFrom(position);
        std::size_t moved = 0;
        if (kernelCopies && unchanged >= kMinKernelCopy) {
            const auto copied =
                source_.CopyTo(dest_, static_cast<std::size_t>(std::min(unchanged, kCopyChunk)));
            // Nothing copied before the end would mean a file the kernel cannot copy.
            kernelCopies = copied.value_or(0) > 0;
            moved = copied.value_or(0);
        }
        if (moved == 0) {
            const auto block = whole.first(ReadSize(*converter, position, kernelCopies));
            moved = source_.Read(block);
            if (moved == 0) {
                break;
            }
            converter->Convert(block.first(moved), position);
            dest_.Write(block.first(moved));
        }
        done += static_cast<std::int64_t>(moved);
        if (observer != nullptr) {
            observer->OnProgress(done);
        }
    }
    // A source that shrank meanwhile leaves room set aside past the end: give it back.
    if (done < reserved) {
        dest_.Truncate(*dest_.RegularFileSize());
    }
}

void ConversionJob::CutBack(FileError* failure) noexcept {
    if (!destSizeBefore_) {
        return;
    }
    if (overwritesFrom_) {
        try {
            overwrittenEnd_ = std::clamp(dest_.WriteOffset(), *overwritesFrom_, *destSizeBefore_);
        } catch (const FileError&) {
            // Where writing stopped is unknown: any old byte after the start may be gone.
            overwrittenEnd_ = *destSizeBefore_;
        }
    }
    try {
        dest_.Truncate(*destSizeBefore_);
    } catch (const FileError& cleanup) {
        if (failure != nullptr) {
            failure->AddFailedCleanup(cleanup.FileName(), cleanup.IsStream(),
                                      cleanup.SystemError());
        }
    }
}

}  // namespace pomuru
