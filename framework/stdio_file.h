// CStdioFile: a file opened as CFile is, read and written through a buffered stream.
#pragma once

#include <cstdio>
#include <string>

#include "framework/file.h"

class CStdioFile : public CFile {
public:
    // Opens the file as CFile does, then puts a stream on it; throws a CFileException naming
    // the file and the system's reason when either fails.
    CStdioFile(std::string fileName, unsigned nOpenFlags);
    ~CStdioFile() override;

    // Flushes and closes the stream; throws a CFileException when that fails.
    void Close() override;

    std::FILE* m_pStream = nullptr;  // owns the descriptor once set
};
