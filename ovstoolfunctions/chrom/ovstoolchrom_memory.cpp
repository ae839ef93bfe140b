// The library's block allocator on the process's task IMalloc, and the byte exchange of two areas.
#include "ovstoolchrom.h"
#include "task_memory.h"
#include "unique_resource.h"

#include <objbase.h>

#include <cstring>

void* Tool_ReallocMemory(void* pBlock, SIZE_T cbSize) {
    ovs::com_ptr<IMalloc> malloc;
    if (FAILED(CoGetMalloc(MEMCTX_TASK, malloc.put()))) {
        return nullptr;
    }
    if (pBlock == nullptr) {
        if (cbSize == 0 || ovs::TaskMemoryFailureDue()) {
            return nullptr;
        }
        void* block = malloc->Alloc(cbSize);
        if (block != nullptr) {
            std::memset(block, 0, cbSize);
        }
        return block;
    }
    if (cbSize == 0) {
        malloc->Free(pBlock);
        return nullptr;
    }
    const SIZE_T oldSize = malloc->GetSize(pBlock);
    if (ovs::TaskMemoryFailureDue()) {
        return nullptr;
    }
    BYTE* block = static_cast<BYTE*>(malloc->Realloc(pBlock, cbSize));
    if (block != nullptr && oldSize < cbSize) {
        std::memset(block + oldSize, 0, cbSize - oldSize);
    }
    return block;
}

void* Tool_AllocateMemory(SIZE_T cbSize) {
    return Tool_ReallocMemory(nullptr, cbSize);
}

void* Tool_ReleaseMemory(void* pBlock) {
    return Tool_ReallocMemory(pBlock, 0);
}

void Tool_swapmem(void* pFirst, void* pSecond, short nBytes) {
    if (nBytes <= 0 || pFirst == nullptr || pSecond == nullptr) {
        return;
    }
    BYTE* a = static_cast<BYTE*>(pFirst);
    BYTE* b = static_cast<BYTE*>(pSecond);
    for (short i = 0; i < nBytes; ++i) {
        a[i] ^= b[i];
        b[i] ^= a[i];
        a[i] ^= b[i];
    }
}
