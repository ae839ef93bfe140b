// The framework's doubly linked list of untyped pointers (MFC's CPtrList). A POSITION names a node;
// null marks the end of a walk.
#pragma once

#include "afxexcept.h"

struct __POSITION {};
using POSITION = __POSITION*;

class AFX_API CPtrList : public CObject {
public:
    CPtrList() = default;
    CPtrList(const CPtrList&) = delete;
    CPtrList& operator=(const CPtrList&) = delete;
    ~CPtrList() override;

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    // The head and tail of an empty list throw CInvalidArgException.
    void*& GetHead();
    void*& GetTail();
    void* RemoveHead();
    void* RemoveTail();
    // Adding throws CMemoryException when no node can be allocated.
    POSITION AddHead(void* newElement);
    POSITION AddTail(void* newElement);
    void RemoveAll();

    POSITION GetHeadPosition() const { return reinterpret_cast<POSITION>(m_pNodeHead); }
    POSITION GetTailPosition() const { return reinterpret_cast<POSITION>(m_pNodeTail); }
    // The element at rPosition; rPosition moves to the next (previous) node, null after the last.
    void*& GetNext(POSITION& rPosition);
    void*& GetPrev(POSITION& rPosition);
    void*& GetAt(POSITION position);
    void SetAt(POSITION pos, void* newElement) { GetAt(pos) = newElement; }
    void RemoveAt(POSITION position);
    POSITION InsertBefore(POSITION position, void* newElement);
    POSITION InsertAfter(POSITION position, void* newElement);

    // The first node holding the value, searched after startAfter (from the head when null).
    POSITION Find(void* searchValue, POSITION startAfter = nullptr) const;
    // The node at a 0-based index, or null when out of range.
    POSITION FindIndex(INT_PTR nIndex) const;

private:
    struct CNode {
        CNode* pNext;
        CNode* pPrev;
        void* data;
    };

    static CNode* Node(POSITION position);
    CNode* NewNode(CNode* pPrev, CNode* pNext, void* data);

    CNode* m_pNodeHead = nullptr;
    CNode* m_pNodeTail = nullptr;
    INT_PTR m_nCount = 0;
};
