// File names derived from a data file or from a system number: the AIA (netCDF) and JCAMP-DX
// exports of a data file, the conversion of a file of the older system, a system's configuration
// file and its restore information; and the optional sample-registration program.
//
// The builders split the source path into folder, name and extension; the folder gets one "\" (a
// trail byte 0x5C of a double-byte character is no separator). When the caller asks not to
// overwrite and the name is taken, "~01" to "~99" goes before the extension; when all are taken
// the result is the name without extension. A null source gives an empty result.
#pragma once

#include "ovstooldefs.h"
#include "ovssampleregistration.h"

#include <afxstr.h>

// folder\name.CDF; a folder + name of 257 bytes or more is cut to 256 when the search runs.
OVSTOOL_API void Tool_GetAIAFileNameFromDataFileName(LPCSTR szDataFile, CString& strAiaFile, BOOL bOverwrite);
// folder\name_Ev<event>.CDF ("_Ev" only for an event above 1); folder + name cut to 244 bytes
// when it reaches 245.
OVSTOOL_API void Tool_GetAIAFileNameFromDataFileNameByEvent(LPCSTR szDataFile, CString& strAiaFile,
                                                            BOOL bOverwrite, short nEvent);
// folder\name_Seg<segment>Ev<event>.CDF, folder + name cut to 236 bytes when it reaches 237; a
// segment or event below 1 gives the plain name.
OVSTOOL_API void Tool_GetAIAFileNameFromDataFileNameSegEv(LPCSTR szDataFile, CString& strAiaFile,
                                                          BOOL bOverwrite, short nSegment, short nEvent);
// folder\name with ".CDF" (format 0), ".JDX" (format 1) or the source's own extension.
OVSTOOL_API void Tool_GetConvertFileNameFromDataFileName(LPCSTR szDataFile, CString& strOutFile,
                                                         BOOL bOverwrite, short nFormat);
// folder\name_<old extension> with the current document kind's extension for the old one (".LCD",
// ".LCM", ".GCD", ".GCM", ".JCM", ".LLB"; solution types 2 and 3 are the GC family). The free-name
// search runs only with bMakeUnique.
OVSTOOL_API void Tool_GetOVSsolutionFileNameFromOldSystemFileName(LPCSTR szOldFile, long nSolutionType,
                                                                  CString& strNewFile, BOOL bMakeUnique);

// <system folder>\<configuration file of the system> ("OVSSys<n>.cfg", "OVSSysSV<n>.cfg" when
// not configured). Both copy at most nBufferSize - 1 bytes of whole characters and terminate; a
// null buffer or a size below 1 is left untouched.
OVSTOOL_API void Tool_GetConfigFileName(BOOL bSvVariant, long nSystemNumber, LPSTR szBuffer,
                                        short nBufferSize);
// <work folder>\System<n>\Restore\Acquisition.ini; with bCreate the folder is made when missing.
OVSTOOL_API void Tool_GetRestoreAppInfoFileName(long nSystemNumber, LPSTR szBuffer, short nBufferSize,
                                                BOOL bCreate);

// The sample-registration program named by "SampleRegistrationProgram" (a class name), created in
// process, when the 0-ended rights list holds rights 1408 and 1500 (a null list holds none). The
// calling thread must have initialised COM. E_INVALIDARG for a null ppProgram; E_FAIL without the
// rights, without a configured program, or when its name is empty (*ppProgram stays null); the
// failure of the class lookup, the creation or the name request as it came; S_OK with the caller
// owning *ppProgram.
OVSTOOL_API HRESULT Tool_GetIOVSSampleRegistration(const DWORD* pRights, IOVSSampleRegistration** ppProgram);
