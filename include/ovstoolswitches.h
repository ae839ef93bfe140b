// Feature switches and display settings that tell host applications how to behave.
#pragma once

#include "ovsdocumentobjects.h"
#include "ovstooldefs.h"

#include <afxstr.h>

class CFont;
class CDC;

// 6914 when "3DViewDrawMode" is 1 (the default), else 6913.
OVSTOOL_API int Tool_Get3DViewDrawMode();
// Whether "3DASCIICustom" says "Yes" (any case).
OVSTOOL_API BOOL Tool_Get3DASCIICustomMode();
// The next three are read once per process.
OVSTOOL_API BOOL Tool_IsDragDropDisable();
OVSTOOL_API BOOL Tool_IsDataFileUpdateDisable();
OVSTOOL_API BOOL Tool_IsWorkSpaceManagementMode();
// The system folder's "WorkSpaceConfiguration.xml"; sets strFileName and returns it.
OVSTOOL_API CString Tool_GetWorkSpaceConfigurationFileName(CString& strFileName);
// Gives the font object the grid font (an earlier font of the object is released first), sized for
// the device context, or for the main window's screen when pDC is null. FALSE when no font results.
OVSTOOL_API BOOL Tool_GetGridFont(CFont* pFont, CDC* pDC);
// Whether the user's language is Chinese ("CHS" or "CHT"), whose fonts the grids cannot show.
OVSTOOL_API BOOL Tool_IsFontCorrupt();
// Whether the settings store enables the changed peak-pick algorithm version.
OVSTOOL_API BOOL Tool_GetPeakPick2AlgVersionChangeEnable(IOVSDocumentStore* pStore);
// E_INVALIDARG when the first or second argument is null, else S_OK; reads and writes nothing.
OVSTOOL_API HRESULT Tool_GetDelayTimeFromConfig(void* pArg1, void* pArg2, void* pArg3, void* pArg4,
                                                void* pArg5);
