// An owner for an open registry key, so that every path out of a function closes it.
#pragma once

#include <windows.h>

namespace actions {

class ScopedRegKey {
public:
    ScopedRegKey() = default;
    ~ScopedRegKey()
    {
        if (key_ != nullptr)
            RegCloseKey(key_);
    }
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;

    HKEY get() const { return key_; }
    // For the calls that open a key into a pointer; only while none is held.
    HKEY* receive() { return &key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace actions
