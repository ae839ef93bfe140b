// Import and export of the library's flat Tool_ functions.
#pragma once

#include <windows.h>

#ifdef OVSTOOLS2_BUILD
#define OVSTOOL_API __declspec(dllexport)
#else
#define OVSTOOL_API __declspec(dllimport)
#endif
