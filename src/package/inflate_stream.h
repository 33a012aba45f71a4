// Inflation of one compressed stream of the package, read from the current
// position of an open file in steps of 8192 bytes, so no stream is ever held whole.
#pragma once

#include "compat/platform.h"

// Inflates *length compressed bytes from `file` into a new movable global block.
// On success returns the (unlocked) block, sized exactly to the output, and sets
// *length to the inflated size. Returns NULL on any failure, and for a stream that
// inflates to nothing. A stream that ends before zlib sees its end is a failure.
// The block doubles as output arrives, so loading stays linear in its size even
// where every resize moves it, and is cut to the exact size before it is returned.
// A stream that inflates to more than `limit` bytes is a failure too.
HGLOBAL UncompressDataFromDisk(HFILE file, DWORD* length, DWORD limit = 0xFFFFFFFFu);

// Inflates *length compressed bytes from `source` and writes the output to
// `destination` at its current position, gathered into writes of up to 256 KiB.
// Returns 1 and sets *length to the bytes written, or 0. A short write shows the
// "Ooops" box once. Bytes already written stay in the destination; removing it
// is the caller's business.
int UncompressDataToFile(HFILE destination, HFILE source, DWORD* length);
