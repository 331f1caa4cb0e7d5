// The main dialog: data exchange, command bindings, the file choosers, the window menu's About
// entry and the run behind プログラム実行.
#include "dialog/cipher_dlg.h"

#include <cmath>
#include <string>
#include <string_view>
#include <utility>

#include "dialog/about_dlg.h"
#include "framework/data_exchange.h"
#include "framework/file_dialog.h"
#include "framework/file_exception.h"
#include "framework/menu.h"
#include "framework/message_box.h"
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

// Steps of the progress outside the caption: finer than a task bar button's pixels.
constexpr int kProgressSteps = 1000;

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
            MessageEntry::DropFiles(&CCipherDlg::OnDropFiles),
            MessageEntry::Command(ID_FILE_OPEN, &CCipherDlg::OnFileOpen),
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

    DragAcceptFiles();
    SetProgressBarRange(0, kProgressSteps);
    // Once the window is up, so that a message about them appears over it.
    if (!m_filesToOpen.empty()) {
        PostMessage(Message::Command, ID_FILE_OPEN);
    }

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
    const bool picked = chooser.DoModal() == IDOK;
    // After a cancel the path is the empty initial name: the field is cleared.
    SetSource(chooser.GetPathName(), picked);
}

void CCipherDlg::SetSource(const std::string& path, bool picked) {
    if (picked) {
        // Only whether it opens for reading. If not, the framework's file exception reports it
        // and ends the command with every field as it was.
        CStdioFile probe(path, CFile::modeRead | CFile::typeBinary);
        probe.Close();
    }
    m_strSourceChosen = path;
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

void CCipherDlg::OnDropFiles(HDROP hDropInfo) {
    std::vector<std::string> files(DragQueryFile(hDropInfo, 0xFFFFFFFF));
    for (unsigned i = 0; i < files.size(); ++i) {
        DragQueryFile(hDropInfo, i, &files[i]);
    }
    TakeFiles(files, DragQueryControl(hDropInfo) == IDC_DEST_PATH);
}

void CCipherDlg::OnFileOpen() {
    TakeFiles(std::exchange(m_filesToOpen, {}), false);
}

void CCipherDlg::TakeFiles(const std::vector<std::string>& files, bool asDest) {
    if (files.size() != 1) {
        AfxMessageBox(LoadText(IDS_ONE_FILE_ONLY), MB_ICONEXCLAMATION);
    } else if (asDest) {
        TakeDroppedDest(files.front());
    } else {
        SetSource(files.front(), true);
    }
}

// The destination chooser's rules, with a question first: a drop is easily made by mistake.
// The file is opened, never created (it was there to be dragged), and held with the one-writer
// lock while the user answers, so that no run starts writing it meanwhile and the file emptied
// is the one asked about. A folder or a busy file is refused by the framework's file exception.
void CCipherDlg::TakeDroppedDest(const std::string& path) {
    CStdioFile dropped(path, CFile::modeWrite | CFile::typeBinary);
    if (!dropped.IsSameFileAs(m_strSource)) {
        if (AfxMessageBox(AfxFormatString(IDS_EMPTY_DROPPED_DEST, {path}),
                          MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES) {
            return;
        }
        dropped.SetLength(0);
    }
    dropped.Close();
    m_strDestChosen = path;
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

void CCipherDlg::ShowProgress(const pomuru::RunProgress& progress) {
    using State = pomuru::RunProgress::State;
    // The position first, under the state shown before, so that no old position is shown.
    if (progress.state == State::Normal || progress.state == State::Error) {
        SetProgressBarPosition(static_cast<int>(std::lround(progress.fraction * kProgressSteps)));
    }
    switch (progress.state) {
        case State::None:
            SetProgressBarState(TBPF_NOPROGRESS);
            break;
        case State::Normal:
            SetProgressBarState(TBPF_NORMAL);
            break;
        case State::Indeterminate:
            SetProgressBarState(TBPF_INDETERMINATE);
            break;
        case State::Error:
            SetProgressBarState(TBPF_ERROR);
            break;
    }
}
