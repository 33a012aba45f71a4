// zlib's inflate refers to its crc32 for gzip streams, which the stub never reads,
// and linking zlib's own would bring 7 KB of tables into every download. Ours
// computes the same function from the table the stub carries anyway.
#include "package/crc32.h"

#include <zlib.h>

extern "C" uLong ZEXPORT crc32(uLong crc, const Bytef* buf, uInt len)
{
    return package::crc32(uint32_t(crc), buf, len);
}
