// Resource and control ids shared by the resource script and the code.
#pragma once

// Icon and cursor of the main window's class.
#define IDI_INSTALLER 100
#define IDC_INVISIBLE 100

// Install prompt ("InstallPromptBox").
#define IDC_MAKE_DEFAULT 101
#define IDC_PROMPT_TEXT 102
#define IDC_MINUTES 103
#define IDC_PREVIEW 104
#define IDC_MINUTES_SPIN 10103

// Done prompt ("DonePromptBox").
#define IDC_CREDIT 101
#define IDC_DONE_TEXT 102
#define IDC_SETTINGS 105

// Wait box ("WaitBox").
#define IDC_WAIT_TEXT 101
