// File names that do not collide: scratch names in the process temporary folder, names stamped
// with the local date and time, and the next name of a numbered series.
#pragma once

#include "ovstooldefs.h"
#include <afxstr.h>

// A free name "<placeholder stem>-<process id>.<szExtension>" in the process temporary folder
// (a null szExtension gives no extension). FALSE when no name could be made, the retry limit
// ("GenTmpNameMaxCount" of the "File" key, default 10, 0 for none) was reached, or the name does
// not fit in szBuffer with its terminator.
OVSTOOL_API BOOL Tool_GenerateTempFileName(LPCSTR szPrefix, LPCSTR szExtension, LPSTR szBuffer,
                                           int nBufferSize);
// The number at the end of the text (at most its last nine digits), plus one when bIncrement, in
// its own width or, with bFixedWidth, in nDigits digits; a text without one gets 1 in nDigits.
OVSTOOL_API void Tool_IncreaseStringNumber(CString& strText, BOOL bIncrement, int nDigits, BOOL bFixedWidth);
// The same for the name part of a path; folder and extension stay.
OVSTOOL_API void Tool_IncreaseFilenameNumber(CString& strPath, BOOL bIncrement, int nDigits,
                                             BOOL bFixedWidth);
// The file name becomes "<szBaseName>_<nNumber><extension>" in the same folder.
OVSTOOL_API void Tool_FileNameInc(CString& strPath, LPCSTR szBaseName, short nNumber);
// "<szPrefix>_<short date><24-hour time>.<szExtension>" without invalid file-name characters, cut to
// the buffer; returns the number of characters placed.
OVSTOOL_API int Tool_MakeAutoFileName(LPCSTR szPrefix, LPCSTR szExtension, LPSTR szBuffer,
                                      DWORD dwBufferSize);
