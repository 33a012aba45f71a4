// The fuzz target starts from the committed seeds; a seed the reader refuses
// would leave the fuzzer outside the code that matters.
#include "fuzz/expected_saver.h"
#include "fuzz/sweep_runner.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#ifdef SAVERSTUB_SEED_DIR
#include <filesystem>

namespace {

TEST(SeedCorpus, EverySeedIsASmallInstallerThatLoadsAndExtracts)
{
    namespace fs = std::filesystem;
    fuzzsupport::SweepRunner runner;
    size_t seeds = 0;
    for (const auto& entry : fs::directory_iterator(SAVERSTUB_SEED_DIR)) {
        SCOPED_TRACE(entry.path().filename().string());
        testsupport::Bytes seed = testsupport::ReadFileBytes(entry.path().string());
        EXPECT_LE(seed.size(), 4096u);
        EXPECT_EQ(runner.Run(seed, entry.path().filename().string()), 1);
        ++seeds;
    }
    EXPECT_GE(seeds, 8u);
    EXPECT_TRUE(runner.Violations().empty()) << runner.Report();
}

}  // namespace
#endif
