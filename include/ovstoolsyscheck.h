// System check: where the result files of a system check live and how they are named, their
// extensions and file-dialog filters by kind of result, the composite string of a system check's
// expansion settings with its run-mode switch, and the system report file kept between the
// system's folder and a caller's document store.
#pragma once

#include "ovstooldefs.h"
#include <afxstr.h>

#include <string>
#include <utility>
#include <vector>

// One element of a composite string: "<NAME KEY=VALUE KEY=VALUE>". The name and the option keys
// are valid when, trimmed of blanks, they are non-empty and hold no blank, "=" or double quote;
// keys are unique within the element, compared exactly. A value is kept trimmed, an empty one as
// "" (two double quotes); a value with blanks carries its own double quotes.
class OVSTOOL_API CSysChkCompoStr {
public:
    CSysChkCompoStr() = default;
    // An invalid name leaves the element without name (it is then written as nothing).
    explicit CSysChkCompoStr(LPCSTR szName);

    static bool IsValidName(LPCSTR szName);

    const CString& GetName() const { return m_name; }
    // Replaces the name when it is valid.
    BOOL SetName(LPCSTR szName);

    // 0 when the key was added, 1 when an existing key's value was overwritten, -1 for an invalid key.
    int SetOption(LPCSTR szKey, LPCSTR szValue);
    // The value formatted with "%d".
    int SetOption(LPCSTR szKey, int nValue);
    // Index of the key, or -1.
    int FindOption(LPCSTR szKey) const;
    BOOL GetOption(LPCSTR szKey, CString& strValue) const;
    BOOL RemoveOption(LPCSTR szKey);
    int GetOptionCount() const { return static_cast<int>(m_options.size()); }
    CString GetOptionKey(int nIndex) const;
    CString GetOptionValue(int nIndex) const;

    // Takes "<...>" apart (blanks around it allowed); FALSE, with the element unchanged, when the
    // text is not an element or its name is invalid.
    BOOL Parse(LPCSTR szElement);
    // "<NAME K=V K=V>", "<NAME >" without options, nothing without a name.
    CString GetString() const;

private:
    CString m_name;
    std::vector<std::pair<CString, CString>> m_options;
};

// A composite string: an ordered list of elements with unique, exactly compared names.
class OVSTOOL_API CSysChkString {
public:
    // Replaces the list by the elements of the text; returns how many elements parsed (an element
    // whose name came before counts again and overwrites it). Text outside elements is ignored.
    int Parse(LPCSTR szText);
    // Index of the element, or -1.
    int Find(LPCSTR szName) const;
    BOOL Remove(LPCSTR szName);
    // Overwrites an element of the same name in its place, or appends.
    void Add(const CSysChkCompoStr& element);
    void RemoveAll() { m_elements.clear(); }
    int GetCount() const { return static_cast<int>(m_elements.size()); }
    // The element at the index; null outside the list.
    const CSysChkCompoStr* GetAt(int nIndex) const;
    CSysChkCompoStr* GetAt(int nIndex);
    // The elements' texts one after the other.
    CString GetString() const;

private:
    std::vector<CSysChkCompoStr> m_elements;
};

// Result kinds 0 to 3: kinds 0 and 1 share one extension, print extension and file filter, kinds 2
// and 3 another. Any other kind gives an empty text (and paths that end in ".").
OVSTOOL_API void Tool_MakeSystemCheckFileExt(int nKind, CString& strExt);
OVSTOOL_API void Tool_MakeSystemCheckFileExtForPrint(int nKind, CString& strExt);
OVSTOOL_API void Tool_MakeSystemCheckFileFilter(int nKind, CString& strFilter);

// Creates <Log SysChk Path>\<system> with every missing parent. The second argument is not used.
OVSTOOL_API void Tool_MakeSystemCheckFolder(int nSystem, int nUnused);
// Full paths below "Log SysChk Path": <system>\SysChk<system>_<yyyymmddhhmmss>.<extension> with
// the local time of the call, <system>\SysChk<system>_Latest.<extension>, and the latest name with
// the print extension.
OVSTOOL_API void Tool_MakeSystemCheckFilePathName(int nSystem, int nKind, CString& strPath);
OVSTOOL_API void Tool_MakeSystemCheckLatestFilePathName(int nSystem, int nKind, CString& strPath);
OVSTOOL_API void Tool_MakeSystemCheckDataFilePathNameForPrint(int nSystem, int nKind, CString& strPath);

struct IOVSUserManagement;

// The run-mode switch of a composite text: the element <RUNMODE OPTION=1> is added when the user
// lacks right 1706 and removed when the user has it; the text is rewritten only when it changed.
// E_INVALIDARG for a null interface or changed pointer; the failure of the rights query is returned
// as it came, with text and changed untouched.
OVSTOOL_API HRESULT Tool_SetSystemCheckExpansionRunMode(CString& strText, BOOL* pbChanged,
                                                        IOVSUserManagement* pIOVSUserManagement);
// Removes the RUNMODE element and rewrites the text; FALSE, text untouched, when it has none.
OVSTOOL_API BOOL Tool_ResetSystemCheckExpansionRunMode(CString& strText);

struct IOVSDocumentStore;

// The system report file of the document store: the cache path is
// <Sys Path>\<system>\<store folder>\<file name of strPath>. With bFetch the store's copy (category 6,
// identifier 0x143001) is written there; when the cache file is still missing, strPath is copied to
// it. strPath then names the cache file; it is emptied when the store cannot name its folder. A null
// store does nothing.
OVSTOOL_API void Tool_GetSystemReport(IOVSDocumentStore* pStore, CString& strPath, BOOL bFetch, int nSystem);
// Hands the whole file to the store under category 6, identifier 0x143001 and its file name; an
// unreadable file is not handed over.
OVSTOOL_API void Tool_SetSystemReport(IOVSDocumentStore* pStore, LPCSTR szPath);
