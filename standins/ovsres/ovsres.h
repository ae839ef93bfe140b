// The resource text module: texts that users see in their own language, by number.
#pragma once

#include <afx.h>
#include <windows.h>

#ifdef OVSRES_BUILD
#define OVSRES_API __declspec(dllexport)
#else
#define OVSRES_API __declspec(dllimport)
#endif

// Sets text to the text of number id in the user's language: Japanese when the user's default UI
// language is Japanese, else English; a number the Japanese table lacks falls back to English. The
// text is in the process code page. Returns its length in bytes; an unknown number empties text and
// returns 0. The option is accepted for every caller's sake and never changes the text.
OVSRES_API int RES_LoadString(UINT id, CString& text, UINT option);

// For tests: makes RES_LoadString answer id with text (process code page) in this process, whatever
// the language; a null text removes the override.
OVSRES_API void RES_SetStringOverride(UINT id, LPCSTR text);
