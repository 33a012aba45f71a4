// `saverpack build`: reads and checks every input, lays out the installer, writes
// it beside the output, has the installer's own reader accept it, and only then
// puts it in place.
#include "commands/app_entry.h"
#include "commands/cli.h"
#include "commands/installer_face.h"
#include "images/dib_encode.h"
#include "languages/language_choice.h"
#include "languages/languages_chunk.h"
#include "platform/file_util.h"
#include "packing/loaded_package.h"
#include "commands/options.h"
#include "packing/package_writer.h"
#include "packing/stub_location.h"
#include "platform/text_encoding.h"

#include "package/package_format.h"
#include "package/scoped_handles.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace saverpack {

namespace {

// What the installer's reader must find in the file just written; empty when
// it finds exactly that.
std::string CheckWritten(const std::string& path, const PackageContents& contents, const PackageLayout& layout)
{
    LoadedPackage loaded(path);
    if (!loaded.valid())
        return "the installer's reader refuses it";
    if (loaded.saverOffset() != layout.saverOffset || strcmp(loaded.saver().szFileName, contents.saverName.c_str()) != 0 ||
        strcmp(loaded.header().szTitle, contents.title.c_str()) != 0 ||
        strcmp(loaded.header().szDescription, contents.description.c_str()) != 0 ||
        !package::HasUtf8Texts(loaded.header()) ||
        loaded.header().crColour != contents.colour || loaded.header().nTimeout != contents.timeout)
        return "the reader finds other header or saver records than were written";
    if (loaded.hasDocument() != contents.hasDocument ||
        (contents.hasDocument && (loaded.documentInflatedSize() != contents.document.size() ||
                              loaded.document().dwSize != contents.document.size())))
        return "the reader finds another document than was written";
    if (loaded.hasLogo() != contents.hasLogo ||
        (contents.hasLogo && (loaded.logo().size() != contents.logo.size() ||
                          memcmp(loaded.logo().data(), contents.logo.data(), contents.logo.size()) != 0 ||
                          loaded.logoAlpha() != contents.logoAlpha)))
        return "the reader finds another logo than was written";
    if (loaded.hasApp() != contents.hasApp ||
        (contents.hasApp && (AppEntryOf(loaded.app()).publisher != contents.app.publisher ||
                             AppEntryOf(loaded.app()).version != contents.app.version ||
                             AppEntryOf(loaded.app()).url != contents.app.url)))
        return "the reader finds another Apps & features entry than was written";
    uint32_t inflated = 0;
    std::string error;
    if (!InflateSaverToNowhere(path, layout.saverOffset, &inflated, &error))
        return error;
    if (inflated != layout.saverSize)
        return "the saver inflates to " + std::to_string(inflated) + " bytes instead of " +
               std::to_string(layout.saverSize);
    return CheckWrittenLanguages(path, contents.languages);
}

}  // namespace

