// Resource ids.
#pragma once

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_LOOKUP_DIALOG = 102;
inline constexpr int IDS_SELECTION_EMPTY = 103;
inline constexpr int IDS_CLIPBOARD_EMPTY = 104;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDC_QUERY = 1000;
inline constexpr int IDC_TECH_RESULT = 1001;
inline constexpr int IDC_STATUS = 1015;
inline constexpr int IDC_GENERAL_RESULT = 1017;
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;
