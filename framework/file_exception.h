// The framework's file exception, worded in Japanese with the file and the system's reason.
#pragma once

#include <string>

#include "base/file_error.h"
#include "framework/exception.h"

class CFileException : public CException {
public:
    explicit CFileException(const pomuru::FileError& error);

    const pomuru::FileError& Error() const { return m_error; }

private:
    pomuru::FileError m_error;
};

// The message a file error shows, e.g. "ファイル「a.bin」を開けませんでした。" and the reason
// on a second line.
std::string DescribeFileError(const pomuru::FileError& error);
