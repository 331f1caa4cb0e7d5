// What a drop of files on a window hands its OnDropFiles handler, as WM_DROPFILES does.
#pragma once

#include <string>
#include <vector>

struct DropFiles {
    std::vector<std::string> files;  // full paths, in the order the window system gave them
    int nControlID = 0;              // the control the files landed on; 0: none
};
using HDROP = const DropFiles*;

// With iFile 0xFFFFFFFF, the number of files dropped; otherwise copies the path of that file
// into file and returns its length, or 0 past the last file.
unsigned DragQueryFile(HDROP hDrop, unsigned iFile, std::string* file = nullptr);
// The control the files were dropped on, as ChildWindowFromPoint tells it for DragQueryPoint's
// point; 0 for the window itself.
int DragQueryControl(HDROP hDrop);
