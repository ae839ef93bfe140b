// Allocating, copying, cutting and releasing the arrays of chromatogram and spectrum records, and the
// library's block allocator. Every block is COM task memory, so any module of the process may free it.
#pragma once

#include "ovstooldefs.h"
#include "ovschromdata.h"

// Grows or shrinks both arrays to dwPoints elements (a first allocation is cleared to zero; the new
// tail of a grown array is not). Never writes the header: the caller sets dwTotalPoints.
OVSTOOL_API HRESULT Tool_Allocate2dChrom(OVS_2DCHROMDATA* p2dChrom, DWORD dwPoints);
OVSTOOL_API HRESULT Tool_Copy2dChrom(OVS_2DCHROMDATA* pDest, const OVS_2DCHROMDATA* pSource);
// Frees both arrays and clears the whole record.
OVSTOOL_API HRESULT Tool_Release2dChrom(OVS_2DCHROMDATA* p2dChrom);
// Keeps the points of the time window [lStartTime, lEndTime]; the saturation flags stay as they are.
OVSTOOL_API HRESULT Tool_ResizeChromtoPeak(OVS_2DCHROMDATA* p2dChrom, LONG lStartTime, LONG lEndTime);

OVSTOOL_API HRESULT Tool_AllocateUVSpecData(OVS_UVSPECDATA* pSpec, DWORD dwPoints);
OVSTOOL_API HRESULT Tool_CopyUVSpecData(OVS_UVSPECDATA* pDest, const OVS_UVSPECDATA* pSource);
OVSTOOL_API HRESULT Tool_ReleaseUVSpecData(OVS_UVSPECDATA* pSpec);

// Task-memory blocks: new bytes are always cleared; a size of 0 frees; a failed growth keeps pBlock.
OVSTOOL_API void* Tool_AllocateMemory(SIZE_T cbSize);
OVSTOOL_API void* Tool_ReallocMemory(void* pBlock, SIZE_T cbSize);
OVSTOOL_API void* Tool_ReleaseMemory(void* pBlock);
// Exchanges nBytes bytes of two areas that must not overlap; nBytes <= 0 does nothing.
OVSTOOL_API void Tool_swapmem(void* pFirst, void* pSecond, short nBytes);

// For tests only: the task-memory allocation after the next nSucceeding ones fails, once
// (a negative count cancels a pending failure).
extern "C" OVSTOOL_API void OvsTestFailTaskMemory(LONG nSucceeding);
