// The framework's growable array (MFC's CArray): elements are kept in one block that grows by a
// step; indexes outside the array throw CInvalidArgException.
#pragma once

#include "afxexcept.h"

#include <new>
#include <utility>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
public:
    CArray() = default;
    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;
    ~CArray() override { delete[] m_pData; }

    INT_PTR GetSize() const { return m_nSize; }
    INT_PTR GetCount() const { return m_nSize; }
    BOOL IsEmpty() const { return m_nSize == 0; }
    INT_PTR GetUpperBound() const { return m_nSize - 1; }

    // Sets the number of elements; new ones are value-initialised. nGrowBy -1 keeps the step.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1) {
        if (nNewSize < 0) {
            AfxThrowInvalidArgException();
        }
        if (nGrowBy >= 0) {
            m_nGrowBy = nGrowBy;
        }
        if (nNewSize == 0) {
            RemoveAll(); // shrinking to nothing frees the block
            return;
        }
        if (nNewSize > m_nMaxSize) {
            INT_PTR step = m_nGrowBy;
            if (step == 0) {
                // Default step: an eighth of the size, between 4 and 1024 elements.
                step = m_nSize / 8;
                step = step < 4 ? 4 : (step > 1024 ? 1024 : step);
            }
            const INT_PTR newMax = nNewSize < m_nMaxSize + step ? m_nMaxSize + step : nNewSize;
            TYPE* data = new (std::nothrow) TYPE[static_cast<size_t>(newMax)]();
            if (data == nullptr) {
                AfxThrowMemoryException();
            }
            for (INT_PTR i = 0; i < m_nSize; ++i) {
                data[i] = std::move(m_pData[i]);
            }
            delete[] m_pData;
            m_pData = data;
            m_nMaxSize = newMax;
        }
        for (INT_PTR i = nNewSize; i < m_nSize; ++i) {
            m_pData[i] = TYPE();
        }
        m_nSize = nNewSize;
    }

    void FreeExtra() {
        if (m_nSize == m_nMaxSize) {
            return;
        }
        TYPE* data = nullptr;
        if (m_nSize > 0) {
            data = new (std::nothrow) TYPE[static_cast<size_t>(m_nSize)]();
            if (data == nullptr) {
                AfxThrowMemoryException();
            }
            for (INT_PTR i = 0; i < m_nSize; ++i) {
                data[i] = std::move(m_pData[i]);
            }
        }
        delete[] m_pData;
        m_pData = data;
        m_nMaxSize = m_nSize;
    }

    void RemoveAll() {
        delete[] m_pData;
        m_pData = nullptr;
        m_nSize = 0;
        m_nMaxSize = 0;
    }

    const TYPE& GetAt(INT_PTR nIndex) const { return m_pData[CheckIndex(nIndex)]; }
    TYPE& GetAt(INT_PTR nIndex) { return m_pData[CheckIndex(nIndex)]; }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { m_pData[CheckIndex(nIndex)] = newElement; }
    TYPE& ElementAt(INT_PTR nIndex) { return m_pData[CheckIndex(nIndex)]; }
    const TYPE& ElementAt(INT_PTR nIndex) const { return m_pData[CheckIndex(nIndex)]; }
    const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }
    const TYPE* GetData() const { return m_pData; }
    TYPE* GetData() { return m_pData; }

    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement) {
        if (nIndex < 0) {
            AfxThrowInvalidArgException();
        }
        if (nIndex >= m_nSize) {
            TYPE copy(newElement); // newElement may live in the block that SetSize replaces
            SetSize(nIndex + 1);
            m_pData[nIndex] = std::move(copy);
        } else {
            m_pData[nIndex] = newElement;
        }
    }

    INT_PTR Add(ARG_TYPE newElement) {
        const INT_PTR index = m_nSize;
        SetAtGrow(index, newElement);
        return index;
    }

    INT_PTR Append(const CArray& src) {
        const INT_PTR oldSize = m_nSize;
        if (&src == this) {
            AfxThrowInvalidArgException();
        }
        SetSize(m_nSize + src.m_nSize);
        for (INT_PTR i = 0; i < src.m_nSize; ++i) {
            m_pData[oldSize + i] = src.m_pData[i];
        }
        return oldSize;
    }

    void Copy(const CArray& src) {
        if (&src != this) {
            SetSize(src.m_nSize);
            for (INT_PTR i = 0; i < src.m_nSize; ++i) {
                m_pData[i] = src.m_pData[i];
            }
        }
    }

    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1) {
        if (nIndex < 0 || nCount <= 0) {
            AfxThrowInvalidArgException();
        }
        TYPE copy(newElement);
        const INT_PTR oldSize = m_nSize;
        SetSize((nIndex >= oldSize ? nIndex : oldSize) + nCount);
        if (nIndex < oldSize) {
            for (INT_PTR i = oldSize - 1; i >= nIndex; --i) {
                m_pData[i + nCount] = std::move(m_pData[i]);
            }
        }
        for (INT_PTR i = 0; i < nCount; ++i) {
            m_pData[nIndex + i] = copy;
        }
    }

    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1) {
        if (nIndex < 0 || nCount < 0 || nIndex + nCount > m_nSize) {
            AfxThrowInvalidArgException();
        }
        for (INT_PTR i = nIndex; i + nCount < m_nSize; ++i) {
            m_pData[i] = std::move(m_pData[i + nCount]);
        }
        for (INT_PTR i = m_nSize - nCount; i < m_nSize; ++i) {
            m_pData[i] = TYPE();
        }
        m_nSize -= nCount;
    }

private:
    INT_PTR CheckIndex(INT_PTR nIndex) const {
        if (nIndex < 0 || nIndex >= m_nSize) {
            AfxThrowInvalidArgException();
        }
        return nIndex;
    }

    TYPE* m_pData = nullptr;
    INT_PTR m_nSize = 0;
    INT_PTR m_nMaxSize = 0;
    INT_PTR m_nGrowBy = 0;
};
