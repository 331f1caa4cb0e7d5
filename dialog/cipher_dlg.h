// CCipherDlg: the main dialog, its fields, and the host operations of the conversion run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cipher/conversion_run.h"
#include "framework/dialog.h"
#include "framework/icon_handle.h"

class CCipherDlg : public CDialog, public pomuru::ConversionHost {
public:
    explicit CCipherDlg(CWnd* pParent = nullptr);

    // Dialog data, in declaration order; bound to the controls by DoDataExchange.
    std::string m_strSource;
    std::string m_strDest;
    std::int32_t m_nStep = 0;
    std::int32_t m_nValue = 0;
    std::int32_t m_nStart = 0;
    std::int32_t m_nSlide = 0;
    // The files the command line names, taken as the source once the window is up.
    std::vector<std::string> m_filesToOpen;

    // What the conversion run needs of its host.
    pomuru::ConversionFields Fields() const override;
    void ReadBack() override;
    void Redisplay() override;
    void SetStatusTitle(const std::string& text) override;
    bool IsRandomizeChecked() const override;
    bool CheckNumbers() override;
    void ReportFailure(const pomuru::FileError& error) override;
    void ShowProgress(const pomuru::RunProgress& progress) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;

    void OnRun();
    void OnChooseSource();
    void OnChooseDest();
    // A file dropped on the destination box is the destination, anywhere else the source.
    void OnDropFiles(HDROP hDropInfo);
    // ID_FILE_OPEN: the files of the command line.
    void OnFileOpen();
    // The window menu's About entry opens the About box; its other items get their usual
    // processing.
    void OnSysCommand(unsigned nID, std::intptr_t lParam);
    // No OnPaint: the desktops here draw a minimised window themselves, from its window icon,
    // and let no program paint it. The dragged icon of a minimised window would be this one.
    HICON OnQueryDragIcon() const { return m_hIcon; }

    static const MessageMap& GetThisMessageMap();
    const MessageMap& GetMessageMap() const override { return GetThisMessageMap(); }

    // One file, from a drop or the command line, as the chooser of its box would take it;
    // several are refused.
    void TakeFiles(const std::vector<std::string>& files, bool asDest);
    // The source as its chooser sets it; a path picked is probed for reading first.
    void SetSource(const std::string& path, bool picked);
    void TakeDroppedDest(const std::string& path);

    HICON m_hIcon;
    std::string m_strSourceChosen;  // the path the source chooser last returned
    std::string m_strDestChosen;    // the path the destination chooser last returned
};
