// Removing the saver: /UNINSTALL, or the uninstaller started with no switches
// (a double-click on it). No backdrop: only boxes owned by no window, none at
// all in a silent run.
#pragma once

// True when this run removes rather than installs: /UNINSTALL, or no switches
// at all in the uninstaller itself.
bool RunsAsUninstaller();

// Reads and verifies the package, asks (unless silent), removes, says so;
// returns the exit status.
unsigned RunRemoval();
