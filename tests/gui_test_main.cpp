// Runs the GUI tests inside the framework's start-up, where the program's own dialogs run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "framework/afx_win_main.h"
#include "framework/win_app.h"
#include "res/cipher_resources.h"
#include "test_support.h"

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

// The files under the user's home folder, where the XDG folders lie too.
std::set<std::filesystem::path> UserFiles() {
    std::set<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             std::getenv("HOME") != nullptr ? std::getenv("HOME") : "", error)) {
        if (!entry.is_directory()) {
            files.insert(entry.path());
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
    // A fresh home folder for every run, so that a file an earlier run left cannot hide one this
    // run writes; "c:\mydata", where the choosers open, is the folder of that name in it.
    // Windows' own file chooser keeps its history in the registry, which no look at the files
    // can see; the user's profile there holds Wine's links to the whole Linux home folder.
    const pomuru::test::TempDir home;
    std::filesystem::create_directory(home.Path() / "mydata");
    ::setenv("HOME", home.Path().c_str(), 1);
    for (const char* variable :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
        ::unsetenv(variable);
    }
    testing::AddGlobalTestEnvironment(new NoTraceInUserFolders);
#endif
    CTestApp app;
    return AfxWinMain(argc, argv, CipherResources());
}
