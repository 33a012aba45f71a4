// Size of the stub's release image: every end user downloads it.
#include "bench_support.h"
#include "benchmarks.h"

#include <stdio.h>

namespace bench {

int SizeReport(const std::string& stubPath)
{
    constexpr uint64_t kTarget = 64 * 1024;
    uint64_t size = FileSize(stubPath);
    printf("\nSize of the stub image\n");
    printf("%-40s %10s %10s\n", "file", "bytes", "KiB");
    if (size == 0) {
        printf("%-40s %10s %10s\n", stubPath.c_str(), "-", "-");
        printf("SUMMARY size: %s is not built\n", stubPath.c_str());
        return 0;
    }
    printf("%-40s %10llu %10.1f\n", stubPath.c_str(), static_cast<unsigned long long>(size), double(size) / 1024.0);
    printf("SUMMARY size: saverstub.exe %llu bytes (%.1f KiB), target <= 64 KiB: %s\n",
           static_cast<unsigned long long>(size), double(size) / 1024.0, size <= kTarget ? "met" : "MISSED");
    return 0;
}

}  // namespace bench
