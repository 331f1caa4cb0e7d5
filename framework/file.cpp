// CFile on the program's one file layer, its errors turned into the framework's exception.
#include "framework/file.h"

#include <utility>

#include "base/file_error.h"
#include "framework/file_exception.h"

namespace {

// Runs a file operation; a failure becomes the exception the dispatcher reports.
template <class Operation>
auto Reported(Operation&& operation) {
    try {
        return std::forward<Operation>(operation)();
    } catch (const pomuru::FileError& error) {
        throw CFileException(error);
    }
}

pomuru::File Open(const std::string& fileName, unsigned flags) {
    if (!(flags & CFile::modeWrite)) {
        return pomuru::File::OpenForReading(fileName);
    }
    pomuru::File file = (flags & CFile::modeCreate)
                            ? pomuru::File::OpenForWriting(fileName)
                            : pomuru::File::OpenExistingForWriting(fileName);
    // A file a run is writing is neither emptied nor written under it.
    file.LockExclusively();
    if ((flags & CFile::modeCreate) && !(flags & CFile::modeNoTruncate) && file.RegularFileSize()) {
        file.Truncate(0);
    }
    return file;
}

}  // namespace

CFile::CFile(const std::string& fileName, unsigned nOpenFlags)
    : m_file(Reported([&] { return Open(fileName, nOpenFlags); })) {}

void CFile::SetLength(std::int64_t length) {
    Reported([&] { m_file.Truncate(length); });
}

bool CFile::IsSameFileAs(const std::string& path) const {
    return Reported([&] { return pomuru::IsSameFile(m_file, path); });
}

void CFile::Close() {
    Reported([&] { m_file.Close(); });
}
