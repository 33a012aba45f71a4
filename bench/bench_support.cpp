#include "bench_support.h"

#include "package/crc32.h"
#include "package/package_format.h"
#include "package/stub_check.h"
#include "package/trailer.h"

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace fs = std::filesystem;

namespace bench {

using namespace package;

double Seconds()
{
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

ScratchDir::ScratchDir()
{
    const char* chosen = getenv("SAVERSTUB_BENCH_DIR");
    fs::path base = chosen != nullptr && *chosen != '\0' ? fs::path(chosen) : fs::temp_directory_path();
    for (unsigned i = 0;; ++i) {
        fs::path candidate = base / ("saverstub-bench-" + std::to_string(unsigned(Seconds() * 1000) % 100000) + "-" +
                                     std::to_string(i));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            path_ = candidate.string();
            return;
        }
        if (i > 100)
            throw std::runtime_error("cannot create a scratch directory in " + base.string());
    }
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string ScratchDir::Path(const std::string& name) const
{
    return (fs::path(path_) / name).string();
}

namespace {

// Generates a saver's bytes piece by piece, the same bytes for the same kind.
class SaverSource {
public:
    explicit SaverSource(Content content) : content_(content) {}

    void Fill(unsigned char* out, size_t count)
    {
        if (content_ == Content::kIncompressible) {
            for (size_t i = 0; i < count; ++i) {
                state_ ^= state_ << 13;
                state_ ^= state_ >> 7;
                state_ ^= state_ << 17;
                out[i] = static_cast<unsigned char>(state_ >> 56);
            }
            return;
        }
        for (size_t i = 0; i < count;) {
            if (pendingAt_ == pendingLength_) {
                pendingLength_ = size_t(snprintf(pending_, sizeof pending_, "screen saver line %u\r\n", line_++));
                pendingAt_ = 0;
            }
            size_t n = pendingLength_ - pendingAt_ < count - i ? pendingLength_ - pendingAt_ : count - i;
            memcpy(out + i, pending_ + pendingAt_, n);
            pendingAt_ += n;
            i += n;
        }
    }

private:
    Content content_;
    uint64_t state_ = 0x9E3779B97F4A7C15ull;
    char pending_[48] = {};
    size_t pendingLength_ = 0;
    size_t pendingAt_ = 0;
    unsigned line_ = 0;
};

class OutputFile {
public:
    explicit OutputFile(const std::string& path) : path_(path), file_(fopen(path.c_str(), "wb"))
    {
        if (file_ == nullptr)
            throw std::runtime_error("cannot create " + path);
    }
    ~OutputFile()
    {
        if (file_ != nullptr)
            fclose(file_);
    }
    void Write(const void* data, size_t size)
    {
        if (fwrite(data, 1, size, file_) != size)
            throw std::runtime_error("cannot write " + path_);
        position_ += size;
    }
    void WriteAt(uint64_t offset, const void* data, size_t size)
    {
        if (fseek(file_, long(offset), SEEK_SET) != 0 || fwrite(data, 1, size, file_) != size ||
            fseek(file_, 0, SEEK_END) != 0)
            throw std::runtime_error("cannot write " + path_);
    }
    void Close()
    {
        int status = fclose(file_);
        file_ = nullptr;
        if (status != 0)
            throw std::runtime_error("cannot write " + path_);
    }
    uint64_t position() const { return position_; }

private:
    std::string path_;
    FILE* file_;
    uint64_t position_ = 0;
};

std::vector<unsigned char> DeflateSmall(const std::vector<unsigned char>& data)
{
    uLongf size = compressBound(uLong(data.size()));
    std::vector<unsigned char> out(size);
    if (compress2(out.data(), &size, data.data(), uLong(data.size()), 9) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

template <typename Record>
void WriteSmallChunk(OutputFile& file, uint32_t tag, const std::vector<unsigned char>& content)
{
    std::vector<unsigned char> stream = DeflateSmall(content);
    Record record;
    memset(&record, 0, sizeof record);
    record.dwTag = tag;
    record.dwLength = uint32_t(sizeof record + stream.size());
    file.Write(&record, sizeof record);
    file.Write(stream.data(), stream.size());
}

}  // namespace

Installer WriteInstaller(const std::string& path, uint64_t saverSize, Content content, int level)
{
    constexpr size_t kStubSize = 60000;
    constexpr size_t kPiece = 1 << 20;
    Installer result;
    result.path = path;
    result.saverSize = saverSize;
    OutputFile file(path);

    std::vector<unsigned char> stub(kStubSize);
    SaverSource(Content::kIncompressible).Fill(stub.data(), stub.size());
    file.Write(stub.data(), stub.size());

    InstHeader header;
    memset(&header, 0, sizeof header);
    header.dwTag = kTagHeader;
    header.dwLength = kHeaderRecordSize;
    header.crColour = 0x00805020;
    header.nTimeout = 10;
    snprintf(header.szTitle, sizeof header.szTitle, "Benchmark Saver");
    snprintf(header.szDescription, sizeof header.szDescription, "A saver of %llu bytes",
             static_cast<unsigned long long>(saverSize));
    uint32_t headerOffset = uint32_t(file.position());
    file.Write(&header, sizeof header);

    std::vector<unsigned char> small(4096);
    SaverSource(Content::kCompressible).Fill(small.data(), small.size());
    WriteSmallChunk<InstDoc>(file, kTagDocument, small);
    small.assign(16384, 0);
    SaverSource(Content::kIncompressible).Fill(small.data(), small.size());
    WriteSmallChunk<InstLogo>(file, kTagLogo, small);

    InstScr record;
    memset(&record, 0, sizeof record);
    record.dwTag = kTagSaver;
    snprintf(record.szFileName, sizeof record.szFileName, "BENCH.SCR");
    result.saverOffset = uint32_t(file.position());
    file.Write(&record, sizeof record);
    result.streamOffset = uint32_t(file.position());

    z_stream stream = {};
    if (deflateInit(&stream, level) != Z_OK)
        throw std::runtime_error("deflateInit failed");
    std::vector<unsigned char> input(kPiece), output(kPiece);
    SaverSource source(content);
    uint64_t left = saverSize;
    uint32_t crc = uint32_t(::crc32(0L, Z_NULL, 0));
    int flush = Z_NO_FLUSH;
    do {
        size_t n = left < kPiece ? size_t(left) : kPiece;
        source.Fill(input.data(), n);
        crc = uint32_t(::crc32(crc, input.data(), uInt(n)));
        left -= n;
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = input.data();
        stream.avail_in = uInt(n);
        do {
            stream.next_out = output.data();
            stream.avail_out = uInt(output.size());
            deflate(&stream, flush);
            file.Write(output.data(), output.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&stream);
    result.saverCrc = crc;
    result.streamSize = uint32_t(file.position() - result.streamOffset);
    uint32_t saverLength = kSaverRecordSize + result.streamSize;
    file.WriteAt(result.saverOffset + 4, &saverLength, 4);

    InstEnd trailer = MakeTrailer(uint32_t(file.position() + kTrailerSize), headerOffset, header,
                                  package::ComputeStubCheck(stub.data(), uint32_t(stub.size())));
    file.Write(&trailer, sizeof trailer);
    result.fileSize = file.position();
    file.Close();
    return result;
}

bool FileCrc(const std::string& path, uint32_t* crc, uint64_t* size)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::vector<unsigned char> buffer(1 << 20);
    uint32_t c = uint32_t(::crc32(0L, Z_NULL, 0));
    uint64_t total = 0;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), file)) != 0) {
        c = uint32_t(::crc32(c, buffer.data(), uInt(n)));
        total += n;
    }
    bool ok = !ferror(file);
    fclose(file);
    *crc = c;
    *size = total;
    return ok;
}

uint64_t PeakMemoryBytes()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters;
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize;
#else
    // The high-water mark of this program's own address space. ru_maxrss would
    // not do: it survives exec, so a child started by posix_spawn (which borrows
    // its parent's memory until exec) reports the parent's resident set.
    FILE* status = fopen("/proc/self/status", "r");
    if (status == nullptr)
        return 0;
    char line[256];
    unsigned long long kib = 0;
    while (fgets(line, sizeof line, status) != nullptr) {
        if (sscanf(line, "VmHWM: %llu kB", &kib) == 1)
            break;
    }
    fclose(status);
    return uint64_t(kib) * 1024;
#endif
}

int RunSelf(const std::vector<std::string>& args)
{
#ifdef _WIN32
    char self[MAX_PATH];
    if (GetModuleFileNameA(nullptr, self, MAX_PATH) == 0)
        return -1;
    std::string commandLine = std::string("\"") + self + "\"";
    for (const std::string& arg : args)
        commandLine += " \"" + arg + "\"";
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = DWORD(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return int(code);
#else
    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<char*> argv;
    argv.push_back(&self[0]);
    std::vector<std::string> copies(args);
    for (std::string& arg : copies)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    pid_t child;
    if (posix_spawn(&child, self.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
#endif
}

void RemoveFile(const std::string& path)
{
    std::error_code ignored;
    fs::remove(path, ignored);
}

void SyncFile(const std::string& path)
{
#ifdef _WIN32
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        FlushFileBuffers(file);
        CloseHandle(file);
    }
#else
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#endif
}

uint64_t FileSize(const std::string& path)
{
    std::error_code error;
    uint64_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

}  // namespace bench
