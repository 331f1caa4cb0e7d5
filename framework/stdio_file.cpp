// The stream on a CFile's descriptor, and its checked close.
#include "framework/stdio_file.h"

#include <cerrno>
#include <utility>

#include "framework/file_exception.h"

CStdioFile::CStdioFile(std::string fileName, unsigned nOpenFlags)
    : CFile(std::move(fileName), nOpenFlags) {
    const bool write = (nOpenFlags & modeWrite) != 0;
    m_pStream = ::fdopen(m_hFile, write ? "wb" : "rb");
    if (m_pStream == nullptr) {
        // CFile's destructor closes the descriptor.
        throw CFileException(
            write ? CFileException::Operation::OpenWrite : CFileException::Operation::OpenRead,
            GetFilePath(), errno);
    }
}

CStdioFile::~CStdioFile() {
    if (m_pStream != nullptr) {
        std::fclose(m_pStream);
        m_hFile = hFileNull;
    }
}

void CStdioFile::Close() {
    if (m_pStream == nullptr) {
        return;
    }
    std::FILE* stream = m_pStream;
    m_pStream = nullptr;
    m_hFile = hFileNull;
    if (std::fclose(stream) != 0) {
        throw CFileException(CFileException::Operation::Close, GetFilePath(), errno);
    }
}
