// Read, convert in place, write: one fixed buffer whatever the source's size.
#include "cipher/conversion_job.h"

#include <memory>
#include <new>
#include <utility>

#include "cipher/block_converter.h"
#include "cipher/interrupt_cleanup.h"

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

}  // namespace

std::optional<ConversionJob> ConversionJob::Prepare(File source, File dest) {
    if (source.IsSameFileAs(dest)) {
        return std::nullopt;
    }
    std::optional<std::int64_t> sizeBefore = dest.RegularFileSize();
    // A device or pipe has no contents to guard or to empty.
    if (sizeBefore) {
        dest.LockExclusively();
        // An empty file is left alone: on ext4, emptying even an empty file makes the final
        // close wait for the whole output to be written out.
        if (!dest.IsStandardStream() && *sizeBefore != 0) {
            dest.Truncate(0);
            sizeBefore = 0;
        }
    }
    return ConversionJob(std::move(source), std::move(dest), sizeBefore);
}

ConversionJob::ConversionJob(File source, File dest, std::optional<std::int64_t> destSizeBefore)
    : source_(std::move(source)), dest_(std::move(dest)), destSizeBefore_(destSizeBefore) {}

void ConversionJob::Run(const CipherParams& params, ProgressObserver* observer,
                        const std::string& interruptNotice) {
    std::optional<InterruptCleanup> interrupts;
    if (destSizeBefore_) {
        interrupts.emplace(dest_, *destSizeBefore_, interruptNotice);
    }
    try {
        Convert(params, observer);
        source_.Close();
        dest_.Close();
    } catch (FileError& failure) {
        CutBack(failure);
        throw;
    }
}

void ConversionJob::Convert(const CipherParams& params, ProgressObserver* observer) {
    const auto converter = std::make_unique<const BlockConverter>(params);
    const auto buffer = AllocateBlock();
    const std::span<std::uint8_t> whole(buffer.get(), kBlockSize);
    // Room set aside at once costs the file system less than finding it block by block.
    std::int64_t reserved = 0;
    if (destSizeBefore_) {
        if (const auto size = source_.RegularFileSize()) {
            dest_.Reserve(*size);
            reserved = *size;
        }
    }
    std::int64_t done = 0;
    while (const std::size_t size = source_.Read(whole)) {
        const auto block = whole.first(size);
        converter->Convert(block, done + 1);
        dest_.Write(block);
        done += static_cast<std::int64_t>(size);
        if (observer != nullptr) {
            observer->OnProgress(done);
        }
    }
    // A source that shrank meanwhile leaves room set aside past the end: give it back.
    if (done < reserved) {
        dest_.Truncate(*dest_.RegularFileSize());
    }
}

void ConversionJob::CutBack(FileError& failure) noexcept {
    if (!destSizeBefore_) {
        return;
    }
    try {
        dest_.Truncate(*destSizeBefore_);
    } catch (const FileError& cleanup) {
        failure.AddFailedCleanup(cleanup.FileName(), cleanup.IsStream(), cleanup.SystemError());
    }
}

}  // namespace pomuru
