// The rights of a user as a list of right numbers: one block of 32-bit numbers in COM task memory,
// ended by a 0 entry (0 is never a right). A list that holds no block grants every right; a list
// whose block holds only the 0 entry grants none.
#pragma once

#include "ovstooldefs.h"

class OVSTOOL_API CUserRights {
public:
    // No block: every right is granted.
    CUserRights() noexcept = default;
    // A copy of the 0-ended array (a null array gives no block).
    explicit CUserRights(const DWORD* pRights);
    CUserRights(const CUserRights& other);
    ~CUserRights();
    CUserRights& operator=(const CUserRights& other);
    CUserRights& operator=(const DWORD* pRights);

    // Frees the block: the list then grants every right again.
    void Clear() noexcept;
    bool HasBlock() const noexcept { return m_pRights != nullptr; }

    // nRight when it is held (every non-zero number without block), else 0.
    DWORD HasRight(DWORD nRight) const noexcept;
    BOOL HasAnyRight(const CUserRights& other) const noexcept;
    BOOL HasAnyRight(const DWORD* pRights) const noexcept;
    BOOL HasAllRights(const CUserRights& other) const noexcept;

    // Appends the number (0 is refused); FALSE, with the list unchanged, when no block can be had.
    BOOL AddRight(DWORD nRight);
    // Removes the first occurrence; FALSE when the number is not in the list.
    BOOL RemoveRight(DWORD nRight) noexcept;
    // Removes every number of the other list or 0-ended array (each as often as it occurs there).
    void RemoveRights(const CUserRights& other) noexcept;
    void RemoveRights(const DWORD* pRights) noexcept;

    // Numbers before the 0 entry (0 without block).
    int GetCount() const noexcept;
    // The number at the index, 0 outside the list.
    DWORD GetAt(int nIndex) const noexcept;
    // The 0-ended block, or null.
    const DWORD* GetData() const noexcept { return m_pRights; }

private:
    void Assign(const DWORD* pRights);

    DWORD* m_pRights = nullptr;
};
