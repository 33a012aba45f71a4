// The wait box stands while the saver is written; it takes no input.
#include "ui/dialogs.h"

INT_PTR CALLBACK WaitProc(HWND hDlg, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
        CentreWindow(hDlg);
    return FALSE;
}
