#include "afxlist.h"

#include <new>

CPtrList::~CPtrList() {
    RemoveAll();
}

CPtrList::CNode* CPtrList::Node(POSITION position) {
    if (position == nullptr) {
        AfxThrowInvalidArgException();
    }
    return reinterpret_cast<CNode*>(position);
}

CPtrList::CNode* CPtrList::NewNode(CNode* pPrev, CNode* pNext, void* data) {
    CNode* node = new (std::nothrow) CNode{pNext, pPrev, data};
    if (node == nullptr) {
        AfxThrowMemoryException();
    }
    (pPrev != nullptr ? pPrev->pNext : m_pNodeHead) = node;
    (pNext != nullptr ? pNext->pPrev : m_pNodeTail) = node;
    ++m_nCount;
    return node;
}

void*& CPtrList::GetHead() {
    return Node(GetHeadPosition())->data;
}

void*& CPtrList::GetTail() {
    return Node(GetTailPosition())->data;
}

void* CPtrList::RemoveHead() {
    void* data = GetHead();
    RemoveAt(GetHeadPosition());
    return data;
}

void* CPtrList::RemoveTail() {
    void* data = GetTail();
    RemoveAt(GetTailPosition());
    return data;
}

POSITION CPtrList::AddHead(void* newElement) {
    return reinterpret_cast<POSITION>(NewNode(nullptr, m_pNodeHead, newElement));
}

POSITION CPtrList::AddTail(void* newElement) {
    return reinterpret_cast<POSITION>(NewNode(m_pNodeTail, nullptr, newElement));
}

void CPtrList::RemoveAll() {
    while (m_pNodeHead != nullptr) {
        CNode* next = m_pNodeHead->pNext;
        delete m_pNodeHead;
        m_pNodeHead = next;
    }
    m_pNodeTail = nullptr;
    m_nCount = 0;
}

void*& CPtrList::GetNext(POSITION& rPosition) {
    CNode* node = Node(rPosition);
    rPosition = reinterpret_cast<POSITION>(node->pNext);
    return node->data;
}

void*& CPtrList::GetPrev(POSITION& rPosition) {
    CNode* node = Node(rPosition);
    rPosition = reinterpret_cast<POSITION>(node->pPrev);
    return node->data;
}

void*& CPtrList::GetAt(POSITION position) {
    return Node(position)->data;
}

void CPtrList::RemoveAt(POSITION position) {
    CNode* node = Node(position);
    (node->pPrev != nullptr ? node->pPrev->pNext : m_pNodeHead) = node->pNext;
    (node->pNext != nullptr ? node->pNext->pPrev : m_pNodeTail) = node->pPrev;
    delete node;
    --m_nCount;
}

POSITION CPtrList::InsertBefore(POSITION position, void* newElement) {
    if (position == nullptr) {
        return AddHead(newElement);
    }
    CNode* node = Node(position);
    return reinterpret_cast<POSITION>(NewNode(node->pPrev, node, newElement));
}

POSITION CPtrList::InsertAfter(POSITION position, void* newElement) {
    if (position == nullptr) {
        return AddTail(newElement);
    }
    CNode* node = Node(position);
    return reinterpret_cast<POSITION>(NewNode(node, node->pNext, newElement));
}

POSITION CPtrList::Find(void* searchValue, POSITION startAfter) const {
    const CNode* node = startAfter == nullptr ? m_pNodeHead : reinterpret_cast<CNode*>(startAfter)->pNext;
    for (; node != nullptr; node = node->pNext) {
        if (node->data == searchValue) {
            return reinterpret_cast<POSITION>(const_cast<CNode*>(node));
        }
    }
    return nullptr;
}

POSITION CPtrList::FindIndex(INT_PTR nIndex) const {
    if (nIndex < 0 || nIndex >= m_nCount) {
        return nullptr;
    }
    CNode* node = m_pNodeHead;
    while (nIndex-- > 0) {
        node = node->pNext;
    }
    return reinterpret_cast<POSITION>(node);
}
