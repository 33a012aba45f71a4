// What extraction must make of an installer file, worked out with zlib alone:
// the oracle that the corruption sweeps and the fuzz target hold WriteSaverFile to.
#pragma once

#include <stdint.h>
#include <optional>
#include <vector>

namespace fuzzsupport {

using Bytes = std::vector<uint8_t>;

// The saver that extraction from the chunk at `offset` of `installer` must write,
// or nothing when extraction must fail: the record must lie in the file, carry
// the "iscr" tag and a length of at least its own size, and the stream after it
// must reach zlib's end (Adler-32 verified) within its compressed length and the
// bytes the file still has.
std::optional<Bytes> ExpectedSaver(const Bytes& installer, uint32_t offset);

}  // namespace fuzzsupport
