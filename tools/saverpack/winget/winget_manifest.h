// The winget manifest of an installer: the three YAML files of manifest schema
// 1.10.0 (version, default locale, installer) in the folder the community
// repository keeps them in, and the rules of winget's their texts must follow.
#pragma once

#include <stddef.h>
#include <string>
#include <vector>

namespace saverpack {

// Schema limits, in characters (code points).
constexpr size_t kMinShortDescription = 3;
constexpr size_t kMaxShortDescription = 256;
constexpr size_t kMinLicense = 3;
constexpr size_t kMaxLicense = 512;
constexpr size_t kMinPublisher = 2;
constexpr size_t kMinPackageName = 2;
constexpr size_t kMaxPackageName = 256;
constexpr size_t kMaxInstallerUrl = 2048;

// Every text in UTF-8, already checked against the rules below.
struct WingetPackage {
    std::string identifier;  // "Publisher.Name"
    std::string version;
    std::string locale;
    std::string publisher;
    std::string name;  // the title: PackageName, and DisplayName in Apps & features
    std::string license;
    std::string shortDescription;
    std::string packageUrl;  // empty for none
    std::string installerUrl;
    std::string installerSha256;  // 64 upper-case hex digits
    std::string productCode;      // the Apps & features key's name
};

struct ManifestFile {
    std::string name;
    std::string text;
};

// The version, default-locale and installer files, in that order.
std::vector<ManifestFile> ManifestFiles(const WingetPackage& package);

// Where the community repository keeps the manifest, below its "manifests"
// folder: "p/Publisher/Name/1.0" for "Publisher.Name" version "1.0".
std::string ManifestFolder(const std::string& identifier, const std::string& version);

// `text` as a YAML double-quoted scalar: ", \ and control characters escaped,
// everything else in UTF-8 as it is.
std::string YamlQuoted(const std::string& text);

// Empty when `identifier` follows winget's rule for package identifiers (2 to 8
// parts joined by ".", each of 1 to 32 characters, none a blank, a control
// character or one of \/:*?"<>|); else why not.
std::string IdentifierProblem(const std::string& identifier);

// True for a locale as winget writes them ("en-US", "de", "x-klingon").
bool IsLocale(const std::string& text);

// The number of characters of UTF-8 `text`, and `text` cut to at most `limit`
// of them.
size_t CharacterCount(const std::string& text);
std::string CutToCharacters(const std::string& text, size_t limit);

}  // namespace saverpack
