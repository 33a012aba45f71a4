// Tiny owners for the handles the package code opens, so that every path out of a
// function closes what it opened.
#pragma once

#include "compat/platform.h"

#include <zlib.h>

namespace package {

class ScopedFile {
public:
    explicit ScopedFile(HFILE file = HFILE_ERROR) : file_(file) {}
    ~ScopedFile() { Close(); }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;

    HFILE get() const { return file_; }
    bool valid() const { return file_ != HFILE_ERROR; }
    void Close()
    {
        if (file_ != HFILE_ERROR)
            _lclose(file_);
        file_ = HFILE_ERROR;
    }

private:
    HFILE file_;
};

// Locks a global block for the lifetime of the object; data() is null if the lock failed.
class ScopedGlobalLock {
public:
    explicit ScopedGlobalLock(HGLOBAL block) : block_(block), data_(block ? GlobalLock(block) : nullptr) {}
    ~ScopedGlobalLock()
    {
        if (data_ != nullptr)
            GlobalUnlock(block_);
    }
    ScopedGlobalLock(const ScopedGlobalLock&) = delete;
    ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;

    void* data() const { return data_; }

private:
    HGLOBAL block_;
    void* data_;
};

// A global block that is freed unless release() hands it on.
class ScopedGlobalBlock {
public:
    ScopedGlobalBlock() = default;
    ~ScopedGlobalBlock()
    {
        if (block_ != nullptr)
            GlobalFree(block_);
    }
    ScopedGlobalBlock(const ScopedGlobalBlock&) = delete;
    ScopedGlobalBlock& operator=(const ScopedGlobalBlock&) = delete;

    HGLOBAL get() const { return block_; }
    void reset(HGLOBAL block) { block_ = block; }  // after a GlobalReAlloc gave a new handle
    HGLOBAL release()
    {
        HGLOBAL block = block_;
        block_ = nullptr;
        return block;
    }

private:
    HGLOBAL block_ = nullptr;
};

// An inflater whose state is released with inflateEnd on every path.
class ScopedInflater {
public:
    ScopedInflater() = default;
    ~ScopedInflater()
    {
        if (initialised_)
            inflateEnd(&stream_);
    }
    ScopedInflater(const ScopedInflater&) = delete;
    ScopedInflater& operator=(const ScopedInflater&) = delete;

    bool Init()
    {
        initialised_ = inflateInit(&stream_) == Z_OK;
        return initialised_;
    }
    // Ends the stream now; false if zlib reports an inconsistent state.
    bool End()
    {
        initialised_ = false;
        return inflateEnd(&stream_) == Z_OK;
    }
    z_stream& stream() { return stream_; }

private:
    z_stream stream_ = {};  // zeroed: zlib's default allocator
    bool initialised_ = false;
};

}  // namespace package
