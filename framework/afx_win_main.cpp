// The framework's entry: the window system's application, then the application object in it.
#include "framework/afx_win_main.h"

#include <algorithm>
#include <cstdlib>

#include "framework/backend.h"
#include "framework/scoped_value.h"
#include "framework/win_app.h"

int AfxWinMain(int& argc, char** argv, const CResourceModule& resources) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return EXIT_FAILURE;
    }
    return afx_backend::RunApplication(argc, argv, {app->m_strDesktopFileName}, [&] {
        // What the window system has left of the command line.
        app->m_arguments.assign(argv + std::min(argc, 1), argv + argc);
        if (app->m_strAppName.empty()) {
            app->m_strAppName = afx_backend::ExecutableName();
        }
        // Nothing looks the resources up once the entry has returned.
        const ScopedValue resourceScope(app->m_pResources, &resources);
        if (!app->InitInstance()) {
            return app->ExitInstance();
        }
        return app->Run();
    });
}
