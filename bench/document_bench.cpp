// Document loading: UncompressDataFromDisk on 1, 16 and 64 MiB documents. The
// block it fills grows by doubling, so where every resize moves the block (as
// under Wine) the time still grows with the size, not with its square.
#include "bench_support.h"
#include "benchmarks.h"

#include "compat/platform.h"
#include "package/inflate_stream.h"

#include <algorithm>
#include <stdio.h>
#include <vector>

namespace bench {

namespace {

// One load in milliseconds; negative if it failed or gave the wrong size.
double LoadMilliseconds(const std::string& path, uint64_t streamSize, uint64_t documentSize)
{
    HFILE file = _lopen(path.c_str(), OF_READ);
    if (file == HFILE_ERROR)
        return -1;
    DWORD length = DWORD(streamSize);
    double start = Seconds();
    HGLOBAL block = UncompressDataFromDisk(file, &length);
    double milliseconds = (Seconds() - start) * 1000.0;
    _lclose(file);
    if (block == nullptr)
        return -1;
    bool exact = length == documentSize && GlobalSize(block) >= documentSize;
    GlobalFree(block);
    return exact ? milliseconds : -1;
}

}  // namespace

int DocumentBenchmark()
{
    const uint64_t sizes[] = {1 * kMiB, 16 * kMiB, 64 * kMiB};
    const int runs[] = {15, 5, 3};
    ScratchDir dir;
    double medians[3];
    uint64_t streams[3];
    for (int i = 0; i < 3; ++i) {
        std::string path = dir.Path("document" + std::to_string(i) + ".z");
        streams[i] = WriteZlibFile(path, sizes[i], Content::kCompressible, 6);
        std::vector<double> times;
        for (int run = 0; run < runs[i]; ++run) {
            double milliseconds = LoadMilliseconds(path, streams[i], sizes[i]);
            if (milliseconds < 0) {
                fprintf(stderr, "the %llu MiB document did not load\n", static_cast<unsigned long long>(sizes[i] / kMiB));
                return 1;
            }
            times.push_back(milliseconds);
        }
        std::sort(times.begin(), times.end());
        medians[i] = times[times.size() / 2];
        RemoveFile(path);
    }

    printf("\nDocument loading, UncompressDataFromDisk (median of 15, 5 and 3 runs, in the page cache)\n");
    printf("%-10s %14s %12s %12s\n", "document", "stream bytes", "ms", "ms per MiB");
    for (int i = 0; i < 3; ++i)
        printf("%4llu MiB   %14llu %12.1f %12.2f\n", static_cast<unsigned long long>(sizes[i] / kMiB),
               static_cast<unsigned long long>(streams[i]), medians[i], medians[i] / double(sizes[i] / kMiB));
    double ratio = medians[2] / medians[1];
    printf("SUMMARY document: 64 MiB in %.1f ms, 16 MiB in %.1f ms, ratio %.2f, target within 5 times: %s\n",
           medians[2], medians[1], ratio, ratio <= 5.0 ? "met" : "MISSED");
    return 0;
}

}  // namespace bench
