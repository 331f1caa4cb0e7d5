// CFile: a file opened with the framework's open flags and closed when the object goes away.
#pragma once

#include <string>

class CFile {
public:
    // One access mode, optionally creation, and the type, which changes nothing here: files
    // hold bytes, whatever their content.
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeCreate = 0x1000,  // creates the file, or empties it if it exists
        typeBinary = 0x8000,
    };

    // Opens the file as asked; throws a CFileException naming it and the system's reason when
    // it cannot. A folder cannot be opened as a file.
    CFile(std::string fileName, unsigned nOpenFlags);
    // Closes a file that is still open, without reporting: call Close to learn of errors.
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Closes the file; throws a CFileException when the system reports an error.
    virtual void Close();
    const std::string& GetFilePath() const { return m_strFileName; }

protected:
    static constexpr int hFileNull = -1;
    int m_hFile = hFileNull;  // the descriptor while the file is open

private:
    const std::string m_strFileName;
};
