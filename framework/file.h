// CFile: a file opened with the framework's open flags and closed when the object goes away.
#pragma once

#include <cstdint>
#include <string>

#include "base/file.h"

class CFile {
public:
    // One access mode, optionally creation, and the type, which changes nothing here: files
    // hold bytes, whatever their content. Without modeCreate the file must exist.
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeCreate = 0x1000,      // creates the file, or empties it if it exists
        modeNoTruncate = 0x2000,  // with modeCreate: keeps what an existing file holds
        typeBinary = 0x8000,
    };

    // Opens the file as asked; throws a CFileException naming it and the system's reason when
    // it cannot. A folder cannot be opened as a file. A file opened for writing is this
    // process's alone until it is closed: one that a conversion is writing is refused.
    CFile(const std::string& fileName, unsigned nOpenFlags);
    virtual ~CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Cuts the file to that length; throws a CFileException when the system refuses.
    void SetLength(std::int64_t length);
    // Whether this is the file that path leads to, under whatever spelling; throws a
    // CFileException when that cannot be told.
    bool IsSameFileAs(const std::string& path) const;
    // Closes the file; throws a CFileException when the system reports an error. Closing on
    // destruction reports nothing.
    virtual void Close();

private:
    pomuru::File m_file;
};
