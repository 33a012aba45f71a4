#include "package/installer_state.h"

#include <string.h>

HINSTANCE hInst;
WCHAR spath[kLongPathSize];
package::InstHeader instheader;
package::InstScr instscr;
package::InstDoc instdoc;
package::InstLogo instlogo;
package::InstApp instapp;
package::InstEnd instend;
DWORD scrpos;
HGLOBAL doc;
HGLOBAL image;
HGLOBAL languages;
DWORD chosenLanguage;
DWORD languagePlurals;
BYTE languageFlags;
bool silentRun;

void ClearInstallerRecords()
{
    memset(&instheader, 0, sizeof instheader);
    memset(&instscr, 0, sizeof instscr);
    memset(&instdoc, 0, sizeof instdoc);
    memset(&instlogo, 0, sizeof instlogo);
    memset(&instapp, 0, sizeof instapp);
}

void ReleaseInstallerBlocks()
{
    if (image != nullptr)
        GlobalFree(image);
    if (doc != nullptr)
        GlobalFree(doc);
    if (languages != nullptr)
        GlobalFree(languages);
    image = nullptr;
    doc = nullptr;
    languages = nullptr;
    chosenLanguage = 0;
    languageFlags = 0;
}
