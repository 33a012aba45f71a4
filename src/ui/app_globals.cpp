#include "ui/app_globals.h"

HINSTANCE hInst;
HWND hMainWindow;
char spath[MAX_PATH];
