#include "fuzz/expected_saver.h"

#include "package/package_format.h"

#include <string.h>
#include <zlib.h>

namespace fuzzsupport {

std::optional<Bytes> ExpectedSaver(const Bytes& installer, uint32_t offset)
{
    using namespace package;
    if (offset > installer.size() || installer.size() - offset < kSaverRecordSize)
        return std::nullopt;
    InstScr record;
    memcpy(&record, installer.data() + offset, sizeof record);
    if (record.dwTag != kTagSaver || record.dwLength < kSaverRecordSize)
        return std::nullopt;

    size_t start = size_t(offset) + kSaverRecordSize;
    size_t available = installer.size() - start;
    size_t compressed = record.dwLength - kSaverRecordSize;
    if (compressed > available)
        compressed = available;

    // One call over all the input at once: zlib's result does not depend on how
    // the input is split, so this is what the stub's 8192-byte steps must give.
    z_stream stream = {};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    stream.next_in = const_cast<Bytef*>(installer.data() + start);
    stream.avail_in = uInt(compressed);
    Bytes out;
    unsigned char buffer[65536];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = buffer;
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.insert(out.end(), buffer, buffer + (sizeof buffer - stream.avail_out));
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END)
        return std::nullopt;
    return out;
}

}  // namespace fuzzsupport
