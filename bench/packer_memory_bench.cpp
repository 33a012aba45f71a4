// Peak memory of saverpack's build, inspect --verify and extract with a 1 MiB
// and a 256 MiB saver. Each run is a process of its own: this program started
// again, running saverpack's command line in-process between two readings of
// its peak memory, so the figures are saverpack's and not the parent's (a
// spawned child's ru_maxrss would start from its parent's resident set).
#include "bench_support.h"
#include "benchmarks.h"

#include "cli.h"

#include <sstream>
#include <stdio.h>
#include <string>
#include <vector>

namespace bench {

namespace {

struct Peak {
    uint64_t before = 0;  // after start-up, before the command
    uint64_t after = 0;
};

bool MeasureInChild(const std::vector<std::string>& command, const std::string& resultPath, Peak* peak)
{
    std::vector<std::string> args{"packer-child", resultPath};
    args.insert(args.end(), command.begin(), command.end());
    if (RunSelf(args) != 0)
        return false;
    FILE* result = fopen(resultPath.c_str(), "r");
    if (result == nullptr)
        return false;
    unsigned long long before = 0, after = 0;
    bool ok = fscanf(result, "%llu %llu", &before, &after) == 2;
    fclose(result);
    peak->before = before;
    peak->after = after;
    return ok;
}

double KiB(uint64_t bytes)
{
    return double(bytes) / 1024.0;
}

}  // namespace

int PackerChild(const std::string& resultPath, const std::vector<std::string>& command)
{
    std::vector<const char*> argv{"saverpack"};
    for (const std::string& arg : command)
        argv.push_back(arg.c_str());
    std::ostringstream out, err;
    uint64_t before = PeakMemoryBytes();
    int code = saverpack::RunSaverpack(int(argv.size()), argv.data(), out, err);
    uint64_t after = PeakMemoryBytes();
    if (code != 0) {
        fprintf(stderr, "saverpack %s: %s%s", command.front().c_str(), out.str().c_str(), err.str().c_str());
        return 1;
    }
    FILE* result = fopen(resultPath.c_str(), "w");
    if (result == nullptr)
        return 1;
    fprintf(result, "%llu %llu\n", static_cast<unsigned long long>(before), static_cast<unsigned long long>(after));
    fclose(result);
    return 0;
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
            if (!MeasureInChild(runs[c], result, &peaks[i][c]) || (c == 2 && FileSize(extracted) != sizes[i])) {
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
