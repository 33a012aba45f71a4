// `saverpack winget`: the manifest that puts an installer into winget. Every
// field comes from the command line or from what the installer's own reader
// finds in the installer, so the manifest says what the installer does; the
// three files are written into a folder of their own and put in place whole.
#include "commands/app_entry.h"
#include "commands/cli.h"
#include "platform/file_util.h"
#include "packing/loaded_package.h"
#include "commands/options.h"
#include "packing/package_walk.h"
#include "platform/sha256.h"
#include "platform/text_encoding.h"
#include "winget/winget_manifest.h"

#include "package/package_format.h"

#include <fstream>
#include <stdint.h>
#include <system_error>

namespace fs = std::filesystem;

namespace saverpack {

namespace {

// Empty when `text` has from `low` to `high` characters, as winget's schema
// counts them; else "WHAT is N characters long; winget takes ...".
std::string LengthProblem(const std::string& what, const std::string& text, size_t low, size_t high)
{
    const size_t count = CharacterCount(text);
    if (count >= low && count <= high)
        return std::string();
    return what + " is " + std::to_string(count) + (count == 1 ? " character" : " characters") +
           " long; winget takes " +
           (high == SIZE_MAX ? "at least " + std::to_string(low)
            : low == 0       ? "at most " + std::to_string(high)
                             : std::to_string(low) + " to " + std::to_string(high));
}

// Empty when the options' texts are what winget takes; else why not.
std::string CommandLineProblem(const CommandLine& line)
{
    for (const char* option : {"--id", "--installer-url", "--license"}) {
        std::string problem = Utf8Problem(line.Value(option));
        if (!problem.empty())
            return std::string("the text given with ") + option + " is not UTF-8: " + problem;
    }
    const std::string& id = line.Value("--id");
    std::string problem = IdentifierProblem(id);
    if (!problem.empty())
        return "the id \"" + id + "\" is not a winget package identifier: " + problem;
    const std::string& url = line.Value("--installer-url");
    problem = UrlProblem("--installer-url", url);
    if (problem.empty())
        problem = LengthProblem("the URL given with --installer-url", url, 0, kMaxInstallerUrl);
    if (problem.empty())
        problem = LengthProblem("the licence given with --license", line.Value("--license"), kMinLicense, kMaxLicense);
    if (problem.empty() && line.Has("--locale") && !IsLocale(line.Value("--locale")))
        problem = "the locale \"" + line.Value("--locale") +
                  "\" is not one winget takes: a language of 2 or 3 letters and subtags of up to 8 (en-US, de-CH)";
    return problem;
}

// The Apps & features entry must be there and complete: winget files every
// release under its version and shows its publisher.
std::string EntryProblem(const std::string& shown, const LoadedPackage& loaded)
{
    if (!loaded.hasApp())
        return shown + " registers no Apps & features entry (it was built with --no-uninstall): it cannot be "
                       "uninstalled, and winget would refuse it; build it again without --no-uninstall";
    const AppEntry entry = AppEntryOf(loaded.app());
    if (entry.version.empty())
        return shown + " carries no version, which winget files every release under; build it again with --version";
    if (entry.publisher.empty())
        return shown + " names no publisher; build it again with --publisher";
    for (auto text : {std::make_pair("--publisher", &entry.publisher), std::make_pair("--version", &entry.version),
                      std::make_pair("--url", &entry.url)}) {
        std::string problem = text.second->empty() ? std::string() : AppTextProblem(text.first, *text.second);
        if (!problem.empty())
            return problem + "; build it again with another " + text.first;
    }
    std::string problem = LengthProblem("the publisher \"" + entry.publisher + "\"", entry.publisher, kMinPublisher,
                                        SIZE_MAX);
    if (!problem.empty())
        return problem + "; build it again with a longer --publisher";
    // Windows drops a trailing dot or blank from a folder's name.
    if (entry.version.back() == '.' || entry.version.back() == ' ')
        return "the version \"" + entry.version + "\" ends in a dot or a blank and so cannot name a folder on "
                                                  "Windows; build it again with another --version";
    return std::string();
}

// The title names the package and its entry; the description, or the title
// when there is none, describes it, cut to winget's length when longer.
std::string TextsProblem(const std::string& shown, const package::InstHeader& header)
{
    const std::string title = header.szTitle, description = header.szDescription;
    // The installer writes unmarked texts as ANSI: the entry would read
    // differently on computers of different code pages.
    if (!package::HasUtf8Texts(header) && !IsPrintableAscii(title + description))
        return "the texts of " + shown + " are ANSI, read in the code page of whichever computer runs it; "
               "build it again with this saverpack, which writes UTF-8";
    for (auto text : {std::make_pair("--title", &title), std::make_pair("--description", &description)}) {
        std::string problem = Utf8Problem(*text.second);
        if (!problem.empty())
            return std::string("the text given with ") + text.first + " is not UTF-8: " + problem;
    }
    std::string problem =
        LengthProblem("the title \"" + title + "\", the package's name,", title, kMinPackageName, kMaxPackageName);
    if (!problem.empty())
        return problem + "; build it again with another --title";
    const std::string& summary = description.empty() ? title : description;
    problem = LengthProblem("the short description \"" + summary +
                                "\" (the description, or the title when there is none)",
                            summary, kMinShortDescription, SIZE_MAX);
    if (!problem.empty())
        return problem + "; build it again with a longer --description";
    return std::string();
}

// The installer's reader must accept it and its saver must inflate, as
// `inspect --verify` requires. Fills in what the manifest takes from it.
std::string InstallerProblem(const std::string& path, WingetPackage* package)
{
    const std::string shown = path;
    LoadedPackage loaded(path);
    if (!loaded.valid())
        return shown + " is a damaged installer: " + WhyRefused(path);
    if (!loaded.hasSaver())
        return shown + " holds no saver";
    uint32_t inflated = 0;
    std::string problem;
    if (!InflateSaverToNowhere(path, loaded.saverOffset(), &inflated, &problem))
        return shown + " is a damaged installer: " + problem;
    problem = EntryProblem(shown, loaded);
    if (problem.empty())
        problem = TextsProblem(shown, loaded.header());
    if (!problem.empty())
        return problem;
    package->productCode = UninstallKeyNameOf(loaded.saver().szFileName);
    if (package->productCode.empty())
        return "the saver's file name \"" + std::string(loaded.saver().szFileName) +
               "\" cannot name an Apps & features key";

    const AppEntry entry = AppEntryOf(loaded.app());
    const std::string title = loaded.header().szTitle, description = loaded.header().szDescription;
    package->version = entry.version;
    package->publisher = entry.publisher;
    package->packageUrl = entry.url;
    package->name = title;
    package->shortDescription = CutToCharacters(description.empty() ? title : description, kMaxShortDescription);
    return std::string();
}

// The SHA-256 of the file, read in pieces, in the upper-case hex winget shows.
bool FileSha256(const std::string& path, std::string* hex, std::string* error)
{
    std::ifstream in(FileSystemPath(path), std::ios::binary);
    Sha256 digest;
    std::vector<char> piece(64 * 1024);
    while (in) {
        in.read(piece.data(), std::streamsize(piece.size()));
        if (!digest.Add(piece.data(), size_t(in.gcount())))
            break;
    }
    uint8_t sum[kSha256Size];
    if (!in.eof() || !digest.Finish(sum)) {
        *error = "cannot compute the SHA-256 of " + path;
        return false;
    }
    static const char kHex[] = "0123456789ABCDEF";
    hex->clear();
    for (uint8_t byte : sum) {
        *hex += kHex[byte >> 4];
        *hex += kHex[byte & 15];
    }
    return true;
}

// A name beside `folder` that nothing has yet (or that cannot be looked at,
// which the write then reports).
fs::path UnusedBeside(const fs::path& folder, const char* suffix)
{
    std::error_code ec;
    for (int i = 0;; ++i) {
        fs::path candidate = folder;
        candidate += suffix + std::to_string(i);
        if (!fs::exists(candidate, ec))
            return candidate;
    }
}

// Writes the files into a new folder beside `folder` and only then puts it in
// place; an old folder is moved aside first and removed once the new one is
// there. On failure everything made is removed and an old folder put back.
bool WriteManifestFolder(const fs::path& folder, const std::vector<ManifestFile>& files)
{
    std::error_code ec;
    fs::path firstMade;  // the outermost folder that did not exist before (never a root)
    for (fs::path p = folder.parent_path(); p.has_relative_path() && !fs::exists(p, ec); p = p.parent_path())
        firstMade = p;
    fs::path fresh = UnusedBeside(folder, ".new");
    bool written = fs::create_directories(fresh, ec);
    for (size_t i = 0; written && i < files.size(); ++i) {
        std::ofstream out(fresh / fs::u8path(files[i].name), std::ios::binary);
        out.write(files[i].text.data(), std::streamsize(files[i].text.size()));
        out.close();
        written = bool(out);
    }
    fs::path aside;
    if (written && fs::exists(folder, ec)) {
        aside = UnusedBeside(folder, ".old");
        fs::rename(folder, aside, ec);
        written = !ec;
        if (ec)
            aside.clear();
    }
    if (written) {
        fs::rename(fresh, folder, ec);
        written = !ec;
    }
    if (!written) {
        fs::remove_all(fresh, ec);
        if (!aside.empty())
            fs::rename(aside, folder, ec);
        if (!firstMade.empty())
            fs::remove_all(firstMade, ec);
        return false;
    }
    if (!aside.empty())
        fs::remove_all(aside, ec);
    return true;
}

}  // namespace

int RunWinget(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    CommandLine line;
    std::string error;
    if (!ScanArguments(argc, argv, 2, {"--id", "--installer-url", "--license", "--output", "--locale"},
                       {"--force", "--help"}, &line, &error))
        return UsageError(err, "winget", error, kWingetUsage);
    if (line.Has("--help")) {
        out << kWingetUsage;
        return kExitSuccess;
    }
    if (line.positional.size() != 1)
        return UsageError(err, "winget", "give exactly one INSTALLER", kWingetUsage);
    for (const char* required : {"--id", "--installer-url", "--license"}) {
        if (!line.Has(required))
            return UsageError(err, "winget", std::string(required) + " is required", kWingetUsage);
    }
    const std::string& installer = line.positional.front();

    // The command line first: its checks cost nothing.
    std::string problem = CommandLineProblem(line);
    if (!problem.empty())
        return Fail(err, problem);
    WingetPackage package;
    package.identifier = line.Value("--id");
    package.installerUrl = line.Value("--installer-url");
    package.license = line.Value("--license");
    package.locale = line.Has("--locale") ? line.Value("--locale") : "en-US";

    uint32_t size = 0;
    if (!CheckInputFile(installer, &size, &error))
        return Fail(err, error);
    problem = InstallerProblem(installer, &package);
    if (!problem.empty())
        return Fail(err, problem);

    std::string top = line.Has("--output") ? line.Value("--output") : "manifests";
    while (top.size() > 1 && (top.back() == '/' || top.back() == '\\'))
        top.pop_back();
    const std::string relative = ManifestFolder(package.identifier, package.version);
    const fs::path folder = FileSystemPath(top) / fs::u8path(relative);
    const std::string shown = top + "/" + relative;
    std::error_code ec;
    if (fs::exists(folder, ec) && !fs::is_directory(folder, ec))
        return Fail(err, shown + " exists and is not a folder");
    if (fs::exists(folder, ec) && !line.Has("--force"))
        return Fail(err, shown + " already exists; give --force to replace it");

    if (!FileSha256(installer, &package.installerSha256, &error))
        return Fail(err, error);
    const std::vector<ManifestFile> files = ManifestFiles(package);
    if (!WriteManifestFolder(folder, files))
        return Fail(err, "cannot write the manifest into " + shown + "; nothing was changed");

    out << "wrote " << shown << "\n";
    for (const ManifestFile& file : files)
        out << "  " << file.name << "\n";
    out << "  installer  " << installer << ", " << size << " bytes, SHA-256 " << package.installerSha256
        << "\n";
    out << "Check it with `winget validate --manifest " << shown
        << "` on Windows, then submit the folder to the community repository.\n";
    return kExitSuccess;
}

}  // namespace saverpack
