// SPDX-License-Identifier: MIT
// Ids of the dialog template, its controls and icons, as ui/res/main_dialog.json names them.
#pragma once

namespace corvane {

// The application's name as the operator sees it: window, message-box captions, desktop menu.
inline constexpr char kApplicationName[] = "Corvane";

inline constexpr int IDD_MAIN_DIALOG = 102;
inline constexpr int IDI_APP = 128;
inline constexpr int IDI_PLAY = 130;

inline constexpr int IDC_NUMBER = 1000;
inline constexpr int IDC_PLAY = 1001;
inline constexpr int IDC_RADIO_NUMBER = 1006;
inline constexpr int IDC_RADIO_REASON = 1007;
inline constexpr int IDC_REASON = 1008;
inline constexpr int IDC_SAVE_WAVE = 1009;
inline constexpr int IDC_VOLUME = 1010;
inline constexpr int IDC_AMPLITUDE = 1011;
inline constexpr int IDC_EXIT = 1012;
inline constexpr int IDC_FRAME_TEXT = 1013;

}  // namespace corvane
