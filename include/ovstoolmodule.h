// Module, language resource module, extension modules and platform version.
#pragma once

#include "ovstooldefs.h"
#include <afxstr.h>

// Loads "<language>_<base>.DLL" from the program folder when "UseSystemLanguage" is "Yes";
// S_OK whether or not one was loaded (*phModule null then); E_INVALIDARG for a null argument.
OVSTOOL_API HRESULT Tool_LoadLanguageDll(LPCSTR szBaseName, HINSTANCE* phModule, LPCSTR szRegistryRoot);
OVSTOOL_API void Tool_FreeLanguageDll(HINSTANCE hModule);
// The user's three-letter language abbreviation, such as ENU or DEU.
OVSTOOL_API void Tool_GetOVSLanguage(CString& strLanguage);
OVSTOOL_API HMODULE Tool_LoadExtendedDLL(LPCSTR szModuleFileName, LPCSTR szRegistryRoot);
OVSTOOL_API void Tool_SetMainWnd(HWND hWnd);

// Fills the 284-byte extended version record (its size field is set here).
OVSTOOL_API HRESULT Tool_GetOSVersion(OSVERSIONINFOEXW* pVersionInfo);
OVSTOOL_API BOOL Tool_IsWin10orLater(DWORD* pdwBuildNumber = nullptr);
OVSTOOL_API BOOL Tool_IsWin7orLater();
