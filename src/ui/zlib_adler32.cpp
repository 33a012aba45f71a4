// zlib's inflate checks every stream's Adler-32 with its adler32, whose object file
// (unrolled loops, adler32_combine) costs the stub 1.9 KB. Ours computes the same
// function in a few dozen bytes; the stub inflates a few megabytes at most, once.
#include <zlib.h>

extern "C" uLong ZEXPORT adler32(uLong adler, const Bytef* buf, uInt len)
{
    if (buf == nullptr)
        return 1;
    constexpr unsigned long kBase = 65521;  // the largest prime below 2^16
    // 5552 bytes is the longest run whose sums cannot overflow 32 bits before the
    // modulo (zlib's NMAX).
    constexpr uInt kLongestRun = 5552;
    unsigned long a = adler & 0xFFFF;
    unsigned long b = (adler >> 16) & 0xFFFF;
    while (len != 0) {
        uInt run = len < kLongestRun ? len : kLongestRun;
        len -= run;
        while (run-- != 0) {
            a += *buf++;
            b += a;
        }
        a %= kBase;
        b %= kBase;
    }
    return b << 16 | a;
}
