// Runs the GUI tests inside the framework's start-up, where the program's own dialogs run.
#include <gtest/gtest.h>

#include "framework/afx_win_main.h"
#include "framework/win_app.h"
#include "framework/win_defs.h"
#include "res/cipher_resources.h"

namespace {

class CTestApp final : public CWinApp {
public:
    bool InitInstance() override {
        m_nResult = RUN_ALL_TESTS();
        return false;
    }
    int ExitInstance() override { return m_nResult; }

protected:
    // The help command as the program binds it.
    static const MessageMap& GetThisMessageMap() {
        static const MessageMap messageMap{&CWinApp::GetThisMessageMap(),
                                           {MessageEntry::Command(ID_HELP, &CWinApp::OnHelp)}};
        return messageMap;
    }
    const MessageMap& GetMessageMap() const override { return GetThisMessageMap(); }

private:
    int m_nResult = 1;
};

}  // namespace

int main(int argc, char* argv[]) {
    testing::InitGoogleTest(&argc, argv);
    CTestApp app;
    return AfxWinMain(argc, argv, CipherResources());
}
