// The rights list and its task-memory block.
#include "ovsrights.h"
#include "ovstooldbgreport.h"
#include "chrom/task_memory.h"

#include <objbase.h>

#include <cstring>

namespace {

constexpr char kNoTaskMemory[] = "CoTaskMemAlloc(Realloc) returned NULL [%d bytes]";

// The block of a list that lost its copy for want of memory: it holds no right, so a failed copy
// never turns into a list that grants everything. Shared and never freed.
DWORD g_noRights[1] = {0};

size_t CountOf(const DWORD* pRights) noexcept {
    size_t count = 0;
    if (pRights != nullptr) {
        while (pRights[count] != 0) {
            ++count;
        }
    }
    return count;
}

void FreeBlock(DWORD* pRights) noexcept {
    if (pRights != g_noRights) {
        CoTaskMemFree(pRights);
    }
}

void ReportNoMemory(SIZE_T bytes) {
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_ERR, kNoTaskMemory, static_cast<int>(bytes));
}

// A task-memory copy of the 0-ended array (count + 1 entries), or the shared block without rights.
DWORD* CopyBlock(const DWORD* pRights) {
    const size_t count = CountOf(pRights);
    const SIZE_T bytes = ovs::TaskArrayBytes(count + 1, sizeof(DWORD));
    auto* copy = static_cast<DWORD*>(ovs::TaskAlloc(bytes));
    if (copy == nullptr) {
        ReportNoMemory(bytes);
        return g_noRights;
    }
    std::memcpy(copy, pRights, bytes);
    return copy;
}

} // namespace

CUserRights::CUserRights(const DWORD* pRights) {
    Assign(pRights);
}

CUserRights::CUserRights(const CUserRights& other) {
    Assign(other.m_pRights);
}

CUserRights::~CUserRights() {
    Clear();
}

CUserRights& CUserRights::operator=(const CUserRights& other) {
    if (this != &other) {
        Assign(other.m_pRights);
    }
    return *this;
}

CUserRights& CUserRights::operator=(const DWORD* pRights) {
    if (pRights != m_pRights) {
        Assign(pRights);
    }
    return *this;
}

void CUserRights::Assign(const DWORD* pRights) {
    DWORD* copy = pRights != nullptr ? CopyBlock(pRights) : nullptr;
    Clear();
    m_pRights = copy;
}

void CUserRights::Clear() noexcept {
    FreeBlock(m_pRights);
    m_pRights = nullptr;
}

DWORD CUserRights::HasRight(DWORD nRight) const noexcept {
    if (m_pRights == nullptr || nRight == 0) {
        return nRight;
    }
    for (const DWORD* p = m_pRights; *p != 0; ++p) {
        if (*p == nRight) {
            return nRight;
        }
    }
    return 0;
}

// Another list without block holds no number to look for, so it is taken as an empty list.
BOOL CUserRights::HasAnyRight(const CUserRights& other) const noexcept {
    if (m_pRights == nullptr) {
        return TRUE;
    }
    return HasAnyRight(other.m_pRights);
}

BOOL CUserRights::HasAnyRight(const DWORD* pRights) const noexcept {
    if (pRights == nullptr) {
        return FALSE;
    }
    for (const DWORD* p = pRights; *p != 0; ++p) {
        if (HasRight(*p) != 0) {
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CUserRights::HasAllRights(const CUserRights& other) const noexcept {
    if (m_pRights == nullptr) {
        return TRUE;
    }
    if (GetCount() < other.GetCount()) {
        return FALSE;
    }
    for (int i = 0; i < other.GetCount(); ++i) {
        if (HasRight(other.m_pRights[i]) == 0) {
            return FALSE;
        }
    }
    return TRUE;
}

// A list without block becomes the one-number list: it then grants that right alone.
BOOL CUserRights::AddRight(DWORD nRight) {
    if (nRight == 0) {
        return FALSE;
    }
    const size_t count = CountOf(m_pRights);
    const SIZE_T bytes = ovs::TaskArrayBytes(count + 2, sizeof(DWORD));
    const bool owned = m_pRights != nullptr && m_pRights != g_noRights;
    auto* grown = static_cast<DWORD*>(owned ? ovs::TaskRealloc(m_pRights, bytes) : ovs::TaskAlloc(bytes));
    if (grown == nullptr) {
        ReportNoMemory(bytes);
        return FALSE;
    }
    grown[count] = nRight;
    grown[count + 1] = 0;
    m_pRights = grown;
    return TRUE;
}

BOOL CUserRights::RemoveRight(DWORD nRight) noexcept {
    if (m_pRights == nullptr || nRight == 0) {
        return FALSE;
    }
    for (DWORD* p = m_pRights; *p != 0; ++p) {
        if (*p == nRight) {
            // The later entries and the 0 entry move up; the block keeps its size.
            std::memmove(p, p + 1, (CountOf(p + 1) + 1) * sizeof(DWORD));
            return TRUE;
        }
    }
    return FALSE;
}

void CUserRights::RemoveRights(const CUserRights& other) noexcept {
    RemoveRights(other.m_pRights);
}

void CUserRights::RemoveRights(const DWORD* pRights) noexcept {
    if (pRights == nullptr) {
        return;
    }
    if (pRights == m_pRights) {
        *m_pRights = 0; // the list's own numbers: all of them go
        return;
    }
    for (const DWORD* p = pRights; *p != 0; ++p) {
        RemoveRight(*p);
    }
}

int CUserRights::GetCount() const noexcept {
    return static_cast<int>(CountOf(m_pRights));
}

DWORD CUserRights::GetAt(int nIndex) const noexcept {
    return nIndex >= 0 && nIndex < GetCount() ? m_pRights[nIndex] : 0;
}
