// The stub's three dialogs and the helper that centres them.
#pragma once

#include <windows.h>

// The install prompt's result: 0 for Cancel, otherwise the minutes in the low
// seven bits and kMakeDefaultBit when the saver is to become the active one.
constexpr int kMakeDefaultBit = 0x80;
constexpr int kMinutesMask = 0x7F;
constexpr int kMinMinutes = 1;
constexpr int kMaxMinutes = 99;

extern HFONT hDoneFont;

void CentreWindow(HWND hwnd);

// The install choice, 0 when the user cancels, -1 when the dialog cannot be shown.
int DoInstallPrompt(HWND hwndOwner);
// 1 when closed with Done, -1 when the dialog cannot be shown.
int DoDonePrompt(HWND hwndOwner, int choice);

INT_PTR CALLBACK InstallPromptProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DonePromptProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WaitProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

// Brings typed minutes into the range the prompt offers, so that no typed value
// can turn into Cancel (0) or reach the make-default bit.
int ClampMinutes(unsigned minutes);
