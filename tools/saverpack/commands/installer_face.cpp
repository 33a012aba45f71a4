#include "commands/installer_face.h"

#include "commands/app_entry.h"
#include "pe/installer_image.h"
#include "pe/saver_resources.h"
#include "platform/file_util.h"
#include "platform/text_encoding.h"
#include "res/resource_ids.h"

#include "package/scoped_handles.h"

#include <iomanip>

namespace saverpack {

namespace {

// The resources of the saver at `path`; a file that cannot be opened has nothing.
SaverResources ReadSaverResourcesFrom(const std::string& path)
{
    package::ScopedFile file(OpenFileUtf8(path, OF_READ));
    LONG size = file.valid() ? _llseek(file.get(), 0, FILE_END) : HFILE_ERROR;
    if (size == HFILE_ERROR) {
        SaverResources none;
        none.problem = "it cannot be read";
        return none;
    }
    return ReadSaverResources(package::BoundedReader::OverFile(file.get(), uint32_t(size)));
}

// A candidate for a text: its value and where it came from.
struct Candidate {
    std::string value;
    std::string source;
};

// Blanks around a resource's string are no part of the name.
std::string Trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool IsDigitsAndDots(const std::string& text)
{
    if (text.empty() || text.front() == '.' || text.back() == '.' || text.find("..") != std::string::npos)
        return false;
    return text.find_first_not_of("0123456789.") == std::string::npos;
}

bool HasControlCharacter(const std::string& text)
{
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F)
            return true;
    }
    return false;
}

// The first candidate that `acceptable` takes, recorded in the report; empty when none is.
template <typename Acceptable>
std::string FirstOf(const char* what, const std::vector<Candidate>& candidates, Acceptable acceptable,
                    InstallerFace* face)
{
    for (const Candidate& candidate : candidates) {
        const std::string value = Trimmed(candidate.value);
        if (value.empty() || !acceptable(value))
            continue;
        face->report.push_back(std::string("  ") + what + std::string(10 - std::string(what).size(), ' ') + "\"" +
                               value + "\", the saver's " + candidate.source);
        return value;
    }
    return std::string();
}

