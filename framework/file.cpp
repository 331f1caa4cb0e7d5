// Opening and closing files by descriptor, with the reasons of failures kept for the message.
#include "framework/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "framework/file_exception.h"

namespace {

int OpenMode(unsigned flags) {
    int mode = O_CLOEXEC | ((flags & CFile::modeWrite) ? O_WRONLY : O_RDONLY);
    if (flags & CFile::modeCreate) {
        mode |= O_CREAT | O_TRUNC;
    }
    return mode;
}

}  // namespace

CFile::CFile(std::string fileName, unsigned nOpenFlags) : m_strFileName(std::move(fileName)) {
    const auto operation = (nOpenFlags & modeWrite) ? CFileException::Operation::OpenWrite
                                                    : CFileException::Operation::OpenRead;
    const int fd = ::open(m_strFileName.c_str(), OpenMode(nOpenFlags), 0666);
    if (fd < 0) {
        throw CFileException(operation, m_strFileName, errno);
    }
    // open() gives a folder for reading; a file probe must not take it for a file.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        throw CFileException(operation, m_strFileName, EISDIR);
    }
    m_hFile = fd;
}

CFile::~CFile() {
    if (m_hFile != hFileNull) {
        ::close(m_hFile);
    }
}

void CFile::Close() {
    if (m_hFile == hFileNull) {
        return;
    }
    const int fd = m_hFile;
    m_hFile = hFileNull;
    if (::close(fd) != 0) {
        throw CFileException(CFileException::Operation::Close, m_strFileName, errno);
    }
}
