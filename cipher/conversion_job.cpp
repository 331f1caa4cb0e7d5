// Read, convert in place, write: one fixed buffer whatever the source's size.
#include "cipher/conversion_job.h"

#include <memory>
#include <utility>

#include "cipher/block_converter.h"
#include "cipher/file_error.h"

namespace pomuru {

std::optional<ConversionJob> ConversionJob::Prepare(File source, File dest) {
    if (source.IsSameFileAs(dest)) {
        return std::nullopt;
    }
    std::optional<std::int64_t> sizeBefore = dest.RegularFileSize();
    // A device or pipe has no contents to empty.
    if (!dest.IsStandardStream() && sizeBefore) {
        dest.Truncate(0);
        sizeBefore = 0;
    }
    return ConversionJob(std::move(source), std::move(dest), sizeBefore);
}

ConversionJob::ConversionJob(File source, File dest, std::optional<std::int64_t> destSizeBefore)
    : source_(std::move(source)), dest_(std::move(dest)), destSizeBefore_(destSizeBefore) {}

void ConversionJob::Run(const CipherParams& params, ProgressObserver* observer) {
    try {
        Convert(params, observer);
        source_.Close();
        dest_.Close();
    } catch (const FileError&) {
        CutBack();
        throw;
    }
}

void ConversionJob::Convert(const CipherParams& params, ProgressObserver* observer) {
    const auto converter = std::make_unique<const BlockConverter>(params);
    const auto buffer = std::make_unique<std::uint8_t[]>(kBlockSize);
    const std::span<std::uint8_t> whole(buffer.get(), kBlockSize);
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
}

void ConversionJob::CutBack() noexcept {
    // Best effort: the failure being reported matters more than a second one here.
    if (destSizeBefore_) {
        try {
            dest_.Truncate(*destSizeBefore_);
        } catch (const FileError&) {
        }
    }
}

}  // namespace pomuru
