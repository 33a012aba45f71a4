// How a run of the installer ended, as the process's exit status: what a script,
// a deployment tool or a package manager reads. The values are Windows
// Installer's, which those tools already know how to read.
#pragma once

namespace actions {

enum ExitStatus : unsigned {
    kStatusInstalled = 0,             // the saver was written (activation and document not looked at), or removed
    kStatusInvalidParameter = 87,     // ERROR_INVALID_PARAMETER: a switch not understood; nothing done
    kStatusUserCancelled = 1602,      // ERROR_INSTALL_USEREXIT: Cancel in the install prompt
    kStatusInstallFailure = 1603,     // ERROR_INSTALL_FAILURE: the saver not written (or not removed), or nothing could be shown
    kStatusPackageInvalid = 1620,     // ERROR_INSTALL_PACKAGE_INVALID: the installer is damaged
    kStatusRebootRequired = 3010,     // ERROR_SUCCESS_REBOOT_REQUIRED: removed, a running saver at the next restart
};

}  // namespace actions
