#include "winget/winget_manifest.h"

#include "actions/exit_status.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

namespace saverpack {

namespace {

const char kManifestVersion[] = "1.10.0";

// The installer's switch for an install that shows nothing and asks nothing
// (actions/switches.h); the stub has no quieter or louder one.
const char kSilentSwitch[] = "/S";

// Each statement of a file as a key and its value, every string quoted: a
// version such as 1.10 would otherwise read back as the number 1.1.
std::string Line(const std::string& key, const std::string& value)
{
    return key + ": " + YamlQuoted(value) + "\n";
}

std::string Opening(const char* type, const WingetPackage& package)
{
    return std::string("# yaml-language-server: $schema=https://aka.ms/winget-manifest.") + type + "." +
           kManifestVersion + ".schema.json\n\n" + Line("PackageIdentifier", package.identifier) +
           Line("PackageVersion", package.version);
}

std::string Closing(const char* type)
{
    return Line("ManifestType", type) + Line("ManifestVersion", kManifestVersion);
}

// An install ends with one of the stub's exit statuses; these are the non-zero
// ones winget has a response of its own for. The others (a failed install, a
// damaged installer) are failures to winget without being listed.
std::string ExpectedReturnCodes()
{
    const struct {
        unsigned status;
        const char* response;
    } codes[] = {
        {actions::kStatusUserCancelled, "cancelledByUser"},
        {actions::kStatusInvalidParameter, "invalidParameter"},
    };
    std::string text = "ExpectedReturnCodes:\n";
    for (const auto& code : codes)
        text += "- InstallerReturnCode: " + std::to_string(code.status) + "\n  " +
                Line("ReturnResponse", code.response);
    return text;
}

std::string InstallerFile(const WingetPackage& p)
{
    std::string text = Opening("installer", p) + Line("InstallerType", "exe");
    // The stub's manifest asks for administrator rights (the saver goes into
    // the Windows directory), and its entry is written under HKLM.
    text += Line("Scope", "machine");
    text += "InstallModes:\n- " + YamlQuoted("interactive") + "\n- " + YamlQuoted("silent") + "\n";
    text += "InstallerSwitches:\n  " + Line("Silent", kSilentSwitch) + "  " + Line("SilentWithProgress", kSilentSwitch);
    text += ExpectedReturnCodes() + Line("UpgradeBehavior", "install");
    // The entry as the installer writes it into the registry, so that winget
    // finds the saver installed.
    text += "AppsAndFeaturesEntries:\n- " + Line("DisplayName", p.name) + "  " + Line("Publisher", p.publisher) +
            "  " + Line("DisplayVersion", p.version) + "  " + Line("ProductCode", p.productCode);
    text += Line("ElevationRequirement", "elevatesSelf");
    text += "Installers:\n- " + Line("Architecture", "x86") + "  " + Line("InstallerUrl", p.installerUrl) + "  " +
            Line("InstallerSha256", p.installerSha256);
    return text + Closing("installer");
}

// Decodes the character at `text[*i]` of well-formed UTF-8 and steps past it.
uint32_t NextCharacter(const std::string& text, size_t* i)
{
    const unsigned char lead = static_cast<unsigned char>(text[*i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length && *i + k < text.size(); ++k)
        code = code << 6 | (static_cast<unsigned char>(text[*i + k]) & 0x3F);
    *i += length;
    return code;
}

// What \s matches in the identifier's pattern, beyond the control characters.
bool IsBlank(uint32_t c)
{
    return c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

bool IsAsciiLetters(const std::string& text)
{
    for (char c : text) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    }
    return !text.empty();
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

}  // namespace

std::vector<ManifestFile> ManifestFiles(const WingetPackage& p)
{
    const std::string& id = p.identifier;
    return {
        {id + ".yaml", Opening("version", p) + Line("DefaultLocale", p.locale) + Closing("version")},
        {id + ".locale." + p.locale + ".yaml",
         Opening("defaultLocale", p) + Line("PackageLocale", p.locale) + Line("Publisher", p.publisher) +
             Line("PackageName", p.name) + (p.packageUrl.empty() ? "" : Line("PackageUrl", p.packageUrl)) +
             Line("License", p.license) + Line("ShortDescription", p.shortDescription) + Closing("defaultLocale")},
        {id + ".installer.yaml", InstallerFile(p)},
    };
}

std::string ManifestFolder(const std::string& identifier, const std::string& version)
{
    size_t i = 0;
    NextCharacter(identifier, &i);
    std::string first = identifier.substr(0, i);
    if (first.size() == 1 && first[0] >= 'A' && first[0] <= 'Z')
        first[0] = char(first[0] - 'A' + 'a');
    std::string parts = identifier;
    for (char& c : parts) {
        if (c == '.')
            c = '/';
    }
    return first + "/" + parts + "/" + version;
}

std::string YamlQuoted(const std::string& text)
{
    std::string quoted = "\"";
    for (size_t i = 0; i < text.size();) {
        const size_t start = i;
        const uint32_t c = NextCharacter(text, &i);
        char escape[16] = "";
        if (c == '"' || c == '\\')
            snprintf(escape, sizeof escape, "\\%c", char(c));
        else if (c == '\n')
            snprintf(escape, sizeof escape, "\\n");
        else if (c == '\t')
            snprintf(escape, sizeof escape, "\\t");
        // YAML allows neither the C0 and C1 controls nor U+FFFE and U+FFFF
        // unescaped; \x and \u name them by their code point.
        else if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
            snprintf(escape, sizeof escape, "\\x%02X", unsigned(c));
        else if (c == 0xFFFE || c == 0xFFFF)
            snprintf(escape, sizeof escape, "\\u%04X", unsigned(c));
        if (escape[0] != '\0')
            quoted += escape;
        else
            quoted.append(text, start, i - start);
    }
    return quoted + "\"";
}

std::string IdentifierProblem(const std::string& identifier)
{
    const std::vector<std::string> parts = Split(identifier, '.');
    if (parts.size() < 2 || parts.size() > 8)
        return "it has " + std::to_string(parts.size()) + (parts.size() == 1 ? " part" : " parts") +
               "; winget takes 2 to 8, joined by \".\" (Publisher.Name)";
    for (const std::string& part : parts) {
        const size_t count = CharacterCount(part);
        if (count < 1 || count > 32)
            return "the part \"" + part + "\" has " + std::to_string(count) + " characters; winget takes 1 to 32";
        for (size_t i = 0; i < part.size();) {
            const uint32_t c = NextCharacter(part, &i);
            if (c < 0x20 || IsBlank(c) || (c < 0x80 && strchr("\\/:*?\"<>|", int(c)) != nullptr))
                return "the part \"" + part + "\" holds a blank, a control character or one of \\/:*?\"<>|";
        }
    }
    return std::string();
}

bool IsLocale(const std::string& text)
{
    if (text.size() > 20)
        return false;
    // A language of two or three letters, or "i-" or "x-" and a private one
    // (only "x-" limits it to eight letters); then any number of subtags.
    const std::vector<std::string> parts = Split(text, '-');
    const std::string& language = parts.front();
    for (size_t k = 0; k < parts.size(); ++k) {
        const bool unlimited = k == 1 && (language == "i" || language == "I");
        if (!IsAsciiLetters(parts[k]) || (parts[k].size() > 8 && !unlimited))
            return false;
    }
    if (language.size() == 1)
        return parts.size() >= 2 && strchr("iIxX", language[0]) != nullptr;
    return language.size() <= 3;
}

size_t CharacterCount(const std::string& text)
{
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++count)
        NextCharacter(text, &i);
    return count;
}

std::string CutToCharacters(const std::string& text, size_t limit)
{
    size_t i = 0;
    for (size_t count = 0; count < limit && i < text.size(); ++count)
        NextCharacter(text, &i);
    return text.substr(0, i);
}

}  // namespace saverpack
