// Lets the user watch the saver before installing it.
#pragma once

#include <windows.h>

// Extracts the saver of the running installer (`spath`, `scrpos`) into a
// temporary file, runs it with "/S" and waits until it ends, then removes the
// file. Tells the user "Write error" or "Process error" in a box owned by
// `window`, which is repainted after the saver has ended. Returns 1 when the
// saver ran, 0 otherwise.
int DoPreview(HWND window);
