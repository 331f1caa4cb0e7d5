// Runs the GUI tests inside the framework's start-up, where the program's own dialogs run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "framework/afx_win_main.h"
#include "framework/win_app.h"
#include "res/cipher_resources.h"

namespace {

class CTestApp final : public CWinApp {
public:
    bool InitInstance() override {
        m_nResult = RUN_ALL_TESTS();
        return false;
    }
    int ExitInstance() override { return m_nResult; }

private:
    int m_nResult = 1;
};

// The files under the user's folders (HOME and the XDG folders).
std::set<std::filesystem::path> UserFiles() {
    std::set<std::filesystem::path> files;
    for (const char* variable :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
        std::error_code error;
        const char* folder = std::getenv(variable);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(
                 folder != nullptr ? folder : "", error)) {
            if (!entry.is_directory()) {
                files.insert(entry.path());
            }
        }
    }
    return files;
}

// The program keeps no settings, history or recently used entries: after every dialog and
// chooser of the tests has been used, no file has appeared in the user's folders.
class NoTraceInUserFolders final : public testing::Environment {
public:
    void SetUp() override { before_ = UserFiles(); }
    void TearDown() override {
        for (const auto& file : UserFiles()) {
            EXPECT_TRUE(before_.contains(file)) << "written: " << file;
        }
    }

private:
    std::set<std::filesystem::path> before_;
};

}  // namespace

int main(int argc, char* argv[]) {
    testing::InitGoogleTest(&argc, argv);
#ifndef _WIN32
    // Windows' own file chooser keeps its history in the registry, which no look at the files
    // can see; the user's profile there holds Wine's links to the whole Linux home folder.
    testing::AddGlobalTestEnvironment(new NoTraceInUserFolders);
#endif
    CTestApp app;
    return AfxWinMain(argc, argv, CipherResources());
}
