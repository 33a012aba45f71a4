#include "ui/app_globals.h"

HWND hMainWindow;
actions::Switches commandSwitches;
