// The Apps & features entry a package asks for: its texts as saverpack takes
// them from the command line, stores in the "iapp" record and reads back, and
// the name of the registry key the installer gives the entry.
#pragma once

#include "package/package_format.h"

#include <string>

namespace saverpack {

struct AppEntry {
    std::string publisher;
    std::string version;
    std::string url;
};

// Byte limits: the record's fields, which a text may fill without a terminating zero.
constexpr size_t kMaxPublisher = sizeof(package::InstApp::szPublisher);
constexpr size_t kMaxVersion = sizeof(package::InstApp::szVersion);
constexpr size_t kMaxUrl = sizeof(package::InstApp::szUrl);

// Empty when `text`, given with `option`, may be stored; else why not. Every
// text is UTF-8; a version follows winget's rule for versions (no control
// characters, none of \/:*?"<>|); a URL starts with http:// or https://.
std::string AppTextProblem(const std::string& option, const std::string& text);

// Empty when `url`, given with `option`, is a web address: http:// or https://
// (in any case) and more, with no blank or control character; else why not.
std::string UrlProblem(const std::string& option, const std::string& url);

package::InstApp MakeAppRecord(const AppEntry& entry);

// The record's texts, each up to its terminating zero or its field's width.
AppEntry AppEntryOf(const package::InstApp& record);

// The key the installer writes for a saver installed under `saverName`, or
// empty when the name cannot make one (it would be longer than a key name may be).
std::string UninstallKeyNameOf(const std::string& saverName);

}  // namespace saverpack
