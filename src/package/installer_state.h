// The running installer's process-wide state: its module and file, and what the
// package reader learns about it. Filled once at start-up; everything else only
// reads it.
#pragma once

#include "compat/platform.h"
#include "package/package_format.h"

// The longest path Windows has, 32,767 characters, and the terminating zero.
constexpr DWORD kLongPathSize = 32768;

extern HINSTANCE hInst;            // this program's module, for its resources
extern WCHAR spath[kLongPathSize];  // full path of this program's own executable, "" when unknown
extern package::InstHeader instheader;
extern package::InstScr instscr;
extern package::InstDoc instdoc;
extern package::InstLogo instlogo;
extern package::InstApp instapp;  // dwTag is kTagApp when the package asks to be registered
extern package::InstEnd instend;
extern DWORD scrpos;   // file offset of the saver chunk; 0 when there is none
extern HGLOBAL doc;    // inflated document, or NULL
extern HGLOBAL image;  // inflated logo (packed DIB), or NULL
extern HGLOBAL languages;    // inflated translations (checked), or NULL
// The translation chosen for the user (languages.h), by offsets in `languages`:
// of its texts (0 for English) and of its plural forms; and its flags.
extern DWORD chosenLanguage;
extern DWORD languagePlurals;
extern BYTE languageFlags;
// True for a silent run (/S): nothing may be shown, not even a message box,
// because nobody may be there to answer it.
extern bool silentRun;

// Zeroes the header, saver, document, logo and app records (the trailer is read
// first and needs no clearing).
void ClearInstallerRecords();

// Frees the document, logo and translations blocks and sets them to NULL;
// English is the language again.
void ReleaseInstallerBlocks();
