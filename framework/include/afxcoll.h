// The framework's arrays of text strings and of 16-bit numbers.
#pragma once

#include "afxstr.h"
#include "afxtempl.h"

class CStringArray : public CArray<CString, const CString&> {
public:
    using CArray::Add;
    INT_PTR Add(LPCSTR newElement) { return CArray::Add(CString(newElement)); }
};

class CWordArray : public CArray<WORD, WORD> {};
