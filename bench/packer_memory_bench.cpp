// Peak memory of saverpack's build, inspect --verify and extract with a 1 MiB
// and a 256 MiB saver. Each run is a process of its own: this program started
// again, running saverpack's command line in-process between two readings of
// its peak memory, so the figures are saverpack's and not the parent's (a
// spawned child's ru_maxrss would start from its parent's resident set).
#include "bench_support.h"
#include "benchmarks.h"

#include "commands/cli.h"

#include <sstream>
#include <stdio.h>
#include <string>
#include <vector>

namespace bench {

int PackerChild(const std::string& resultPath, const std::vector<std::string>& command)
{
    std::vector<const char*> argv{"saverpack"};
    for (const std::string& arg : command)
        argv.push_back(arg.c_str());
    std::ostringstream out, err;
    Peak peak;
    peak.before = PeakMemoryBytes();
    int code = saverpack::RunSaverpack(int(argv.size()), argv.data(), out, err);
    peak.after = PeakMemoryBytes();
    if (code != 0) {
        fprintf(stderr, "saverpack %s: %s%s", command.front().c_str(), out.str().c_str(), err.str().c_str());
        return 1;
    }
    return WritePeak(resultPath, peak) ? 0 : 1;
}

int PackerMemoryBenchmark(const std::string& stubPath)
{
    const uint64_t sizes[] = {1 * kMiB, 256 * kMiB};
    const char* commands[] = {"build", "inspect --verify", "extract"};
    ScratchDir dir;
    std::string saver = dir.Path("bench.scr");
    std::string installer = dir.Path("setup.exe");
    std::string extracted = dir.Path("extracted.scr");
    std::string result = dir.Path("peak.txt");
    Peak peaks[2][3];
    for (int i = 0; i < 2; ++i) {
        WriteContentFile(saver, sizes[i], Content::kIncompressible);  // the largest installer
        const std::vector<std::string> runs[3] = {
            {"build", "--stub", stubPath, "--saver", saver, "--title", "Benchmark Saver", "--output", installer},
            {"inspect", installer, "--verify"},
            {"extract", installer, extracted},
        };
        for (int c = 0; c < 3; ++c) {
            std::vector<std::string> child{"packer-child", result};
            child.insert(child.end(), runs[c].begin(), runs[c].end());
            if (!RunSelfMeasured(child, result, &peaks[i][c]) || (c == 2 && FileSize(extracted) != sizes[i])) {
                fprintf(stderr, "saverpack %s failed on the %llu MiB saver\n", commands[c],
                        static_cast<unsigned long long>(sizes[i] / kMiB));
                return 1;
            }
        }
        RemoveFile(saver);
        RemoveFile(installer);
        RemoveFile(extracted);
    }

    printf("\nPeak memory of saverpack, one process per command (KiB; resident set natively, working set on "
           "Windows)\n");
    printf("%-18s %-9s %12s %12s\n", "command", "saver", "before", "peak");
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 2; ++i)
            printf("%-18s %4llu MiB %12.0f %12.0f\n", commands[c], static_cast<unsigned long long>(sizes[i] / kMiB),
                   KiB(peaks[i][c].before), KiB(peaks[i][c].after));
    const double targets[] = {16384, 2048, 2048};
    bool met = true;
    printf("SUMMARY packer memory: growth from the 1 MiB to the 256 MiB saver");
    for (int c = 0; c < 3; ++c) {
        double growth = KiB(peaks[1][c].after) - KiB(peaks[0][c].after);
        met = met && growth <= targets[c];
        printf("%s %s %+.0f KiB (target %.0f)", c == 0 ? "" : ",", commands[c], growth, targets[c]);
    }
    printf(": %s\n", met ? "met" : "MISSED");
    return 0;
}

}  // namespace bench
