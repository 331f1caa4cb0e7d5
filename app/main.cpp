// Process entry: hands the command line and the program's resources to the framework.
#include "base/file.h"
#include "framework/afx_win_main.h"
#include "res/cipher_resources.h"

int main(int argc, char* argv[]) {
    // Before anything is opened: a destination must not take a closed stream's place and
    // receive the toolkit's warnings.
    if (!pomuru::OccupyClosedStandardStreams()) {
        return 1;
    }
    return AfxWinMain(argc, argv, CipherResources());
}
