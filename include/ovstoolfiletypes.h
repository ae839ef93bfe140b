// The system's document kinds: the file type table, classification of files on disk, method
// mismatch, compound-file creation, electronic signatures and system numbers.
#pragma once

#include "ovstooldefs.h"

#include <afx.h>
#include "ovsdocumentobjects.h"

// The category of a file type code (its high byte).
#define OVS_FILETYPE_CATEGORY_MASK 0xFF000000
// Classification: a file of a category that must be a compound document with file properties is not.
#define OVS_E_NOT_DOCUMENT_FILE ((HRESULT)0x8004031AL)

// Copies the extension text (without period) of the code, cut to maxChars characters, with its
// terminator (the buffer holds maxChars + 1 bytes); returns its length, 0 when the code is unknown.
OVSTOOL_API int Tool_GetFileExtension(long nFileType, LPSTR szBuffer, int nMaxChars);
// The code of the first table row whose extension (without period) equals szExtension without
// case; 0 when none.
OVSTOOL_API long Tool_GetFileType(LPCSTR szExtension);
// The document class of a category (code & OVS_FILETYPE_CATEGORY_MASK); null for other values.
OVSTOOL_API const CLSID* Tool_GetCLSIDFromFileType(long nCategory);
OVSTOOL_API long Tool_FileTypeToSolutionType(long nFileType);
// "LC", "GC", ... (exact); -1 for other names.
OVSTOOL_API long Tool_InstrumentTypeToSolutionType(LPCSTR szInstrumentType);
// 0 for an LC application, 1 for a GC application, else 0.
OVSTOOL_API int Tool_GetFileExtensionType();
// The file filter type that Tool_SetAppSolutionType chose: 0, 1 or 2.
OVSTOOL_API int Tool_GetFileFilterType();
// Classifies the file into a file kind (always written; 16 when not recognised); S_FALSE when the
// kind was recognised, OVS_E_NOT_DOCUMENT_FILE when a document of its category is no document.
OVSTOOL_API HRESULT Tool_CheckFileType(LPCSTR szPath, int* pnKind);
// Whether a file of one solution type does not suit an application of another.
OVSTOOL_API BOOL Tool_IsMethodFileMismatch(long nAppSolutionType, long nFileSolutionType);
// The same for a method file, by its extension.
OVSTOOL_API BOOL Tool_IsMethodFileMismatch(long nAppSolutionType, LPCSTR szPath);
// Creates a compound file in the configured format ("DocFileVersion", "DocFileSectorSize").
OVSTOOL_API HRESULT Tool_StgCreateDocfile(LPCWSTR szName, DWORD dwMode, DWORD dwReserved,
                                          IStorage** ppStorage);
// Writes an electronic signature into the document: a number, 32 bytes, 8 bytes, a text and a number.
OVSTOOL_API HRESULT Tool_SetSignature(LPCSTR szPath, long nValue1, const BYTE* pValue2, const BYTE* pValue3,
                                      LPCSTR szValue4, long nValue5);
// Whether the path lies in the system folder.
OVSTOOL_API BOOL Tool_IsOVSSystemFile(LPCSTR szPath);
// The number formed by the text's trailing decimal digits; 0 when there are none (or too many).
OVSTOOL_API int Tool_GetSystemID(LPCSTR szText);
// The system number stored in a data file (a stored 0 gives 1 and S_FALSE).
OVSTOOL_API HRESULT Tool_RetrieveSystemIDFromDataFile(LPCSTR szPath, long* pnSystemNumber);
OVSTOOL_API HRESULT Tool_RetrieveSystemIDFromFileObject(IOVSDataFileDocument* pDocument,
                                                        long* pnSystemNumber);
// Whether the object's class, or one of its bases, has the class name of pClass.
OVSTOOL_API BOOL Tool_ClassIsKindOf(const CObject* pObject, const CRuntimeClass* pClass);
