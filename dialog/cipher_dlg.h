// CCipherDlg: the main dialog, its fields, and the host operations of the conversion run.
#pragma once

#include <cstdint>
#include <string>

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

    // What the conversion run needs of its host.
    pomuru::ConversionFields Fields() const override;
    void ReadBack() override;
    void Redisplay() override;
    void SetStatusTitle(const std::string& text) override;
    bool IsRandomizeChecked() const override;
    bool CheckNumbers() override;
    void ReportFailure(const pomuru::FileError& error) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;

    void OnRun();
    void OnChooseSource();
    void OnChooseDest();
    // The window menu's About entry opens the About box; its other items get their usual
    // processing.
    void OnSysCommand(unsigned nID, std::intptr_t lParam);
    // No OnPaint: the desktops here draw a minimised window themselves, from its window icon,
    // and let no program paint it. The dragged icon of a minimised window would be this one.
    HICON OnQueryDragIcon() const { return m_hIcon; }

    static const MessageMap& GetThisMessageMap();
    const MessageMap& GetMessageMap() const override { return GetThisMessageMap(); }

    HICON m_hIcon;
    std::string m_strSourceChosen;  // the path the source chooser last returned
    std::string m_strDestChosen;    // the path the destination chooser last returned
};
