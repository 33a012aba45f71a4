// Reader time: LoadInstaller on installers whose savers are 1 MiB and 256 MiB.
// The reader checks the trailer, the header and the stub image and inflates the
// document and the logo; it only steps over the saver, so the times should match.
#include "bench_support.h"
#include "benchmarks.h"
#include "platform/file_util.h"

#include "package/installer_state.h"
#include "package/reader.h"

#include <algorithm>
#include <stdio.h>
#include <string.h>
#include <vector>

namespace bench {

namespace {

constexpr int kRuns = 201;

// One load in milliseconds; negative if the reader refused the file.
double LoadMilliseconds(const std::string& path)
{
    ClearInstallerRecords();
    scrpos = 0;
    double start = Seconds();
    int loaded = LoadInstaller(nullptr, saverpack::WidePath(path).c_str());
    double milliseconds = (Seconds() - start) * 1000.0;
    ReleaseInstallerBlocks();
    return loaded == 1 ? milliseconds : -1;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int ReaderBenchmark()
{
    const uint64_t sizes[] = {1 * kMiB, 256 * kMiB};
    ScratchDir dir;
    Installer installers[2];
    for (int i = 0; i < 2; ++i) {
        // Random bytes: the installer is as large as the saver, the worst case.
        installers[i] = WriteInstaller(dir.Path("setup" + std::to_string(i) + ".exe"), sizes[i],
                                       Content::kIncompressible, 1);
    }
    // The two files take turns, so that both meet the same state of the machine;
    // the first loads bring pages and code in and are not counted.
    std::vector<double> times[2];
    for (int run = -5; run < kRuns; ++run) {
        for (int i = 0; i < 2; ++i) {
            double milliseconds = LoadMilliseconds(installers[i].path);
            if (milliseconds < 0) {
                fprintf(stderr, "the reader refused the installer with a %llu MiB saver\n",
                        static_cast<unsigned long long>(sizes[i] / kMiB));
                return 1;
            }
            if (run >= 0)
                times[i].push_back(milliseconds);
        }
    }
    double medians[2] = {Median(times[0]), Median(times[1])};
    for (const Installer& installer : installers)
        RemoveFile(installer.path);

    printf("\nLoadInstaller (median of %d runs each, the two files in turn, in the page cache)\n", kRuns);
    printf("%-10s %16s %12s\n", "saver", "installer bytes", "ms");
    for (int i = 0; i < 2; ++i)
        printf("%4llu MiB   %16llu %12.3f\n", static_cast<unsigned long long>(sizes[i] / kMiB),
               static_cast<unsigned long long>(installers[i].fileSize), medians[i]);
    double ratio = medians[1] / medians[0];
    printf("SUMMARY reader: %.3f ms with a 256 MiB saver, %.3f ms with a 1 MiB saver, ratio %.2f, "
           "target no growth (ratio <= 1.25): %s\n",
           medians[1], medians[0], ratio, ratio <= 1.25 ? "met" : "MISSED");
    return 0;
}

}  // namespace bench
