// Removes what installing put on the system, in the order that keeps it sound:
// the active-saver setting while the saver can still be recognised, the saver,
// then its Apps & features entry and uninstaller.
#pragma once

namespace actions {

// Returns the exit status: kStatusInstalled when everything is gone,
// kStatusRebootRequired when the saver is in use and goes at the next restart,
// kStatusInstallFailure when it cannot be removed at all (the entry then stays,
// so that removing can be tried again). Parts already gone are no error.
unsigned RemoveSaver();

}  // namespace actions
