// Runs the GUI tests inside the framework's start-up, where the program's own dialogs run.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "framework/afx_win_main.h"
#include "framework/win_app.h"
#include "res/cipher_resources.h"
#include "user_files.h"

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

// The program keeps no settings, history or recently used entries: after every dialog and
// chooser of the tests has been used, no file has appeared in the user's folders.
class NoTraceInUserFolders final : public testing::Environment {
public:
    void SetUp() override { before_ = pomuru::test::UserFiles(); }
    void TearDown() override {
        for (const auto& file : pomuru::test::UserFiles()) {
            EXPECT_TRUE(before_.contains(file)) << "written: " << file;
        }
    }

private:
    std::set<std::filesystem::path> before_;
};

}  // namespace

int main(int argc, char* argv[]) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new NoTraceInUserFolders);
    CTestApp app;
    return AfxWinMain(argc, argv, CipherResources());
}
