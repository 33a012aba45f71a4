// A program that imports the common-controls library at load time, as the stub
// must not: the import check has to refuse it.
#include <windows.h>
#include <commctrl.h>

int main()
{
    InitCommonControls();
    return 0;
}
