// The queries on a drop of files.
#include "framework/drop_files.h"

unsigned DragQueryFile(HDROP hDrop, unsigned iFile, std::string* file) {
    if (iFile == 0xFFFFFFFF) {
        return static_cast<unsigned>(hDrop->files.size());
    }
    if (iFile >= hDrop->files.size()) {
        return 0;
    }
    if (file != nullptr) {
        *file = hDrop->files[iFile];
    }
    return static_cast<unsigned>(hDrop->files[iFile].size());
}

int DragQueryControl(HDROP hDrop) {
    return hDrop->nControlID;
}
