// The framework's arrays of text strings, of 16-bit numbers and of object pointers.
#pragma once

#include "afxstr.h"
#include "afxtempl.h"

class CStringArray : public CArray<CString, const CString&> {
public:
    using CArray::Add;
    INT_PTR Add(LPCSTR newElement) { return CArray::Add(CString(newElement)); }
};

class CWordArray : public CArray<WORD, WORD> {};

// Holds the pointers only: whoever fills it deletes the objects.
class CObArray : public CArray<CObject*, CObject*> {};
