// `saverpack winget` refuses what would make a wrong or unusable manifest: with
// the reason, status 1 (2 for wrong usage), and nothing written. What it writes
// is read back with a real YAML parser in winget_manifest_test.py.
#include "run_saverpack.h"

#include "package/package_format.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using packertest::Contains;
using packertest::Inputs;
using packertest::RunResult;
using packertest::RunSaverpack;
using packertest::Set;

using Options = std::vector<std::pair<std::string, std::string>>;

// Everything below `dir`, for "nothing was written".
std::vector<std::string> Tree(const std::string& dir)
{
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

struct Refusal {
    const char* name;
    Options build;  // the build's options beyond the plain ones; a flag has no value
    void (*prepare)(Inputs& in, std::vector<std::string>& args);  // then changes winget's arguments
    int code;
    const char* reason;
};

const Options kEntry = {{"--publisher", "Example Ltd"}, {"--version", "2.0"}};

Options EntryWith(const std::string& option, const std::string& value)
{
    Options options = kEntry;
    options.push_back({option, value});
    return options;
}

void Keep(Inputs&, std::vector<std::string>&) {}

TEST(SaverpackWinget, RefusalsWriteNothing)
{
    const Refusal cases[] = {
        {"damaged installer", kEntry, [](Inputs& in, auto&) {
             testsupport::Bytes bytes = testsupport::ReadFileBytes(in.output);
             bytes[10] ^= 1;
             testsupport::WriteFileBytes(in.output, bytes);
         }, 1, "is a damaged installer: "},
        {"damaged saver stream", kEntry, [](Inputs& in, auto&) {
             testsupport::Bytes bytes = testsupport::ReadFileBytes(in.output);
             bytes[in.stubBytes.size() + package::kHeaderRecordSize + package::kAppRecordSize +
                   package::kSaverRecordSize + 2000] ^= 0x10;
             testsupport::WriteFileBytes(in.output, bytes);
         }, 1, "is a damaged installer: the saver stream at offset 7894 is damaged"},
        {"no Apps & features entry", {{"--no-uninstall", ""}}, Keep, 1,
         "registers no Apps & features entry (it was built with --no-uninstall)"},
        {"no version", {{"--publisher", "Example Ltd"}}, Keep, 1, "carries no version"},
        {"no publisher", {{"--version", "2.0"}}, Keep, 1, "names no publisher; build it again with --publisher"},
        {"one-letter publisher", {{"--publisher", "X"}, {"--version", "2.0"}}, Keep, 1,
         "is 1 character long; winget takes at least 2"},
        {"version ending in a dot", {{"--publisher", "Example Ltd"}, {"--version", "2.0."}}, Keep, 1,
         "cannot name a folder"},
        {"one-letter title", EntryWith("--title", "T"), Keep, 1, "the package's name, is 1 character long; winget takes 2 to 256"},
        {"short description", EntryWith("--description", "\xC3\xA9\xC3\xA9"), Keep, 1,
         "is 2 characters long; winget takes at least 3"},
        {"id of one part", kEntry, [](Inputs&, auto& a) { Set(a, "--id", "Flying"); }, 1,
         "has 1 part; winget takes 2 to 8"},
        {"id with an empty part", kEntry, [](Inputs&, auto& a) { Set(a, "--id", "Example..Flying"); }, 1,
         "the part \"\" has 0 characters"},
        {"id with a no-break space", kEntry, [](Inputs&, auto& a) { Set(a, "--id", "Example.Flying\xC2\xA0Things"); },
         1, "holds a blank"},
        {"id with a colon", kEntry, [](Inputs&, auto& a) { Set(a, "--id", "Example.Fly:ing"); }, 1, "one of \\/:*?"},
        {"installer URL of another scheme", kEntry,
         [](Inputs&, auto& a) { Set(a, "--installer-url", "ftp://example.com/setup.exe"); }, 1,
         "given with --installer-url does not start with http:// or https://"},
        {"short licence", kEntry, [](Inputs&, auto& a) { Set(a, "--license", "MI"); }, 1,
         "is 2 characters long; winget takes 3 to 512"},
        {"locale with an underscore", kEntry, [](Inputs&, auto& a) { Set(a, "--locale", "en_US"); }, 1,
         "the locale \"en_US\" is not one winget takes"},
        {"existing folder", kEntry, [](Inputs& in, auto&) {
             std::filesystem::create_directories(in.dir.Path("manifests/e/Example/Flying/2.0"));
         }, 1, "manifests/e/Example/Flying/2.0 already exists; give --force to replace it"},
        {"a file where the folder goes", kEntry, [](Inputs& in, auto& a) {
             std::filesystem::create_directories(in.dir.Path("manifests/e/Example/Flying"));
             testsupport::WriteFileBytes(in.dir.Path("manifests/e/Example/Flying/2.0"), {'x'});
             a.push_back("--force");
         }, 1, "exists and is not a folder"},
        {"no licence", kEntry, [](Inputs&, auto& a) { a.resize(a.size() - 2); }, 2, "--license is required"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        Inputs in;
        std::vector<std::string> build = in.BuildArgs();
        for (const auto& option : c.build) {
            if (option.second.empty())
                build.push_back(option.first);
            else
                Set(build, option.first, option.second);
        }
        RunResult built = RunSaverpack(build);
        ASSERT_EQ(built.code, 0) << built.err;
        std::vector<std::string> args = {"winget", in.output, "--id", "Example.Flying", "--installer-url",
                                         "https://example.com/setup.exe", "--output", in.dir.Path("manifests"),
                                         "--license", "Freeware"};
        c.prepare(in, args);
        std::vector<std::string> before = Tree(in.dir.path());

        RunResult r = RunSaverpack(args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(Contains(r.err, c.reason)) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(Tree(in.dir.path()), before);
    }
}

}  // namespace
