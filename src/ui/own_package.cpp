#include "ui/own_package.h"

#include "actions/saver_name.h"
#include "package/installer_state.h"
#include "package/reader.h"

int LoadOwnPackage(HWND window)
{
    if (LoadInstaller(window, spath) && actions::IsScreenSaverName(instscr.szFileName))
        return 1;
    // Nothing of a refused package is shown: the backdrop paints a header only
    // when it holds the header's tag. (Its blocks go with the process.)
    instheader.dwTag = 0;
    return 0;
}
