// Sha256 over Windows' CNG hash calls, for saverpack.exe: bcrypt.dll is part of
// every Windows since Vista, so the program still imports nothing but Windows' own.
#include "platform/sha256.h"

#include <windows.h>
#include <bcrypt.h>

namespace saverpack {

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = false;
};

Sha256::Sha256() : state_(new State)
{
    // With no buffer of ours for the hash object, CNG allocates it itself
    // (Windows 7 and later).
    NTSTATUS status = BCryptOpenAlgorithmProvider(&state_->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
    if (BCRYPT_SUCCESS(status))
        status = BCryptCreateHash(state_->algorithm, &state_->hash, nullptr, 0, nullptr, 0, 0);
    state_->ok = BCRYPT_SUCCESS(status);
}

Sha256::~Sha256()
{
    if (state_->hash != nullptr)
        BCryptDestroyHash(state_->hash);
    if (state_->algorithm != nullptr)
        BCryptCloseAlgorithmProvider(state_->algorithm, 0);
}

bool Sha256::Add(const void* data, size_t size)
{
    // BCryptHashData counts in ULONG, narrower than size_t in a 64-bit build.
    const UCHAR* bytes = static_cast<const UCHAR*>(data);
    while (state_->ok && size > 0) {
        ULONG piece = size > 0x40000000 ? 0x40000000 : ULONG(size);
        state_->ok = BCRYPT_SUCCESS(BCryptHashData(state_->hash, const_cast<UCHAR*>(bytes), piece, 0));
        bytes += piece;
        size -= piece;
    }
    return state_->ok;
}

bool Sha256::Finish(uint8_t digest[kSha256Size])
{
    state_->ok = state_->ok && BCRYPT_SUCCESS(BCryptFinishHash(state_->hash, digest, ULONG(kSha256Size), 0));
    return state_->ok;
}

}  // namespace saverpack
