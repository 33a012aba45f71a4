// What the benchmarks share: a clock, a scratch directory, installers with savers
// of any size written as a stream (never whole in memory), peak memory of this
// process, and starting this program again as a separate process.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

namespace bench {

constexpr uint64_t kMiB = 1024 * 1024;

double Seconds();  // a monotonic clock

// A fresh directory for big generated files, removed with its content at the end.
// SAVERSTUB_BENCH_DIR chooses where it is made (default: the system's temp dir).
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string Path(const std::string& name) const;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

enum class Content {
    kIncompressible,  // random bytes: deflate stores them
    kCompressible,    // numbered text lines: about 10 to 1 at level 9
};

struct Installer {
    std::string path;
    uint32_t saverOffset = 0;   // of the saver chunk (what the reader calls scrpos)
    uint32_t streamOffset = 0;  // of the saver's zlib stream
    uint32_t streamSize = 0;
    uint64_t saverSize = 0;
    uint32_t saverCrc = 0;      // zlib's crc32 of the saver
    uint64_t fileSize = 0;
};

// Writes a complete installer: a 60,000-byte stub image, the header, a small
// document and logo, the saver deflated at `level` as it is generated, the trailer.
Installer WriteInstaller(const std::string& path, uint64_t saverSize, Content content, int level);

// `size` bytes of `content` as a plain file, and as one zlib stream (its size
// returned), both generated and written in pieces.
void WriteContentFile(const std::string& path, uint64_t size, Content content);
uint64_t WriteZlibFile(const std::string& path, uint64_t size, Content content, int level);

// zlib's crc32 and the size of a file; false if it cannot be read.
bool FileCrc(const std::string& path, uint32_t* crc, uint64_t* size);

// The largest resident set (working set on Windows) of this program so far.
uint64_t PeakMemoryBytes();

// Runs this program again with `args`; its exit code, or -1.
int RunSelf(const std::vector<std::string>& args);

// Peak memory of work done in a child of this program, read before and after
// it: a spawned child's own figure would start from its parent's resident set.
// The child writes its readings with WritePeak; RunSelfMeasured reads them.
struct Peak {
    uint64_t before = 0;
    uint64_t after = 0;
};
bool WritePeak(const std::string& resultPath, const Peak& peak);
bool RunSelfMeasured(const std::vector<std::string>& args, const std::string& resultPath, Peak* peak);
double KiB(uint64_t bytes);

void RemoveFile(const std::string& path);
// Waits until the file's data is on the disk.
void SyncFile(const std::string& path);
uint64_t FileSize(const std::string& path);  // 0 when it does not exist

}  // namespace bench
