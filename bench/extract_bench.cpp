// Extraction speed: WriteSaverFile, bound to 8192-byte steps, against a plain
// zlib loop with 256 KiB buffers over the same stream, in the same run. The loop
// writes the same kind of target: a new file beside the destination that the
// same write-through rename puts in place. For reading the gap: the same loop
// with 8192-byte buffers (the stub's steps, without its file calls), and the
// large-buffer loop without the rename.
#include "bench_support.h"
#include "benchmarks.h"
#include "platform/file_util.h"

#include "compat/platform.h"
#include "package/saver_extract.h"

#include <algorithm>
#include <stdio.h>
#include <vector>
#include <zlib.h>

namespace bench {

namespace {

constexpr size_t kLargeBuffer = 256 * 1024;
constexpr size_t kStubStep = 8192;
constexpr int kRounds = 5;

// zpipe's loop; unbuffered stdio, so each fread and fwrite is one call.
bool InflateWithBuffers(const Installer& installer, const std::string& target, size_t bufferSize)
{
    FILE* in = fopen(installer.path.c_str(), "rb");
    FILE* out = fopen(target.c_str(), "wb");
    bool ok = in != nullptr && out != nullptr;
    if (ok) {
        setvbuf(in, nullptr, _IONBF, 0);
        setvbuf(out, nullptr, _IONBF, 0);
        ok = fseek(in, long(installer.streamOffset), SEEK_SET) == 0;
    }
    z_stream stream = {};
    ok = ok && inflateInit(&stream) == Z_OK;
    std::vector<unsigned char> input(bufferSize), output(bufferSize);
    uint32_t remaining = installer.streamSize;
    int result = Z_OK;
    while (ok && result != Z_STREAM_END) {
        if (stream.avail_in == 0) {
            size_t want = remaining < bufferSize ? remaining : bufferSize;
            size_t got = want == 0 ? 0 : fread(input.data(), 1, want, in);
            if (got == 0) {
                ok = false;
                break;
            }
            remaining -= uint32_t(got);
            stream.next_in = input.data();
            stream.avail_in = uInt(got);
        }
        stream.next_out = output.data();
        stream.avail_out = uInt(bufferSize);
        result = inflate(&stream, Z_NO_FLUSH);
        size_t n = bufferSize - stream.avail_out;
        ok = (result == Z_OK || result == Z_STREAM_END) && fwrite(output.data(), 1, n, out) == n;
    }
    inflateEnd(&stream);
    if (in != nullptr)
        fclose(in);
    if (out != nullptr && fclose(out) != 0)
        ok = false;
    return ok;
}

bool RenamedLikeTheStub(const Installer& installer, const std::string& destination, size_t bufferSize)
{
    std::string temporary = destination + ".new";
    if (!InflateWithBuffers(installer, temporary, bufferSize))
        return false;
    return MoveFileExW(saverpack::WidePath(temporary).c_str(), saverpack::WidePath(destination).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool Verified(const Installer& installer, const std::string& path)
{
    uint32_t crc = 0;
    uint64_t size = 0;
    return FileCrc(path, &crc, &size) && crc == installer.saverCrc && size == installer.saverSize;
}

enum Contender { kStub, kLoop, kSmallLoop, kBareLoop, kContenders };

bool Run(Contender contender, const Installer& installer, const std::string& destination)
{
    switch (contender) {
    case kStub:
        return WriteSaverFile(saverpack::WidePath(destination).c_str(), saverpack::WidePath(installer.path).c_str(),
                              installer.saverOffset) == 1;
    case kLoop:
        return RenamedLikeTheStub(installer, destination, kLargeBuffer);
    case kSmallLoop:
        return RenamedLikeTheStub(installer, destination, kStubStep);
    default:
        return InflateWithBuffers(installer, destination, kLargeBuffer);
    }
}

struct Row {
    const char* name;
    double streamMiB = 0;
    double seconds[kContenders] = {1e30, 1e30, 1e30, 1e30};
};

double MiBPerSecond(double seconds, uint64_t bytes)
{
    return double(bytes) / double(kMiB) / seconds;
}

}  // namespace

int ExtractionBenchmark()
{
    constexpr uint64_t kSaverSize = 64 * kMiB;
    struct Variant {
        const char* name;
        Content content;
        int level;
    };
    const Variant variants[] = {{"incompressible", Content::kIncompressible, 1},
                                {"compressible", Content::kCompressible, 9}};
    ScratchDir dir;
    std::vector<Row> rows;
    for (const Variant& variant : variants) {
        Installer installer = WriteInstaller(dir.Path("setup.exe"), kSaverSize, variant.content, variant.level);
        std::string destination = dir.Path("BENCH.SCR");
        Row row;
        row.name = variant.name;
        row.streamMiB = double(installer.streamSize) / double(kMiB);
        // The installer's own pages must reach the disk before any timing starts,
        // and the contenders take turns at going first.
        SyncFile(installer.path);
        for (int round = 0; round < kRounds; ++round) {
            for (int turn = 0; turn < kContenders; ++turn) {
                Contender contender = Contender((round + turn) % kContenders);
                double start = Seconds();
                bool ok = Run(contender, installer, destination);
                row.seconds[contender] = std::min(row.seconds[contender], Seconds() - start);
                if (!ok || !Verified(installer, destination)) {
                    fprintf(stderr, "extraction of the %s saver failed (contender %d)\n", variant.name, contender);
                    return 1;
                }
                RemoveFile(destination);
            }
        }
        RemoveFile(installer.path);
        rows.push_back(row);
    }

    printf("\nExtraction of a 64 MiB saver in %s (best of %d; MiB/s of inflated output)\n", dir.path().c_str(),
           kRounds);
    printf("%-15s %10s %15s %16s %6s %16s %15s\n", "saver", "stream MiB", "WriteSaverFile",
           "zlib 256K+rename", "ratio", "zlib 8K+rename", "zlib 256K bare");
    double worst = 1e30;
    std::string ratios;
    for (const Row& row : rows) {
        double speed[kContenders];
        for (int c = 0; c < kContenders; ++c)
            speed[c] = MiBPerSecond(row.seconds[c], kSaverSize);
        double ratio = speed[kStub] / speed[kLoop];
        printf("%-15s %10.1f %15.1f %16.1f %6.2f %16.1f %15.1f\n", row.name, row.streamMiB, speed[kStub],
               speed[kLoop], ratio, speed[kSmallLoop], speed[kBareLoop]);
        worst = std::min(worst, ratio);
        char part[64];
        snprintf(part, sizeof part, "%s%s %.2f", ratios.empty() ? "" : ", ", row.name, ratio);
        ratios += part;
    }
    printf("SUMMARY extraction: WriteSaverFile / zlib loop with 256 KiB buffers = %.2f (%s), target >= 0.90: %s\n",
           worst, ratios.c_str(), worst >= 0.90 ? "met" : "MISSED");
    return 0;
}

}  // namespace bench