std::string StemOf(const std::string& name)
{
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

bool MakeInstallerFace(const CommandLine& line, const std::string& saverPath, PackageContents* contents,
                       InstallerFace* face, std::string* error)
{
    if (line.Has("--copyright")) {
        face->copyright = line.Value("--copyright");
        if (face->copyright.size() > kMaxCopyright) {
            *error = "the text given with --copyright is " + std::to_string(face->copyright.size()) +
                     " bytes long; at most " + std::to_string(kMaxCopyright) + " fit";
            return false;
        }
    }
    if (line.Has("--icon")) {
        const std::string& path = line.Value("--icon");
        Bytes file;
        if (!ReadWholeFile(path, &file, error))
            return false;
        std::string problem;
        if (!ReadIconFile(file, &face->icon, &problem)) {
            *error = "the icon " + path + " is not a Windows .ico file: " + problem;
            return false;
        }
        face->hasIcon = true;
        face->report.push_back("  icon      " + path + ": " + DescribeIcon(face->icon));
    }
    const bool needed = !line.Has("--title") || !line.Has("--publisher") || !line.Has("--version") || !face->hasIcon;
    const SaverResources saver = needed ? ReadSaverResourcesFrom(saverPath) : SaverResources();
    const VersionInfo& info = saver.version;

    if (line.Has("--title")) {
        contents->title = line.Value("--title");
    } else {
        contents->title = FirstOf(
            "title",
            {{saver.displayName, "string 1"}, {info.Value("FileDescription"), "FileDescription"},
             {StemOf(contents->saverName), "file name"}},
            [](const std::string& text) { return text.size() <= kMaxTitle && !HasControlCharacter(text); }, face);
    }
    if (line.Has("--publisher")) {
        face->publisher = line.Value("--publisher");
    } else {
        face->publisher = FirstOf(
            "publisher", {{info.Value("CompanyName"), "CompanyName"}},
            [](const std::string& text) { return AppTextProblem("--publisher", text).empty(); }, face);
    }
    if (line.Has("--version")) {
        face->version = line.Value("--version");
    } else {
        const std::string text =
            !Trimmed(info.Value("ProductVersion")).empty() ? "ProductVersion" : "FileVersion";
        std::vector<Candidate> candidates = {{info.Value(text), text}};
        if (saver.hasVersion && info.hasFixed)
            candidates.push_back({VersionText(info.productVersion), "binary PRODUCTVERSION"});
        face->version = FirstOf(
            "version", candidates,
            [](const std::string& text) { return IsDigitsAndDots(text) && text.size() <= kMaxVersion; }, face);
    }
    if (!face->hasIcon && saver.hasIcon) {
        face->hasIcon = true;
        face->icon = saver.icon;
        face->report.push_back("  icon      the saver's: " + DescribeIcon(face->icon));
    }
    if (!saver.problem.empty())
        face->report.push_back("  note      the saver's resources cannot all be read: " + saver.problem);
    if (contents->hasApp) {
        contents->app.publisher = face->publisher;
        contents->app.version = face->version;
    }
    return true;
}

bool DressStub(const InstallerFace& face, const PackageContents& contents, const std::string& output, Bytes* image,
               std::vector<std::string>* report, std::string* error)
{
    VersionInfo info;
    VersionNumbers(face.version, info.fileVersion);
    VersionNumbers(face.version, info.productVersion);
    // Printed paths are UTF-8 wherever saverpack runs on Windows; elsewhere a
    // path may be any bytes, and one that is not UTF-8 is left out.
    std::string original = (BaseName(output));
    if (!Utf8Problem(original).empty())
        original.clear();
    info.strings = {{"CompanyName", face.publisher},
                    {"FileDescription", contents.title.empty() ? std::string() : contents.title + " Setup"},
                    {"FileVersion", face.version},
                    {"LegalCopyright", face.copyright},
                    {"OriginalFilename", original},
                    {"ProductName", contents.title},
                    {"ProductVersion", face.version}};
    InstallerResources resources;
    resources.icon = face.hasIcon ? &face.icon : nullptr;
    bool rewritten = false;
    if (!BuildVersionInfo(info, &resources.versionInfo)) {
        *error = "the version information would be larger than 64 KiB";
        return false;
    }
    if (!RewriteStubResources(contents.stub, resources, image, &rewritten, error)) {
        *error = "the stub's resources cannot be rewritten: " + *error;
        return false;
    }
    if (!rewritten)
        report->push_back("  resources the stub's own: it is not a PE image with resources");
    else if (!face.hasIcon)
        report->push_back("  icon      the stub's own");
    return true;
}

void PrintInstallerFace(std::ostream& out, const std::string& path)
{
    package::ScopedFile file(OpenFileUtf8(path, OF_READ));
    const LONG size = file.valid() ? _llseek(file.get(), 0, FILE_END) : HFILE_ERROR;
    const auto image = package::BoundedReader::OverFile(file.get(), size == HFILE_ERROR ? 0 : uint32_t(size));
    PeLayout layout;
    std::vector<ResourceEntry> entries;
    std::string problem;
    if (!ReadPeLayout(image, &layout, &problem))
        return;
    if (!ReadResourceTree(image, layout, &entries, &problem)) {
        out << "  resources    damaged: " << problem << "\n";
        return;
    }
    const ResourceEntry* group =
        FindResource(entries, ResourceKey::Id(kTypeGroupIcon), ResourceKey::Id(IDI_INSTALLER));
    IconGroup icon;
    if (group == nullptr)
        out << "  icon         none\n";
    else if (!ReadIconResources(image, layout, entries, *group, &icon, &problem))
        out << "  icon         damaged: " << problem << "\n";
    else
        out << "  icon         " << DescribeIcon(icon) << "\n";

    const ResourceEntry* found = FirstOfType(entries, kTypeVersion);
    ResourceEntry version = found != nullptr ? *found : ResourceEntry();
    VersionInfo info;
    if (found == nullptr) {
        out << "  file version none\n";
        return;
    }
    if (!ReadResourceData(image, layout, UINT16_MAX, &version, &problem) ||
        !ParseVersionInfo(version.data, &info, &problem)) {
        out << "  file version damaged: " << problem << "\n";
        return;
    }
    out << "  file version " << (info.hasFixed ? VersionText(info.fileVersion) : std::string("none")) << "\n";
    for (const auto& field : info.strings)
        out << "    " << std::left << std::setw(17) << field.first << std::right << "\"" << field.second << "\"\n";
}

}  // namespace saverpack
