// Gas-chromatograph helpers: pressure units, file types of GC data files, nearest list values,
// program run times and the thinned time table of a chromatogram for drawing.
#pragma once

#include "ovstooldefs.h"
#include "ovschromdata.h"
#include "ovsgcprogram.h"

// Units 0 kPa, 1 bar, 2 psi; equal or unknown units leave the value as it is.
OVSTOOL_API double Tool_ConvertPressureUnit(double dValue, WORD wFromUnit, WORD wToUnit);
// Units 0 kgf/cm2, 1 psi, 2 MPa, 3 bar, 4 kPa; an unknown unit gives 0.
OVSTOOL_API double Tool_ConvertPressureValue(double dValue, short nFromUnit, short nToUnit);
// The file type code of a GC data file by its extension (a leading '.' allowed); 0 when unknown.
OVSTOOL_API WORD Tool_GetGCFileType(LPCSTR szExtension);
OVSTOOL_API WORD Tool_GetGCFileTypeForKT4(LPCSTR szExtension);
OVSTOOL_API LONG Tool_GetGCSettingParam(DWORD dwParam1, DWORD dwParam2, DWORD dwParam3, DWORD dwParam4);
// The list element nearest the value (the first on equal distance); list[0] for a count <= 0.
OVSTOOL_API float Tool_GetNearValue_float(float fValue, const float* pfList, short nCount);
OVSTOOL_API short Tool_GetNearValue_short(short nValue, const short* pnList, short nCount);
// Initial hold plus, step by step until a rate of 0, the ramp time and the hold of each step.
OVSTOOL_API float Tool_GetProgramTotalTime_Flow(const OVS_GCPROGRAM* pProgram);
OVSTOOL_API float Tool_GetProgramTotalTime_Press(const OVS_GCPROGRAM* pProgram);
OVSTOOL_API float Tool_GetProgramTotalTime_Temp(const OVS_GCPROGRAM* pProgram);
OVSTOOL_API float Tool_GetProgramTotalTime_Oven(const OVS_GCOVENPROGRAM* pProgram);
// The start time, the times of the largest and smallest point of every group of four (repeated
// until at most dwMaxPoints remain) and the end time; *ppdTimes is task memory for the caller.
OVSTOOL_API HRESULT Tool_GetMinMaxPointTimeTable(OVS_2DCHROMDATA chrom, double** ppdTimes, DWORD dwMaxPoints,
                                                 DWORD* pdwCount);
