// Installed products and solution types. Solution types: 0 LC, 1 LC with mass spectrometry, 2 GC,
// 3 GC with mass spectrometry, -1 none. File filter types: 0 LC, 1 GC, 2 both.
#pragma once

#include "ovstooldefs.h"

// Installed-product bits.
#define OVS_PRODUCT_LC 0x001
#define OVS_PRODUCT_PDA 0x002
#define OVS_PRODUCT_GC 0x010
#define OVS_PRODUCT_LCVXMS 0x100
#define OVS_PRODUCT_LCZETRAMS 0x200
#define OVS_PRODUCT_GCVXMS 0x400

// The mask of installed products: the cached mask, else a non-zero per-user "ProductCache", else
// computed from the machine's product entries (a computed 0 is not cached).
OVSTOOL_API DWORD Tool_GetInstalledProduct();
// Forgets the cached mask; the product entries read once stay.
OVSTOOL_API void Tool_ClearInstalledProductCache();
OVSTOOL_API BOOL Tool_IsGPCInstalled();
// Chooses the file filter type and the application and default solution types for the requested
// type (-1 automatic); returns the application solution type, unchanged when nothing suits.
OVSTOOL_API long Tool_SetAppSolutionType(long nRequestedType);
OVSTOOL_API long Tool_GetAppSolutionType(long nIgnored = 0);
OVSTOOL_API long Tool_GetDefaultSolutionType();
// Returns the previous default solution type.
OVSTOOL_API long Tool_SetDefaultSolutionType(long nType);
