// Movable global memory blocks: a handle owns a heap buffer that may move when
// resized, and remembers the size it was given.
#include "compat/win32_stand_in.h"

#include <stdlib.h>
#include <string.h>

namespace {

constexpr uint32_t kBlockMagic = 0x4B4C4247;  // "GBLK"

struct Block {
    uint32_t magic;
    unsigned locks;
    size_t size;
    unsigned char* data;
};

Block* FromHandle(HGLOBAL handle)
{
    Block* block = reinterpret_cast<Block*>(handle);
    return block != nullptr && block->magic == kBlockMagic ? block : nullptr;
}

compat::GlobalMemoryGate g_gate = nullptr;
size_t g_liveBlocks = 0;

bool Admitted(SIZE_T bytes)
{
    return g_gate == nullptr || g_gate(bytes);
}

}  // namespace

void compat::SetGlobalMemoryGate(GlobalMemoryGate gate)
{
    g_gate = gate;
}

size_t compat::LiveGlobalBlocks()
{
    return g_liveBlocks;
}

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes)
{
    if (!Admitted(bytes))
        return nullptr;
    Block* block = static_cast<Block*>(malloc(sizeof(Block)));
    if (block == nullptr)
        return nullptr;
    // malloc(0) may return NULL; keep one byte so a lock of an empty block works.
    block->data = static_cast<unsigned char*>(malloc(bytes != 0 ? bytes : 1));
    if (block->data == nullptr) {
        free(block);
        return nullptr;
    }
    if (flags & GMEM_ZEROINIT)
        memset(block->data, 0, bytes);
    block->magic = kBlockMagic;
    block->locks = 0;
    block->size = bytes;
    ++g_liveBlocks;
    return reinterpret_cast<HGLOBAL>(block);
}

HGLOBAL GlobalReAlloc(HGLOBAL handle, SIZE_T bytes, UINT flags)
{
    Block* block = FromHandle(handle);
    if (block == nullptr)
        return nullptr;
    // A locked block cannot move unless the caller allows it.
    if (block->locks != 0 && !(flags & GMEM_MOVEABLE))
        return nullptr;
    if (!Admitted(bytes))
        return nullptr;  // the old block stays valid, as on Windows
    unsigned char* data = static_cast<unsigned char*>(realloc(block->data, bytes != 0 ? bytes : 1));
    if (data == nullptr)
        return nullptr;  // the old block stays valid, as on Windows
    if ((flags & GMEM_ZEROINIT) && bytes > block->size)
        memset(data + block->size, 0, bytes - block->size);
    block->data = data;
    block->size = bytes;
    return handle;
}

LPVOID GlobalLock(HGLOBAL handle)
{
    Block* block = FromHandle(handle);
    if (block == nullptr)
        return nullptr;
    ++block->locks;
    return block->data;
}

BOOL GlobalUnlock(HGLOBAL handle)
{
    Block* block = FromHandle(handle);
    if (block == nullptr || block->locks == 0)
        return FALSE;
    return --block->locks != 0;
}

SIZE_T GlobalSize(HGLOBAL handle)
{
    Block* block = FromHandle(handle);
    return block != nullptr ? block->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL handle)
{
    Block* block = FromHandle(handle);
    if (block == nullptr)
        return handle;
    block->magic = 0;
    --g_liveBlocks;
    free(block->data);
    free(block);
    return nullptr;
}