int RunBuild(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    CommandLine line;
    std::string error;
    if (!ScanArguments(argc, argv, 2,
                       {"--stub", "--saver", "--title", "--description", "--colour", "--timeout", "--name",
                        "--document", "--logo", "--level", "--output", "--publisher", "--version", "--url",
                        "--languages", "--icon", "--copyright"},
                       {"--help", "--no-uninstall"}, &line, &error, {"--language-file"}))
        return UsageError(err, "build", error, kBuildUsage);
    if (line.Has("--help")) {
        out << kBuildUsage;
        return kExitSuccess;
    }
    if (!line.positional.empty())
        return UsageError(err, "build", "unexpected argument \"" + line.positional.front() + "\"", kBuildUsage);
    for (const char* required : {"--saver", "--output"}) {
        if (!line.Has(required))
            return UsageError(err, "build", std::string(required) + " is required", kBuildUsage);
    }
    // (--publisher and --version also name the installer's version information.)
    if (line.Has("--no-uninstall") && line.Has("--url"))
        return UsageError(err, "build",
                          "--url describes the Apps & features entry that --no-uninstall leaves out; give one or "
                          "the other",
                          kBuildUsage);

    PackageContents contents;
    if (line.Has("--title"))
        contents.title = line.Value("--title");
    if (line.Has("--description"))
        contents.description = line.Value("--description");
    // The installer shows the texts as UTF-8; anything else would reach the
    // end user as replacement characters.
    for (const char* text : {"--title", "--description", "--copyright"}) {
        std::string problem = line.Has(text) ? Utf8Problem(line.Value(text)) : std::string();
        if (!problem.empty())
            return Fail(err, std::string("the text given with ") + text + " is not UTF-8: " + problem);
    }
    // Every installer registers itself for removal unless told not to.
    contents.hasApp = !line.Has("--no-uninstall");
    for (auto text : {std::make_pair("--publisher", &contents.app.publisher),
                      std::make_pair("--version", &contents.app.version), std::make_pair("--url", &contents.app.url)}) {
        if (!line.Has(text.first))
            continue;
        *text.second = line.Value(text.first);
        std::string problem = AppTextProblem(text.first, *text.second);
        if (!problem.empty())
            return Fail(err, problem);
    }
    if (line.Has("--colour") && !ParseWebColour(line.Value("--colour"), &contents.colour))
        return Fail(err, "the colour \"" + line.Value("--colour") +
                             "\" is not six hexadecimal digits RRGGBB, red first");
    if (line.Has("--timeout") && !ParseWholeNumber(line.Value("--timeout"), 0, kMaxTimeout, &contents.timeout))
        return Fail(err, "the timeout \"" + line.Value("--timeout") + "\" is not a whole number of minutes from 0 to " +
                             std::to_string(kMaxTimeout));
    uint32_t level = kDefaultLevel;
    if (line.Has("--level") && !ParseWholeNumber(line.Value("--level"), 0, 9, &level))
        return Fail(err, "the level \"" + line.Value("--level") + "\" is not a number from 0 to 9");
    contents.level = int(level);

    const std::string& saverPath = line.Value("--saver");
    const std::string& output = line.Value("--output");
    bool namedByOption = line.Has("--name");
    contents.saverName = namedByOption ? line.Value("--name") : BaseName(saverPath);
    std::string nameProblem = CheckFileName(contents.saverName);
    if (!nameProblem.empty())
        return Fail(err, nameProblem + (namedByOption ? "" : "; give one with --name"));
    // The installer reads the name in the ANSI code page and writes it into
    // SYSTEM.INI, where only ASCII reads the same on every system.
    if (!IsPrintableAscii(contents.saverName))
        return Fail(err, "the saver's file name \"" + contents.saverName + "\" is not plain ASCII; give " +
                             (namedByOption ? "an ASCII one" : "one") + " with --name");

    // Checked before any file is read, so that every refusal of a text comes
    // first and costs nothing.
    PackageContents textsOnly = contents;
    textsOnly.saver.assign(1, 0);
    std::string textProblem = CheckContents(textsOnly);
    if (!textProblem.empty())
        return Fail(err, textProblem);
    if (!LanguagesForBuild(line, &contents.languages, &error))
        return Fail(err, error);

    std::string stubPath;
    if (line.Has("--stub")) {
        stubPath = line.Value("--stub");
    } else {
        std::string executable, unknown;
        if (!OwnExecutablePath(&executable, &unknown))
            executable.clear();
        if (!FindStub(executable, ProcessEnvironment, &stubPath, &error))
            return Fail(err, unknown.empty() ? error : error + ": " + unknown);
        if (SamePath(output, stubPath))
            return Fail(err, "the output " + output + " is the stub; it would be destroyed");
    }

    for (const char* input : {"--stub", "--saver", "--document", "--logo", "--icon"}) {
        if (line.Has(input) && SamePath(output, line.Value(input)))
            return Fail(err, "the output " + output + " is the file given with " + input +
                                 "; it would be destroyed");
    }
    for (const std::string& input : line.Values("--language-file")) {
        if (SamePath(output, input))
            return Fail(err, "the output " + output +
                                 " is a file given with --language-file; it would be destroyed");
    }

    // Windows will not replace a read-only file, but Wine and POSIX renames would.
    if (IsReadOnlyFile(output))
        return Fail(err, "the output " + output + " is read-only");

    if (!ReadWholeFile(stubPath, &contents.stub, &error))
        return Fail(err, error);
    if (LoadedPackage(stubPath).valid())
        return Fail(err, "the stub " + stubPath + " already carries an installer package; give the bare stub");
    if (contents.stub.size() >= package::kTrailerSize &&
        memcmp(contents.stub.data() + contents.stub.size() - package::kTrailerSize, "iend", 4) == 0)
        err << "saverpack: warning: the stub " << stubPath
            << " ends like an installer whose package is damaged; that package becomes part of the stub image\n";
    // The saver may be large: it is read in pieces while it is written.
    uint32_t saverSize = 0;
    if (!CheckInputFile(saverPath, &saverSize, &error))
        return Fail(err, error);
    if (saverSize == 0)
        return Fail(err, "the saver " + saverPath + " is empty");
    contents.saverPath = saverPath;
    InstallerFace face;
    if (!MakeInstallerFace(line, saverPath, &contents, &face, &error))
        return Fail(err, error);
    const size_t stubSize = contents.stub.size();
    if (!DressStub(face, contents, output, &contents.stub, &face.report, &error))
        return Fail(err, error);
    if (line.Has("--document")) {
        contents.hasDocument = true;
        if (!ReadWholeFile(line.Value("--document"), &contents.document, &error))
            return Fail(err, error);
        if (contents.document.empty())
            return Fail(err, "the document " + (line.Value("--document")) +
                                 " is empty; the installer would take the package for damaged");
    }
    DibFacts logoFacts;
    if (line.Has("--logo")) {
        contents.hasLogo = true;
        Bytes file;
        if (!ReadWholeFile(line.Value("--logo"), &file, &error))
            return Fail(err, error);
        if (!LogoDibFromFile(file, &contents.logo, &logoFacts, &error))
            return Fail(err, "the logo " + (line.Value("--logo")) + " cannot be used: " + error);
        contents.logoAlpha = logoFacts.alpha;
    }

    PackageLayout layout;
    std::string temporary;
    if (!MakeTemporaryBeside(output, &temporary, &error))
        return Fail(err, error);
    bool written;
    {
        package::ScopedFile file(OpenFileUtf8(temporary, OF_CREATE));
        error = "cannot write " + temporary;
        written = file.valid() && WritePackage(contents, file.get(), temporary, &layout, &error);
    }
    if (!written) {
        DeleteFileUtf8(temporary);
        return Fail(err, error);
    }
    std::string problem = CheckWritten(temporary, contents, layout);
    if (!problem.empty()) {
        DeleteFileUtf8(temporary);
        return Fail(err, "internal error: the installer just written fails its own check: " + problem);
    }
    if (!ReplaceWith(temporary, output, &error))
        return Fail(err, error);

    out << "wrote " << output << ", " << layout.installerSize << " bytes\n";
    out << "  stub      " << stubPath << ", " << stubSize << " bytes\n";
    out << "  saver     " << contents.saverName << ", " << layout.saverSize << " bytes, " << layout.saverCompressed
        << " compressed\n";
    if (contents.hasDocument)
        out << "  document  " << contents.document.size() << " bytes, " << layout.documentCompressed << " compressed\n";
    if (contents.hasLogo)
        out << "  logo      " << DescribeDib(logoFacts) << ", " << layout.logoCompressed << " compressed\n";
    out << "  languages " << DescribeLanguages(contents.languages);
    if (!contents.languages.empty())
        out << "; " << layout.languagesCompressed << " bytes compressed";
    out << "\n";
    if (contents.hasApp)
        out << "  removal   Apps & features entry " << UninstallKeyNameOf(contents.saverName) << "\n";
    else
        out << "  removal   none (--no-uninstall)\n";
    for (const std::string& said : face.report)
        out << said << "\n";
    return kExitSuccess;
}

}  // namespace saverpack
