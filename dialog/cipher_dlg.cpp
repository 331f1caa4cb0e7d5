// The main dialog: data exchange, command bindings and the run behind プログラム実行.
#include "dialog/cipher_dlg.h"

#include "framework/data_exchange.h"
#include "framework/file_exception.h"
#include "framework/win_app.h"
#include "res/resource.h"

namespace {

CFileException::Operation OperationOf(pomuru::ConversionError::Action action) {
    using Action = pomuru::ConversionError::Action;
    switch (action) {
        case Action::OpenSource:
            return CFileException::Operation::OpenRead;
        case Action::OpenDest:
            return CFileException::Operation::OpenWrite;
        case Action::Read:
            return CFileException::Operation::Read;
        case Action::Write:
            return CFileException::Operation::Write;
        case Action::Close:
            return CFileException::Operation::Close;
    }
    return CFileException::Operation::Read;
}

}  // namespace

CCipherDlg::CCipherDlg(CWnd* pParent)
    : CDialog(IDD_CIPHER_DIALOG, pParent), m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {}

void CCipherDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_SOURCE_PATH, m_strSource);
    DDX_Text(pDX, IDC_DEST_PATH, m_strDest);
    DDX_Text(pDX, IDC_STEP, m_nStep);
    DDX_Text(pDX, IDC_VALUE, m_nValue);
    DDX_Text(pDX, IDC_START, m_nStart);
    DDX_Text(pDX, IDC_SLIDE, m_nSlide);
}

const MessageMap& CCipherDlg::GetThisMessageMap() {
    static const MessageMap messageMap{
        &CDialog::GetThisMessageMap(),
        {
            MessageEntry::Clicked(IDC_RUN, &CCipherDlg::OnRun),
            MessageEntry::Clicked(IDC_CHOOSE_SOURCE, &CCipherDlg::OnChooseSource),
            MessageEntry::Clicked(IDC_CHOOSE_DEST, &CCipherDlg::OnChooseDest),
        }};
    return messageMap;
}

bool CCipherDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The focus goes to the first control, the source path box.
    return true;
}

void CCipherDlg::OnRun() {
    pomuru::ConvertFile(*this);
}

// The file choosers come with the next step; the buttons are in place.
void CCipherDlg::OnChooseSource() {}

void CCipherDlg::OnChooseDest() {}

pomuru::ConversionFields CCipherDlg::Fields() const {
    return {m_strSource, m_strDest, m_nStep, m_nValue, m_nStart, m_nSlide};
}

void CCipherDlg::ReadBack() {
    UpdateData(true);
}

void CCipherDlg::Redisplay() {
    UpdateData(false);
}

void CCipherDlg::SetStatusTitle(const std::string& text) {
    SetWindowText(text);
}

bool CCipherDlg::IsRandomizeChecked() const {
    return IsDlgButtonChecked(IDC_RANDOMIZE) != 0;
}

bool CCipherDlg::CheckNumbers() {
    return ValidateData();
}

void CCipherDlg::ReportFailure(const pomuru::ConversionError& error) {
    CFileException(OperationOf(error.action), error.path, error.systemError).ReportError();
}
