// The application object: the hooks of start-up and what the program's windows share.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "framework/cmd_target.h"
#include "framework/icon_handle.h"

class CCommandLineInfo;
class CResourceModule;
class CWnd;

// The resources that AfxWinMain was given; nullptr outside it.
const CResourceModule* AfxGetResourceHandle();
// The string of that id in those resources; false, text unchanged, when there is none.
bool AfxLoadString(unsigned nID, std::string& text);
// The string of that id with %1, %2 … replaced by the texts given; empty when there is none.
std::string AfxFormatString(unsigned nID, std::initializer_list<std::string_view> texts = {});

class CWinApp : public CCmdTarget {
public:
    // The one application object, usually a static object of the program. Without a name the
    // application is named after its executable file.
    explicit CWinApp(std::string appName = {});
    ~CWinApp() override;

    // Called by AfxWinMain once the window system is up; false ends the program without a
    // message loop.
    virtual bool InitInstance();
    // The message loop, entered only when InitInstance returned true; returns ExitInstance().
    virtual int Run();
    // Called last; its result is the process's exit status.
    virtual int ExitInstance();

    // The caption of the framework's message boxes.
    const std::string& AppName() const { return m_strAppName; }
    // The icon of that resource id with all its sizes; an empty handle when the module has none.
    HICON LoadIcon(unsigned id) const;

    // The framework's help command (ID_HELP, F1); the framework has no help content to show.
    void OnHelp();
    // Hands each argument of the command line to rCmdInfo.ParseParam in turn; one that begins
    // with "-" is a flag. A file manager passes absolute paths.
    void ParseCommandLine(CCommandLineInfo& rCmdInfo) const;

    // The command line's arguments after the program's name, without those of the window
    // system; set by AfxWinMain.
    std::vector<std::string> m_arguments;

    // The window that stands for the application; reset when that window goes away.
    CWnd* m_pMainWnd = nullptr;

protected:
    static const MessageMap& GetThisMessageMap();
    const MessageMap& GetMessageMap() const override { return GetThisMessageMap(); }

    // The name of the program's desktop entry (without ".desktop"), by which the desktop
    // finds its icon and name for the windows; applied before InitInstance. Empty: none.
    std::string m_strDesktopFileName;

private:
    friend int AfxWinMain(int& argc, char** argv, const CResourceModule& resources);
    friend const CResourceModule* AfxGetResourceHandle();

    std::string m_strAppName;
    const CResourceModule* m_pResources = nullptr;
};

// The one application object; nullptr when there is none.
CWinApp* AfxGetApp();
