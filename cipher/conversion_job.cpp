// Read, convert in place, write: one fixed buffer whatever the source's size.
#include "cipher/conversion_job.h"

#include <unistd.h>

#include <memory>
#include <utility>

#include "cipher/block_converter.h"

namespace pomuru {

std::variant<Endpoint, ConversionError> OpenSourceFile(const std::string& path) {
    int error = 0;
    FileDescriptor file = OpenForReading(path, error);
    if (error != 0) {
        return ConversionError{ConversionError::Action::OpenSource, path, error};
    }
    return Endpoint{std::move(file), path, path};
}

std::variant<Endpoint, ConversionError> CreateDestFile(const std::string& path) {
    int error = 0;
    FileDescriptor file = CreateForWriting(path, error);
    if (error != 0) {
        return ConversionError{ConversionError::Action::OpenDest, path, error};
    }
    return Endpoint{std::move(file), path, path};
}

ConversionJob::ConversionJob(Endpoint source, Endpoint dest)
    : source_(std::move(source)),
      dest_(std::move(dest)),
      destSizeBefore_(RegularFileSize(dest_.file.Get())) {}

std::variant<ConversionJob, ConversionError> ConversionJob::OpenFiles(const std::string& source,
                                                                      const std::string& dest) {
    auto in = OpenSourceFile(source);
    if (const auto* error = std::get_if<ConversionError>(&in)) {
        return *error;
    }
    auto out = CreateDestFile(dest);
    if (const auto* error = std::get_if<ConversionError>(&out)) {
        return *error;
    }
    return ConversionJob(std::get<Endpoint>(std::move(in)), std::get<Endpoint>(std::move(out)));
}

std::int64_t ConversionJob::SourceSize() const {
    return RegularFileSize(source_.file.Get());
}

std::optional<ConversionError> ConversionJob::Run(const CipherParams& params,
                                                  ProgressObserver* observer) {
    auto error = Convert(params, observer);
    if (error) {
        DiscardOutput();
    }
    if (auto closeError = CloseBoth(); closeError && !error) {
        error = std::move(closeError);
        DiscardOutput();
    }
    return error;
}

std::optional<ConversionError> ConversionJob::Convert(const CipherParams& params,
                                                      ProgressObserver* observer) {
    const auto converter = std::make_unique<const BlockConverter>(params);
    const auto buffer = std::make_unique<std::uint8_t[]>(kBlockSize);
    const std::span<std::uint8_t> whole(buffer.get(), kBlockSize);
    std::int64_t done = 0;
    for (;;) {
        const IoResult read = ReadSome(source_.file.Get(), whole);
        if (read.error != 0) {
            return ConversionError{ConversionError::Action::Read, source_.name, read.error};
        }
        if (read.bytes == 0) {
            return std::nullopt;
        }
        const auto block = whole.first(read.bytes);
        converter->Convert(block, done + 1);
        const IoResult written = WriteAll(dest_.file.Get(), block);
        if (written.error != 0) {
            return ConversionError{ConversionError::Action::Write, dest_.name, written.error};
        }
        done += static_cast<std::int64_t>(read.bytes);
        if (observer != nullptr) {
            observer->OnProgress(done);
        }
    }
}

std::optional<ConversionError> ConversionJob::CloseBoth() {
    const int sourceError = source_.file.Close();
    const int destError = dest_.file.Close();
    if (sourceError != 0) {
        return ConversionError{ConversionError::Action::Close, source_.name, sourceError};
    }
    if (destError != 0) {
        return ConversionError{ConversionError::Action::Close, dest_.name, destError};
    }
    return std::nullopt;
}

void ConversionJob::DiscardOutput() {
    // Best effort: the failure being reported matters more than a second one here.
    if (dest_.file.IsOpen()) {
        if (destSizeBefore_ >= 0) {
            [[maybe_unused]] const int ignored = ::ftruncate(dest_.file.Get(), destSizeBefore_);
        }
    } else if (!dest_.path.empty()) {
        [[maybe_unused]] const int ignored = ::truncate(dest_.path.c_str(), 0);
    }
}

}  // namespace pomuru
