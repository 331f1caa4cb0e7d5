// CCipherApp: the application object, which runs the main dialog and then ends the program.
#pragma once

#include "framework/win_app.h"

class CCipherApp : public CWinApp {
public:
    CCipherApp();

    bool InitInstance() override;

protected:
    static const MessageMap& GetThisMessageMap();
    const MessageMap& GetMessageMap() const override { return GetThisMessageMap(); }
};
