// SHA-256 from the platform's own implementation: Windows' CNG (bcrypt.dll) in
// saverpack.exe, OpenSSL's libcrypto natively. A package manager checks every
// download against this digest; it has to be right, and the platforms' are
// reviewed and tested far beyond what a copy of our own would be.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <memory>

namespace saverpack {

constexpr size_t kSha256Size = 32;

// A digest fed in pieces. Once a call has failed, every later one fails too.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    bool Add(const void* data, size_t size);
    bool Finish(uint8_t digest[kSha256Size]);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace saverpack
