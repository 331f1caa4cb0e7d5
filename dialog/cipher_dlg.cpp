// The main dialog: data exchange, command bindings, the file choosers, the window menu's About
// entry and the run behind プログラム実行.
#include "dialog/cipher_dlg.h"

#include <string>
#include <string_view>

#include "dialog/about_dlg.h"
#include "framework/data_exchange.h"
#include "framework/file_dialog.h"
#include "framework/file_exception.h"
#include "framework/menu.h"
#include "framework/resource_module.h"
#include "framework/stdio_file.h"
#include "framework/win_app.h"
#include "res/resource.h"

namespace {

std::string LoadText(unsigned id) {
    std::string text;
    AfxLoadString(id, text);
    return text;
}

// Both choosers open here; the framework finds the folder that stands for it.
constexpr std::string_view kChooserFolder = R"(c:\mydata)";

// The system keeps these bits of system-command ids for itself.
static_assert((IDM_ABOUTBOX & 0xFFF0) == IDM_ABOUTBOX && IDM_ABOUTBOX < 0xF000);

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
            MessageEntry::SysCommand(&CCipherDlg::OnSysCommand),
        }};
    return messageMap;
}

bool CCipherDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* pSysMenu = GetSystemMenu(false)) {
        std::string strAboutMenu;
        AfxLoadString(IDS_ABOUTBOX, strAboutMenu);
        if (!strAboutMenu.empty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }
    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);

    // The focus goes to the first control, the source path box.
    return true;
}

void CCipherDlg::OnRun() {
    // The run ends on the dialog's own caption, as its template gives it.
    const DialogTemplate* own = AfxGetResourceHandle()->FindDialog(IDD_CIPHER_DIALOG);
    pomuru::ConvertFile(*this, {LoadText(IDS_RUNNING_CAPTION), LoadText(IDS_WAIT_CAPTION),
                                LoadText(IDS_WAIT_ELSEWHERE_CAPTION), std::string(own->caption)});
}

void CCipherDlg::OnChooseSource() {
    CFileDialog chooser(true, "", "", OFN_OVERWRITEPROMPT, LoadText(IDS_SOURCE_FILTER));
    chooser.m_ofn.lpstrInitialDir = kChooserFolder;
    if (chooser.DoModal() == IDOK) {
        // Only whether it opens for reading. If not, the framework's file exception reports it
        // and ends the command with every field as it was.
        CStdioFile probe(chooser.GetPathName(), CFile::modeRead | CFile::typeBinary);
        probe.Close();
    }
    // After a cancel the path is the empty initial name: the field is cleared.
    m_strSourceChosen = chooser.GetPathName();
    m_strSource = m_strSourceChosen;
    Redisplay();
}

void CCipherDlg::OnChooseDest() {
    CFileDialog chooser(true, "", "", OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY,
                        LoadText(IDS_DEST_FILTER));
    chooser.m_ofn.lpstrInitialDir = kChooserFolder;
    // Created or emptied at once, unless it is the source file, under this or any other name
    // (a link, another spelling of its path): that one is never emptied. Which file it is, is
    // told on the open file, so that nothing can be swapped in between.
    if (chooser.DoModal() == IDOK) {
        CStdioFile created(chooser.GetPathName(), CFile::modeCreate | CFile::modeNoTruncate |
                                                      CFile::modeWrite | CFile::typeBinary);
        if (!created.IsSameFileAs(m_strSource)) {
            created.SetLength(0);
        }
        created.Close();
    }
    m_strDestChosen = chooser.GetPathName();
    m_strDest = m_strDestChosen;
    Redisplay();
}

void CCipherDlg::OnSysCommand(unsigned nID, std::intptr_t /*lParam*/) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        Default();
    }
}

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

void CCipherDlg::ReportFailure(const pomuru::FileError& error) {
    CFileException(error).ReportError();
}
