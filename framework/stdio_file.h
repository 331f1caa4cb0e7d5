// CStdioFile: the file probe of the choosers, a CFile under the name the program uses for it.
#pragma once

#include "framework/file.h"

class CStdioFile : public CFile {
public:
    using CFile::CFile;
};
