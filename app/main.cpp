// Process entry: hands the command line and the program's resources to the framework.
#include "framework/afx_win_main.h"
#include "res/cipher_resources.h"

int main(int argc, char* argv[]) {
    return AfxWinMain(argc, argv, CipherResources());
}
