// Where the packer finds its stub without --stub: the variable, the executable's
// folder, the share folder beside it, in that order, and what it says when
// there is none.
#include "platform/file_util.h"
#include "packing/stub_location.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <string.h>
#include <vector>

namespace {

using testsupport::kSeparator;

TEST(FindStub, LooksInOrderAndNamesEveryPlaceWhenNothingIsThere)
{
    enum Found { kNothing, kNamed, kBeside, kShared };
    // `variable`: nullptr for not set, "" for set but empty, "named" for an
    // existing file, "gone" for one that does not exist.
    struct Case {
        const char* name;
        const char* variable;
        bool knownExecutable, beside, shared;
        Found found;
        std::vector<std::string> mentions;  // in the message; "{named}" and the like stand for the paths
    } cases[] = {
        {"the variable comes first", "named", true, true, true, kNamed, {}},
        {"even when saverpack's folder is unknown", "named", false, false, false, kNamed, {}},
        {"a variable naming nothing is an error, not a fall-through", "gone", true, true, true, kNothing,
         {"{gone}", "SAVERPACK_STUB", "does not exist"}},
        {"empty counts as not set", "", true, true, true, kBeside, {}},
        {"beside the executable before the share folder", nullptr, true, true, true, kBeside, {}},
        {"the share folder last", nullptr, true, false, true, kShared, {}},
        {"none: every place named", nullptr, true, false, false, kNothing,
         {"--stub", "SAVERPACK_STUB is not set", "{beside}", "{shared}"}},
        {"none, the variable empty", "", true, false, false, kNothing, {"SAVERPACK_STUB is empty", "{shared}"}},
        {"none, saverpack's folder unknown", nullptr, false, false, false, kNothing, {"unknown"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        const std::string bin = dir.Path("bin");
        const std::string share = dir.Path("share");
        const std::string sharedDir = share + kSeparator + "saverpack";
        testsupport::MakeDirectory(bin);
        testsupport::MakeDirectory(share);
        testsupport::MakeDirectory(sharedDir);
        const std::string named = dir.Path("elsewhere.exe");
        const std::string gone = dir.Path("gone.exe");
        const std::string beside = bin + kSeparator + "saverstub.exe";
        const std::string shared = sharedDir + kSeparator + "saverstub.exe";
        testsupport::WriteFileBytes(named, {1});
        // Where there is no stub beside the executable, a folder of its name
        // stands in its way: only a file counts.
        if (c.beside)
            testsupport::WriteFileBytes(beside, {2});
        else
            testsupport::MakeDirectory(beside);
        if (c.shared)
            testsupport::WriteFileBytes(shared, {3});

        std::string value = c.variable == nullptr ? "" : strcmp(c.variable, "named") == 0 ? named
                                                      : strcmp(c.variable, "gone") == 0  ? gone
                                                                                         : c.variable;
        int lookups = 0;
        auto lookup = [&](const char* variable) -> const char* {
            ++lookups;
            EXPECT_STREQ(variable, "SAVERPACK_STUB");
            return c.variable == nullptr ? nullptr : value.c_str();
        };
        const std::string executable = c.knownExecutable ? bin + kSeparator + "saverpack.exe" : "";
        std::string stub = "untouched", error;
        bool ok = saverpack::FindStub(executable, lookup, &stub, &error);
        EXPECT_EQ(lookups, 1);

        const std::string expected[] = {"", named, beside, shared};
        if (c.found != kNothing) {
            EXPECT_TRUE(ok) << error;
            EXPECT_EQ(stub, expected[c.found]);
            continue;
        }
        EXPECT_FALSE(ok);
        EXPECT_EQ(stub, "untouched");
        for (std::string part : c.mentions) {
            for (auto [token, path] : {std::pair{"{gone}", gone}, {"{beside}", beside}, {"{shared}", shared}}) {
                if (part == token)
                    part = path;
            }
            EXPECT_NE(error.find(part), std::string::npos) << "\"" << part << "\" is not in: " << error;
        }
    }
}

TEST(OwnExecutablePath, IsTheRunningTestProgram)
{
    std::string path, error;
    ASSERT_TRUE(saverpack::OwnExecutablePath(&path, &error)) << error;
    EXPECT_TRUE(testsupport::FileExists(path)) << path;
    EXPECT_EQ(saverpack::BaseName(path).rfind("saverpack_tests", 0), 0u) << path;
}

}  // namespace
