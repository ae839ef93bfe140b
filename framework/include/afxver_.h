// Export and import of the framework DLL's classes and functions.
#pragma once

#ifdef OVS_FRAMEWORK_BUILD
#define AFX_API __declspec(dllexport)
#else
#define AFX_API __declspec(dllimport)
#endif
