// `saverpack inspect` and `saverpack extract`: both judge a package with the
// installer's own reader and take the saver out with its own extraction; the
// packer's walk only explains what the reader refused.
#include "commands/app_entry.h"
#include "commands/cli.h"
#include "commands/installer_face.h"
#include "platform/file_util.h"
#include "packing/loaded_package.h"
#include "commands/options.h"
#include "packing/package_walk.h"
#include "images/packed_dib.h"
#include "languages/languages_chunk.h"
#include "platform/text_encoding.h"

#include "package/package_format.h"
#include "package/saver_extract.h"

#include <filesystem>
#include <iomanip>

namespace saverpack {

namespace {

void PrintChunks(std::ostream& out, const PackageWalk& walk)
{
    if (walk.chunks.empty())
        return;
    out << "chunks:\n";
    out << "      offset      length  tag     kind\n";
    for (const ChunkEntry& chunk : walk.chunks)
        out << "  " << std::setw(10) << chunk.offset << "  " << std::setw(10) << chunk.length << "  "
            << std::left << std::setw(6) << TagText(chunk.tag) << std::right << "  " << ChunkKind(chunk.tag) << "\n";
}

void PrintNotes(std::ostream& out, const PackageWalk& walk)
{
    for (const std::string& note : walk.notes)
        out << "note: " << note << "\n";
}

// What the installer registers for removal, and under which key.
void PrintAppEntry(std::ostream& out, const LoadedPackage& loaded)
{
    if (!loaded.hasApp()) {
        out << "  apps entry   none: the installer registers nothing for removal\n";
        return;
    }
    std::string key = UninstallKeyNameOf(loaded.saver().szFileName);
    out << "  apps entry   " << (key.empty() ? "none: the saver's file name cannot name a key" : key) << "\n";
    const AppEntry entry = AppEntryOf(loaded.app());
    auto shown = [](const std::string& text) { return text.empty() ? std::string("none") : "\"" + text + "\""; };
    out << "  publisher    " << shown(entry.publisher) << "\n";
    out << "  version      " << shown(entry.version) << "\n";
    out << "  url          " << shown(entry.url) << "\n";
}

void PrintValid(std::ostream& out, const std::string& path, const LoadedPackage& loaded, const PackageWalk& walk)
{
    const package::InstHeader& header = loaded.header();
    out << path << ": valid installer\n";
    // Always UTF-8 out: marked texts are that already, older ones are taken as
    // Windows-1252, the code page of the systems they were mostly made on.
    const bool utf8 = package::HasUtf8Texts(header);
    auto shown = [utf8](const char* text) { return utf8 ? std::string(text) : Windows1252ToUtf8(text); };
    out << "  title        \"" << shown(header.szTitle) << "\"\n";
    out << "  description  \"" << shown(header.szDescription) << "\"\n";
    out << "  texts        " << (utf8 ? "UTF-8" : "ANSI, shown as Windows-1252") << "\n";
    out << "  colour       " << WebColour(header.crColour) << " (COLORREF " << Hex32(header.crColour) << ")\n";
    out << "  timeout      " << header.nTimeout << " minutes\n";
    out << "  stub image   " << walk.headerOffset << " bytes, self-check " << Hex32(loaded.trailer().dwStubCheck)
        << "\n";
    if (walk.end.isSigned)
        out << "  signature    certificate table at offset " << walk.end.certificateOffset << ", "
            << walk.end.certificateSize << " bytes; saverpack does not judge it: use `signtool verify /pa`"
            << " or `osslsigncode verify`\n";
    else
        out << "  signature    none\n";
    PrintChunks(out, walk);
    if (loaded.hasSaver())
        out << "  saver        \"" << loaded.saver().szFileName << "\", " << loaded.saverCompressedSize()
            << " bytes compressed\n";
    else
        out << "  saver        none\n";
    if (loaded.hasDocument())
        out << "  document     " << loaded.document().dwSize << " bytes\n";
    else
        out << "  document     none\n";
    if (loaded.hasLogo()) {
        DibFacts facts;
        std::string problem;
        CheckPackedDib(reinterpret_cast<const uint8_t*>(loaded.logo().data()), loaded.logo().size(), &facts, &problem);
        facts.alpha = loaded.logoAlpha();
        out << "  logo         " << DescribeDib(facts) << "\n";
    } else {
        out << "  logo         none\n";
    }
    PrintAppEntry(out, loaded);
    out << "  languages    " << DescribeLanguages(walk.languages) << "\n";
    PrintInstallerFace(out, path);
    PrintNotes(out, walk);
}

}  // namespace

int RunInspect(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    CommandLine line;
    std::string error;
    if (!ScanArguments(argc, argv, 2, {}, {"--verify", "--help"}, &line, &error))
        return UsageError(err, "inspect", error, kInspectUsage);
    if (line.Has("--help")) {
        out << kInspectUsage;
        return kExitSuccess;
    }
    if (line.positional.size() != 1)
        return UsageError(err, "inspect", "give exactly one FILE", kInspectUsage);
    const std::string& path = line.positional.front();

    PackageWalk walk;
    if (!WalkFile(path, &walk, &error)) {
        err << "saverpack: " << error << "\n";
        return kExitFailure;
    }
    LoadedPackage loaded(path);
    if (!loaded.valid()) {
        out << path << ": damaged installer: " << WhyRefused(walk) << "\n";
        PrintChunks(out, walk);
        return kExitFailure;
    }
    PrintValid(out, path, loaded, walk);
    if (!walk.problem.empty())
        out << "note: the installer's reader accepts it, though the packer's walk found: " << walk.problem << "\n";

    if (line.Has("--verify")) {
        if (!loaded.hasSaver()) {
            out << "verify: damaged: there is no saver to inflate\n";
            return kExitFailure;
        }
        uint32_t size = 0;
        if (!InflateSaverToNowhere(path, loaded.saverOffset(), &size, &error)) {
            out << "verify: damaged: " << error << "\n";
            return kExitFailure;
        }
        out << "verify: the saver inflates to " << size << " bytes\n";
    }
    return kExitSuccess;
}

int RunExtract(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    CommandLine line;
    std::string error;
    if (!ScanArguments(argc, argv, 2, {}, {"--help"}, &line, &error))
        return UsageError(err, "extract", error, kExtractUsage);
    if (line.Has("--help")) {
        out << kExtractUsage;
        return kExitSuccess;
    }
    if (line.positional.size() != 2)
        return UsageError(err, "extract", "give FILE and DEST", kExtractUsage);
    const std::string& path = line.positional[0];
    const std::string& destination = line.positional[1];

    uint32_t size = 0;
    if (!CheckInputFile(path, &size, &error)) {
        err << "saverpack: " << error << "\n";
        return kExitFailure;
    }
    if (SamePath(path, destination)) {
        err << "saverpack: DEST is the installer " << path << " itself; it would be destroyed\n";
        return kExitFailure;
    }
    LoadedPackage loaded(path);
    if (!loaded.valid()) {
        err << "saverpack: " << path << " is a damaged installer: " << WhyRefused(path) << "\n";
        return kExitFailure;
    }
    if (!loaded.hasSaver()) {
        err << "saverpack: " << path << " holds no saver\n";
        return kExitFailure;
    }
    if (WriteSaverFile(WidePath(destination).c_str(), WidePath(path).c_str(), loaded.saverOffset()) != 1) {
        uint32_t size = 0;
        std::string reason = InflateSaverToNowhere(path, loaded.saverOffset(), &size, &error)
                                 ? "it cannot be written there"
                                 : error;
        err << "saverpack: the saver was not written to " << destination << ": " << reason << "; "
            << destination << " is as it was\n";
        return kExitFailure;
    }
    std::error_code ec;
    out << "wrote " << loaded.saver().szFileName << " to " << destination << ", "
        << std::filesystem::file_size(FileSystemPath(destination), ec) << " bytes\n";
    return kExitSuccess;
}

}  // namespace saverpack
