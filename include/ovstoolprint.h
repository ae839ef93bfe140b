// Print-out through the print process: the job goes to OVSPrint.exe in the program folder through
// named sections; the process prints it, writes a PDF or a PNG, as the output flags say.
#pragma once

#include "ovstooldefs.h"

// Output kinds (wOutputKind): 0 or 8 take the configured print destination of system lInstNo; any
// other kind adds printer for bit 0, PDF for bit 1, PNG for bit 2. Bit 3 bypasses the launching manager.
#define OVS_PRINTKIND_CONFIGURED 0
#define OVS_PRINTKIND_PRINTER 1
#define OVS_PRINTKIND_PDF 2
#define OVS_PRINTKIND_PNG 4
#define OVS_PRINTKIND_DIRECT 8

// Output flags of the job.
#define OVS_PRINTFLAG_PRINTER 1
#define OVS_PRINTFLAG_PDF 2
#define OVS_PRINTFLAG_SUMMARY 4
#define OVS_PRINTFLAG_PNG 8

// Results beside S_OK and E_FAIL (a section could not be created or mapped).
#define OVS_E_PRINT_NOT_STARTED ((HRESULT)0x80042085L) // the print process could not be started
#define OVS_E_PRINT_HUNG ((HRESULT)0x80042095L)        // killed after the hang time-out
#define OVS_E_PRINT_NO_PDF ((HRESULT)0x88041F1EL)      // database mode: the expected PDF is missing

// Hands a print job to the print process and waits for it (directly, or through the launching
// manager in server mode). Texts may be null (empty); szJobText is cut at 799 characters and
// szShortText at 33; szPdfPath and szOutputPath of 260 characters or more give E_INVALIDARG.
// pDevMode (lDevModeSize bytes) is the caller's printer set-up for szPrinterName.
OVSTOOL_API HRESULT Tool_PrintOutEx2(LPCSTR szText1, LPCSTR szText2, LPCSTR szJobText, LONG lValue1,
                                     LONG lValue2, LONG lInstNo, BOOL bSummary, LPCSTR szPdfPath,
                                     LPCSTR szOutputPath, LPCSTR szShortText, LONG lValue3, BOOL bServerMode,
                                     BOOL bDBMode, const GUID* pProjectId, SHORT nValue, WORD wOutputKind,
                                     LPCSTR szPrinterName, LPCSTR szPrinterPlace, const DEVMODEW* pDevMode,
                                     LONG lDevModeSize);

// Tool_PrintOutEx2 with lValue both as its first and its second job value.
OVSTOOL_API HRESULT Tool_PrintOutEx(LPCSTR szText1, LPCSTR szText2, LPCSTR szJobText, LONG lValue,
                                    LONG lInstNo, BOOL bSummary, LPCSTR szPdfPath, LPCSTR szOutputPath,
                                    LPCSTR szShortText, LONG lValue3, BOOL bServerMode, BOOL bDBMode,
                                    const GUID* pProjectId, SHORT nValue, WORD wOutputKind,
                                    LPCSTR szPrinterName, LPCSTR szPrinterPlace, const DEVMODEW* pDevMode,
                                    LONG lDevModeSize);

// Tool_PrintOutEx without a first trailing text.
OVSTOOL_API HRESULT Tool_PrintOut(LPCSTR szText2, LPCSTR szJobText, LONG lValue, LONG lInstNo, BOOL bSummary,
                                  LPCSTR szPdfPath, LPCSTR szOutputPath, LPCSTR szShortText, LONG lValue3,
                                  BOOL bServerMode, BOOL bDBMode, const GUID* pProjectId, SHORT nValue,
                                  WORD wOutputKind, LPCSTR szPrinterName, LPCSTR szPrinterPlace,
                                  const DEVMODEW* pDevMode, LONG lDevModeSize);

// A PDF of the job at szPdfPath (in database mode, when it is empty: szDocument with ".pdf").
OVSTOOL_API HRESULT Tool_OutputPDF(LPCSTR szDocument, LPCSTR szJobText, LONG lInstNo, LPCSTR szPdfPath,
                                   LPCSTR szShortText, BOOL bServerMode, BOOL bDBMode,
                                   const GUID* pProjectId);

// A PNG of the job at szPngPath.
OVSTOOL_API HRESULT Tool_OutputPNG(LPCSTR szDocument, LPCSTR szJobText, LPCSTR szPngPath, LPCSTR szShortText,
                                   BOOL bServerMode, BOOL bDBMode, const GUID* pProjectId);
