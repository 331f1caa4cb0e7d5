// The framework's file exception, worded in Japanese with the file and the system's reason.
#pragma once

#include <string>

#include "framework/exception.h"

class CFileException : public CException {
public:
    enum class Operation { OpenRead, OpenWrite, Read, Write, Close };

    CFileException(Operation operation, std::string fileName, int osError);

    const Operation m_operation;
    const std::string m_strFileName;
    const int m_lOsError;  // errno
};

// The system's reason for a failure in Japanese; strerror's text for numbers without one.
std::string DescribeOsError(int osError);

// The message a file exception shows, e.g. "ファイル「a.bin」を開けませんでした。" and the reason
// on a second line.
std::string DescribeFileError(CFileException::Operation operation, const std::string& fileName,
                              int osError);
