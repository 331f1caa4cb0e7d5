// The framework's file exception, worded from the framework's texts in the resources.
#include "framework/file_exception.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "framework/win_app.h"
#include "framework/win_defs.h"

namespace {

unsigned ActionId(pomuru::FileOperation operation) {
    using pomuru::FileOperation;
    switch (operation) {
        case FileOperation::OpenRead:
            return AFX_IDP_FILE_OPEN_READ;
        case FileOperation::OpenWrite:
            return AFX_IDP_FILE_OPEN_WRITE;
        case FileOperation::Identify:
            return AFX_IDP_FILE_IDENTIFY;
        case FileOperation::Lock:
            return AFX_IDP_FILE_LOCK;
        case FileOperation::Read:
            return AFX_IDP_FILE_READ;
        case FileOperation::Write:
            return AFX_IDP_FILE_WRITE;
        case FileOperation::Truncate:
            return AFX_IDP_FILE_TRUNCATE;
        case FileOperation::Close:
            return AFX_IDP_FILE_CLOSE;
    }
    return AFX_IDP_FILE_CLOSE;
}

// The system's reason in Japanese; strerror's words and the number where there are none.
std::string DescribeOsError(int osError) {
    std::string reason;
    if (AfxLoadString(AFX_IDS_SYSTEM_ERROR + static_cast<unsigned>(osError), reason)) {
        return reason;
    }
    return AfxFormatString(AFX_IDS_UNKNOWN_ERROR,
                           {std::strerror(osError), std::to_string(osError)});
}

}  // namespace

std::string DescribeFileError(const pomuru::FileError& error) {
    const std::string file = pomuru::Printable(error.FileName());
    std::string text = error.IsBusy() ? AfxFormatString(AFX_IDP_FILE_BUSY, {file})
                                      : AfxFormatString(ActionId(error.Operation()), {file}) +
                                            "\n" + DescribeOsError(error.SystemError());
    if (error.CleanupError() != 0) {
        // Appended piece by piece: "\n" + ... draws a false -Wrestrict from GCC 12.
        text += '\n';
        text += AfxFormatString(AFX_IDP_FILE_CLEANUP, {pomuru::Printable(error.CleanupFileName())});
        text += '\n';
        text += DescribeOsError(error.CleanupError());
    }
    return text;
}

CFileException::CFileException(const pomuru::FileError& error)
    : CException(DescribeFileError(error)), m_error(error) {}
