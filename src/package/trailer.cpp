#include "package/trailer.h"

#include "package/crc32.h"

#include <string.h>

namespace package {

InstEnd MakeTrailer(uint32_t packageEnd, uint32_t headerOffset, const InstHeader& header, uint32_t stubCheck)
{
    InstEnd trailer;
    memset(&trailer, 0, sizeof trailer);
    trailer.dwTag = kTagEnd;
    trailer.dwLength = kTrailerSize;
    trailer.dwHeaderDistance = (packageEnd - headerOffset) ^ kHeaderDistanceMask;
    trailer.dwHeaderCrc = crc32(0, &header, sizeof header) ^ kHeaderCrcMask;
    trailer.dwStubCheck = stubCheck;
    return trailer;
}

}  // namespace package
