// Peak memory of extraction: a 1 MiB and a 256 MiB saver, each extracted in a
// process of its own. The saver streams through fixed buffers, so the two peaks
// should differ by no more than noise.
#include "bench_support.h"
#include "benchmarks.h"
#include "platform/file_util.h"

#include "package/saver_extract.h"

#include <stdio.h>
#include <stdlib.h>
#include <string>

namespace bench {

namespace {

bool MeasureInChild(const Installer& installer, const std::string& destination, const std::string& resultPath,
                    Peak* peak)
{
    return RunSelfMeasured({"memory-child", installer.path, std::to_string(installer.saverOffset), destination,
                            resultPath},
                           resultPath, peak);
}

}  // namespace

int MemoryChild(const std::string& installer, const std::string& offset, const std::string& destination,
                const std::string& resultPath)
{
    Peak peak;
    peak.before = PeakMemoryBytes();
    int written = WriteSaverFile(saverpack::WidePath(destination).c_str(), saverpack::WidePath(installer).c_str(),
                                 DWORD(strtoul(offset.c_str(), nullptr, 10)));
    peak.after = PeakMemoryBytes();
    return WritePeak(resultPath, peak) && written == 1 ? 0 : 1;
}

int MemoryBenchmark()
{
    const uint64_t sizes[] = {1 * kMiB, 256 * kMiB};
    ScratchDir dir;
    Peak peaks[2];
    for (int i = 0; i < 2; ++i) {
        Installer installer = WriteInstaller(dir.Path("setup.exe"), sizes[i], Content::kCompressible, 1);
        std::string destination = dir.Path("BENCH.SCR");
        bool ok = MeasureInChild(installer, destination, dir.Path("peak.txt"), &peaks[i]);
        uint64_t written = FileSize(destination);
        RemoveFile(destination);
        RemoveFile(installer.path);
        if (!ok || written != sizes[i]) {
            fprintf(stderr, "the memory child failed on the %llu MiB saver\n",
                    static_cast<unsigned long long>(sizes[i] / kMiB));
            return 1;
        }
    }

    printf("\nPeak memory of extraction, one process per saver (KiB; resident set natively, working set on Windows)\n");
    printf("%-10s %14s %14s %12s\n", "saver", "before", "peak", "growth");
    for (int i = 0; i < 2; ++i)
        printf("%4llu MiB   %14.0f %14.0f %12.0f\n", static_cast<unsigned long long>(sizes[i] / kMiB),
               KiB(peaks[i].before), KiB(peaks[i].after), KiB(peaks[i].after - peaks[i].before));
    double difference = KiB(peaks[1].after) - KiB(peaks[0].after);
    printf("SUMMARY memory: peak with a 256 MiB saver %.0f KiB, with a 1 MiB saver %.0f KiB, difference %+.0f KiB, "
           "target within 1024 KiB: %s\n",
           KiB(peaks[1].after), KiB(peaks[0].after), difference,
           difference <= 1024.0 && difference >= -1024.0 ? "met" : "MISSED");
    return 0;
}

}  // namespace bench
