// Identifiers and constants the framework shares with the program: commands, styles, boxes.
#pragma once

#include <cstdint>

// Command ids of the framework; DoModal returns IDOK or IDCANCEL.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;  // a yes/no message box's answers
inline constexpr int IDNO = 7;
inline constexpr int ID_HELP = 0xE146;
// Opens the file the command line names; a program posts it to its window once that is up.
inline constexpr int ID_FILE_OPEN = 0xE101;
// Controls that no code refers to.
inline constexpr int IDC_STATIC = -1;

// Window and dialog styles, with the values of the resource format.
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_CHILD = 0x40000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_BORDER = 0x00800000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000;  // dialog style
inline constexpr std::uint32_t WS_MAXIMIZEBOX = 0x00010000;  // dialog style
inline constexpr std::uint32_t WS_GROUP = 0x00020000;        // control style
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;      // control style
inline constexpr std::uint32_t DS_SETFONT = 0x0040;          // the template names a font
inline constexpr std::uint32_t DS_MODALFRAME = 0x0080;
inline constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;
inline constexpr std::uint32_t ES_LEFT = 0x0000;         // edit boxes
inline constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080;  // edit boxes
inline constexpr std::uint32_t BS_PUSHBUTTON = 0x0000;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x0001;
inline constexpr std::uint32_t BS_AUTOCHECKBOX = 0x0003;
inline constexpr std::uint32_t SS_LEFT = 0x0000;
inline constexpr std::uint32_t SS_ICON = 0x0003;
inline constexpr std::uint32_t SS_NOPREFIX = 0x0080;  // labels: "&" shown as typed

// The dialog font's weight and character set, as a template gives them.
inline constexpr unsigned FW_NORMAL = 400;
inline constexpr unsigned SHIFTJIS_CHARSET = 128;

// The framework's own texts, which every program's resources carry, as a class library's
// resources are bound into the programs that use it. %1, %2 stand for what each message names.
inline constexpr unsigned AFX_IDP_PARSE_INT = 0xF110;       // a box without an integer
inline constexpr unsigned AFX_IDP_COMMAND_FAILED = 0xF111;  // %1: what went wrong
inline constexpr unsigned AFX_IDP_NO_HELP = 0xF112;
inline constexpr unsigned AFX_IDP_NO_TEMPLATE = 0xF113;  // %1: the template's id
// A file error: the file %1 and what could not be done with it, then the reason.
inline constexpr unsigned AFX_IDP_FILE_OPEN_READ = 0xF120;
inline constexpr unsigned AFX_IDP_FILE_OPEN_WRITE = 0xF121;
inline constexpr unsigned AFX_IDP_FILE_IDENTIFY = 0xF122;
inline constexpr unsigned AFX_IDP_FILE_LOCK = 0xF123;
inline constexpr unsigned AFX_IDP_FILE_READ = 0xF124;
inline constexpr unsigned AFX_IDP_FILE_WRITE = 0xF125;
inline constexpr unsigned AFX_IDP_FILE_TRUNCATE = 0xF126;
inline constexpr unsigned AFX_IDP_FILE_CLOSE = 0xF127;
inline constexpr unsigned AFX_IDP_FILE_BUSY = 0xF128;      // another run writes %1
inline constexpr unsigned AFX_IDP_FILE_CLEANUP = 0xF129;   // %1 could not be put back either
inline constexpr unsigned AFX_IDS_UNKNOWN_ERROR = 0xF12F;  // %1: the system's words, %2: number
inline constexpr unsigned AFX_IDS_SCCLOSE = 0xF130;        // the window menu's Close
inline constexpr unsigned AFX_IDS_BUSY_REASON = 0xF131;    // why the session may not end yet
// The reasons, by the system's error number (errno) added to this.
inline constexpr unsigned AFX_IDS_SYSTEM_ERROR = 0xF200;

// Message-box types: the buttons, the icon, and for yes/no the default button.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_YESNO = 0x04;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;  // Enter answers No
inline constexpr unsigned MB_ICONSTOP = 0x10;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;

// Check-box states.
inline constexpr unsigned BST_UNCHECKED = 0;
inline constexpr unsigned BST_CHECKED = 1;

// File chooser options. An open chooser never asks about overwriting, so
// OFN_OVERWRITEPROMPT only matters to a save chooser; OFN_HIDEREADONLY hides the "read-only"
// check box, which Qt's choosers do not have at all, so it changes nothing here.
inline constexpr unsigned OFN_OVERWRITEPROMPT = 0x0002;
inline constexpr unsigned OFN_HIDEREADONLY = 0x0004;

// The states of the progress on the window's task bar button (TBPFLAG).
enum TBPFLAG : unsigned {
    TBPF_NOPROGRESS = 0x0,
    TBPF_INDETERMINATE = 0x1,
    TBPF_NORMAL = 0x2,
    TBPF_ERROR = 0x4,
};

// Menu items: AppendMenu's flags.
inline constexpr unsigned MF_STRING = 0x0000;
inline constexpr unsigned MF_SEPARATOR = 0x0800;

// System commands (WM_SYSCOMMAND). The system keeps the low four bits of an id for itself;
// a program's own commands lie below 0xF000 with those bits zero.
inline constexpr unsigned SC_CLOSE = 0xF060;
