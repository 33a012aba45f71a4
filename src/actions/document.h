// Shows the package's document with the program associated with .DOC files.
#pragma once

#include <windows.h>

// Writes the document (`doc`, `instdoc.dwSize` bytes) to a temporary .DOC file,
// opens it maximised with the associated program, waits until that program
// ends, repaints `window` and removes the file. Tells the user nothing: 1 when
// the viewer ran, 0 when any step failed.
int DisplayDocument(HWND window);

// Creates `path` and writes the leading `size` bytes of `block` into it: the
// whole block when `size` is 0, at most the block's size otherwise. Returns 1,
// or 0; a file created before the failure is the caller's to remove.
int WriteBinaryFile(const WCHAR* path, HGLOBAL block, long size);
