// Resource ids: dialog templates, controls, strings, icons and menu commands.
#pragma once

#include "framework/win_defs.h"

inline constexpr unsigned IDD_ABOUTBOX = 100;
inline constexpr unsigned IDS_ABOUTBOX = 101;
inline constexpr unsigned IDD_CIPHER_DIALOG = 102;
inline constexpr unsigned IDR_MAINFRAME = 128;
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

// The captions a run shows in the title bar; at its end the dialog's own, its template's.
inline constexpr unsigned IDS_RUNNING_CAPTION = 110;
inline constexpr unsigned IDS_WAIT_CAPTION = 111;
inline constexpr unsigned IDS_WAIT_ELSEWHERE_CAPTION = 112;
// The page's own texts.
inline constexpr unsigned IDS_PAGE_CANCEL = 130;
inline constexpr unsigned IDS_PAGE_FILE_CHANGED = 131;
inline constexpr unsigned IDS_PAGE_CANNOT_CONVERT = 132;
// Where the browser keeps no files for the page, the result is held in memory until downloaded.
inline constexpr unsigned IDS_PAGE_IN_MEMORY = 133;
// Shown instead of the page where scripts are off.
inline constexpr unsigned IDS_PAGE_NEEDS_SCRIPTS = 134;
// The page's search for forgotten settings; %1, %2 … stand for what each names.
inline constexpr unsigned IDS_PAGE_SEARCH_FIND = 140;
inline constexpr unsigned IDS_PAGE_SEARCH_SEARCHING = 141;
inline constexpr unsigned IDS_PAGE_SEARCH_CONFIRMED = 142;
inline constexpr unsigned IDS_PAGE_SEARCH_PROBABLE = 143;
inline constexpr unsigned IDS_PAGE_SEARCH_SEVERAL = 144;
inline constexpr unsigned IDS_PAGE_SEARCH_NOTHING = 145;
inline constexpr unsigned IDS_PAGE_SEARCH_TIMED_OUT = 146;
inline constexpr unsigned IDS_PAGE_SEARCH_LATER_BEGINNINGS = 147;
inline constexpr unsigned IDS_PAGE_SEARCH_SETTINGS = 148;
inline constexpr unsigned IDS_PAGE_SEARCH_RANDOMIZED = 149;
inline constexpr unsigned IDS_PAGE_SEARCH_CHECKSUMS = 150;
inline constexpr unsigned IDS_PAGE_SEARCH_STRUCTURE = 151;
inline constexpr unsigned IDS_PAGE_SEARCH_USE = 152;
// The choosers' filters.
inline constexpr unsigned IDS_SOURCE_FILTER = 120;
inline constexpr unsigned IDS_DEST_FILTER = 121;
// Files dropped on the window or named on the command line: more than one; and the question
// before a dropped destination %1 is emptied.
inline constexpr unsigned IDS_ONE_FILE_ONLY = 122;
inline constexpr unsigned IDS_EMPTY_DROPPED_DEST = 123;

inline constexpr int IDC_SOURCE_PATH = 1001;
inline constexpr int IDC_RUN = 1002;
inline constexpr int IDC_CHOOSE_SOURCE = 1003;
inline constexpr int IDC_DEST_PATH = 1004;
inline constexpr int IDC_CHOOSE_DEST = 1006;
inline constexpr int IDC_VALUE = 1009;
inline constexpr int IDC_STEP = 1010;
inline constexpr int IDC_START = 1011;
inline constexpr int IDC_SLIDE = 1012;
inline constexpr int IDC_RANDOMIZE = 1014;
