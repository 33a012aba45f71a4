#include "package/inflate_stream.h"

#include "package/installer_state.h"
#include "package/package_format.h"
#include "package/scoped_handles.h"

#include <stdlib.h>
#include <string.h>

namespace {

using package::kStreamStepBytes;

// The loop both adapters share: read at most kStreamStepBytes of input at a time,
// inflate into a kStreamStepBytes buffer, hand each step's output to `deliver`.
// Succeeds only when zlib reports the stream's end (its Adler-32 verified); input
// that runs out first is a truncated stream, never a complete one.
template <typename Deliver>
bool InflateStream(HFILE source, DWORD compressed, DWORD* total, Deliver deliver)
{
    package::ScopedInflater inflater;
    if (!inflater.Init())
        return false;
    z_stream& stream = inflater.stream();

    unsigned char input[kStreamStepBytes];
    unsigned char output[kStreamStepBytes];
    DWORD remaining = compressed;
    DWORD produced = 0;

    for (;;) {
        if (stream.avail_in == 0 && remaining != 0) {
            UINT want = remaining < kStreamStepBytes ? UINT(remaining) : UINT(kStreamStepBytes);
            UINT got = _lread(source, input, want);
            if (got == 0 || got == UINT(HFILE_ERROR) || got > want)
                return false;
            remaining -= got;
            stream.next_in = input;
            stream.avail_in = got;
        }
        stream.next_out = output;
        stream.avail_out = kStreamStepBytes;
        // With no input left zlib returns Z_BUF_ERROR unless it still has output
        // pending, so a stream cut short ends here as a failure, never as a loop.
        int result = inflate(&stream, Z_PARTIAL_FLUSH);
        DWORD n = kStreamStepBytes - stream.avail_out;
        if (n != 0) {
            if (produced + n < produced)
                return false;  // more than 4 GiB of output cannot be described
            if (!deliver(output, n, produced))
                return false;
            produced += n;
        }
        if (result == Z_STREAM_END)
            break;
        if (result != Z_OK)
            return false;
    }
    if (!inflater.End())
        return false;
    *total = produced;
    return true;
}

}  // namespace

namespace {

constexpr UINT kBlockFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;

// The block's next capacity when `needed` bytes must fit: double what it has, so
// that a block that moves on every resize (Wine's do, and Windows' may) is copied
// a logarithmic number of times, not once per step; never beyond 32 bits.
DWORD GrownCapacity(DWORD capacity, DWORD needed)
{
    DWORD doubled = capacity <= 0x7FFFFFFFu ? capacity * 2 : 0xFFFFFFFFu;
    return doubled > needed ? doubled : needed;
}

}  // namespace

HGLOBAL UncompressDataFromDisk(HFILE file, DWORD* length, DWORD limit)
{
    package::ScopedGlobalBlock block;
    DWORD capacity = 0;
    auto append = [&block, &capacity, limit](const unsigned char* bytes, DWORD n, DWORD offset) {
        DWORD needed = offset + n;  // InflateStream never lets the total wrap
        if (needed > limit)
            return false;
        if (needed > capacity) {
            DWORD grown = block.get() == nullptr ? n : GrownCapacity(capacity, needed);
            HGLOBAL resized = block.get() == nullptr ? GlobalAlloc(kBlockFlags, grown)
                                                     : GlobalReAlloc(block.get(), grown, kBlockFlags);
            if (resized == nullptr)
                return false;  // the old block is still valid and still ours
            block.reset(resized);
            capacity = grown;
        }
        package::ScopedGlobalLock lock(block.get());
        if (lock.data() == nullptr)
            return false;
        memcpy(static_cast<unsigned char*>(lock.data()) + offset, bytes, n);
        return true;
    };
    DWORD total = 0;
    if (!InflateStream(file, *length, &total, append))
        return nullptr;
    if (total == 0)
        return nullptr;
    // The caller is promised a block of exactly the inflated size.
    if (capacity != total) {
        HGLOBAL exact = GlobalReAlloc(block.get(), total, kBlockFlags);
        if (exact == nullptr)
            return nullptr;
        block.reset(exact);
    }
    *length = total;
    return block.release();
}

namespace {

// Inflation runs in 8192-byte steps, but a write per step costs a system call
// each and halves the speed on a real disk: the output is gathered and written
// in pieces of kWriteBytes. Memory stays bounded whatever the saver's size.
class BufferedWriter {
public:
    explicit BufferedWriter(HFILE destination)
        : destination_(destination), buffer_(static_cast<unsigned char*>(malloc(kWriteBytes)))
    {
    }
    ~BufferedWriter() { free(buffer_); }
    BufferedWriter(const BufferedWriter&) = delete;
    BufferedWriter& operator=(const BufferedWriter&) = delete;

    bool Append(const unsigned char* bytes, DWORD n)
    {
        if (buffer_ == nullptr)
            return Write(bytes, UINT(n));  // no memory to gather in: write each step
        if (used_ + n > kWriteBytes && !Flush())
            return false;
        memcpy(buffer_ + used_, bytes, n);
        used_ += n;
        return true;
    }
    bool Flush()
    {
        UINT n = used_;
        used_ = 0;
        return n == 0 || Write(buffer_, n);
    }

private:
    static constexpr UINT kWriteBytes = 256 * 1024;

    // A short write shows the "Ooops" box (unless the run is silent) and fails;
    // the caller stops at once, so the box is shown once.
    bool Write(const unsigned char* bytes, UINT n)
    {
        if (_lwrite(destination_, reinterpret_cast<LPCCH>(bytes), n) == n)
            return true;
        if (!silentRun)
            MessageBoxA(nullptr, "Ooops", "Yo...", MB_OK);
        return false;
    }

    HFILE destination_;
    unsigned char* buffer_;
    UINT used_ = 0;
};

}  // namespace

int UncompressDataToFile(HFILE destination, HFILE source, DWORD* length)
{
    BufferedWriter writer(destination);
    auto write = [&writer](const unsigned char* bytes, DWORD n, DWORD) { return writer.Append(bytes, n); };
    DWORD total = 0;
    if (!InflateStream(source, *length, &total, write) || !writer.Flush())
        return 0;
    *length = total;
    return 1;
}
