// Loads the common-controls library for the install prompt's up-down control.
#pragma once

// Restricts later DLL loads to the system directory where Windows allows it, then
// loads comctl32 from there and registers the up-down class. False if it cannot.
bool LoadCommonControls();
