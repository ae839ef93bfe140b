// Paths: splitting into folder, name and extension, composing, checking, shortening for display,
// creating and emptying folders, free disk space, and the five current folders of the process.
// Texts are narrow, in the process code page; scans step over double-byte characters as wholes.
// An ordinary path of MAX_PATH (260) bytes or more, or one that is not text of the process code
// page, is refused by the splitting functions in the way each of them states.
#pragma once

#include "ovstooldefs.h"
#include <afxstr.h>

// Results of Tool_CheckFilePathName.
#define OVS_E_NO_FILE_NAME ((HRESULT)0x800403B8L)
#define OVS_E_INVALID_FILE_NAME_CHAR ((HRESULT)0x80040322L)
#define OVS_E_FOLDER_NOT_FOUND ((HRESULT)0x80040331L)

// "[" first, a "]", and "\" right after the first "]": a path behind an information block.
OVSTOOL_API BOOL Tool_IsLogicalPath(LPCSTR szPath);

// Folder (no trailing separator except for a bare root such as C:\), stem and extension (with its
// period). A logical path keeps the trailing "\" of its folder. A refused path empties all three.
OVSTOOL_API void Tool_SplitFullPath(LPCSTR szPath, CString& strDir, CString& strName, CString& strExt);
OVSTOOL_API void Tool_SplitPath(LPCSTR szPath, CString& strDir, CString& strFileName);
OVSTOOL_API void Tool_GetPathNameFromFullPath(LPCSTR szPath, CString& strDir);
OVSTOOL_API void Tool_GetFileNameFromFullPath(LPCSTR szPath, CString& strFileName);
OVSTOOL_API void Tool_GetFileNameWithoutExtensionFromFullPath(LPCSTR szPath, CString& strName);
OVSTOOL_API void Tool_GetExtensionFromFullPath(LPCSTR szPath, CString& strExt);
// C: for C:\Data, \\server for \\server\share\x, empty for Data\x; untouched for a logical or a
// refused path.
OVSTOOL_API void Tool_GetRootName(LPCSTR szPath, CString& strRoot);

// Replaces (or, with a null or empty szExt, removes) the extension in place; a refused path, or
// one that names a folder (ends in a separator), stays unchanged.
OVSTOOL_API void Tool_ReplaceExtension(CString& strPath, LPCSTR szExt);
// The path's file name replaced by szNewName; a bare file name is replaced whole. A refused path
// or a result of MAX_PATH bytes or more gives an empty result.
OVSTOOL_API void Tool_ReplaceFileName(LPCSTR szPath, LPCSTR szNewName, CString& strResult);
// Folder + "\" + name, cut to 259 characters keeping the extension. A folder of more than 259 or a
// name of more than 255 characters, or text that does not convert, gives an empty result.
OVSTOOL_API void Tool_MakePath(CString& strResult, LPCSTR szDir, LPCSTR szName);

// Creates the folder and every missing parent: 0, or -1 on failure (a folder path of MAX_PATH
// bytes or more, a part that cannot be created or that exists as a file).
OVSTOOL_API short Tool_MakeDirectories(LPCSTR szDir);

// "..." followed by the shortest tail from a "\" that fits in nMaxLength; returns the length of
// the result. The "..." is not counted against nMaxLength.
OVSTOOL_API short Tool_GetAbbreviatePathName(LPCSTR szPath, CString& strResult, int nMaxLength);

// False for the nine characters \ / : * ? < > | and the double quote.
OVSTOOL_API BOOL Tool_IsValidFilenameChar(char ch);
OVSTOOL_API BOOL Tool_IsValidFilename(LPCSTR szName);
// S_OK, or one of the OVS_E_ codes above (no file name, invalid character, missing folder).
OVSTOOL_API HRESULT Tool_CheckFilePathName(LPCSTR szPath);
// TRUE when shorter than 260 bytes / shorter than 190 bytes.
OVSTOOL_API BOOL Tool_CheckFullFilePathLengthFL(const CString& strPath);
OVSTOOL_API BOOL Tool_CheckFileNameIncludingExtensionLengthFL(const CString& strName);
// Every invalid character replaced by chReplacement; "\" everywhere and ":" in the drive part
// (up to the first ":\") are kept. A logical path is returned unchanged.
OVSTOOL_API CString Tool_ConvertInvalidCharInLocalPath(const CString& strPath, char chReplacement);
// The first two bytes are "\\".
OVSTOOL_API BOOL Tool_IsNetDrive(CString strPath);

// Deletes every file (read-only ones too) and subfolder of szDir, and szDir itself when
// bRemoveDir is TRUE. A folder that cannot be made current is left alone.
OVSTOOL_API void Tool_DeleteDirectoryFiles(LPCSTR szDir, BOOL bRemoveDir);
// Any of the three out-pointers may be null.
OVSTOOL_API BOOL Tool_GetDiskFreeSpaceEx(LPCSTR szDir, PULARGE_INTEGER pFreeToCaller, PULARGE_INTEGER pTotal,
                                         PULARGE_INTEGER pFree);

// Five process-wide folder slots, empty at start, never stored. Each returns 0. A text of MAX_PATH
// bytes or more is refused and leaves the slot as it was.
OVSTOOL_API int Tool_GetCurrentPathData(CString& strPath);
OVSTOOL_API int Tool_GetCurrentPathMethod(CString& strPath);
OVSTOOL_API int Tool_GetCurrentPathBatch(CString& strPath);
OVSTOOL_API int Tool_GetCurrentPathReport(CString& strPath);
OVSTOOL_API int Tool_GetCurrentPathOptimization(CString& strPath);
OVSTOOL_API int Tool_SetCurrentPathData(LPCSTR szPath);
OVSTOOL_API int Tool_SetCurrentPathMethod(LPCSTR szPath);
OVSTOOL_API int Tool_SetCurrentPathBatch(LPCSTR szPath);
OVSTOOL_API int Tool_SetCurrentPathReport(LPCSTR szPath);
OVSTOOL_API int Tool_SetCurrentPathOptimization(LPCSTR szPath);
