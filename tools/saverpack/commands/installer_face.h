// What the installer shows of itself before it runs, in Explorer, the download
// bar and the UAC prompt: its icon and its version information. And the texts
// that the saver supplies when the command line does not: a saver already
// carries the name Screen Saver Settings lists it by, its maker and version,
// and its icon.
#pragma once

#include "commands/options.h"
#include "packing/package_writer.h"
#include "pe/icon_group.h"

#include <ostream>
#include <string>
#include <vector>

namespace saverpack {

constexpr size_t kMaxCopyright = 256;

struct InstallerFace {
    // For the version information; also for the Apps & features entry when
    // there is one.
    std::string publisher;
    std::string version;
    std::string copyright;
    bool hasIcon = false;
    IconGroup icon;
    // What build says of where the title, publisher, version and icon came from.
    std::vector<std::string> report;
};

// Takes --title, --publisher, --version, --copyright and --icon from the
// command line and what they leave open from the saver at `saverPath`. Without
// --title: its string 1, else its FileDescription, else the installed file's
// name without its extension (which is what Screen Saver Settings would show);
// without --publisher its CompanyName; without --version its ProductVersion
// (else FileVersion) when that is digits and dots, else the binary version. A
// value of the saver's that the option would refuse is passed over for the
// next. Sets contents->title and, with an Apps & features entry, its
// publisher and version. False with why for an --icon that is not an icon or
// an over-long --copyright.
bool MakeInstallerFace(const CommandLine& line, const std::string& saverPath, PackageContents* contents,
                       InstallerFace* face, std::string* error);

// The stub image wearing the face: `contents.stub` with the icon and the
// version information, the output's file name as its original one. A stub
// that is no PE image with resources is left as it is, with a line in the
// report saying so.
bool DressStub(const InstallerFace& face, const PackageContents& contents, const std::string& output, Bytes* image,
               std::vector<std::string>* report, std::string* error);

// For inspect: the icon's sizes and the version information of the installer
// at `path`, as Explorer would show them; nothing for a file that is no PE image.
void PrintInstallerFace(std::ostream& out, const std::string& path);

}  // namespace saverpack
