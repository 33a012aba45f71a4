// The boxes a command line can bring up: the list of switches, and the switch
// that was not understood.
#pragma once

// "/?": the switches and the exit statuses.
void ShowSwitchHelp();

// Names the argument that was not understood.
void ShowUnknownSwitch(const char* argument);
