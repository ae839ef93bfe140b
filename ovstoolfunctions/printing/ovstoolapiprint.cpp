// Print-out: the job handed to the print process through named sections, the process run directly
// or through the launching manager, and the fixed forwardings to the full call.
#include "ovstoolprint.h"

#include "callframe.h"
#include "module_state.h"
#include "ovsreg.h"
#include "ovstoolpaths.h"
#include "ovstoolproducts.h"
#include "printing/print_destination.h"
#include "printing/print_job_block.h"
#include "printing/print_process_road.h"
#include "printing/printer_selection.h"

#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kFunction[] = "Tool_PrintOutEx2";
constexpr char kNamespaceProbe[] = "Global\\OVSUserAnAdmin";
constexpr char kGlobalPrefix[] = "Global\\";
// [Global\～]のファイルマッピング名を使用します
constexpr char kUsingGlobalNames[] = "[Global\\\x81`]\x82\xCC\x83t\x83@\x83"
                                     "C\x83\x8B\x83}\x83"
                                     "b\x83s\x83\x93\x83O\x96\xBC\x82\xF0\x8Eg\x97p\x82\xB5\x82\xDC\x82\xB7";
// [Global\～]でないファイルマッピング名を使用します
constexpr char kUsingOtherNames[] = "[Global\\\x81`]\x82\xC5\x82\xC8\x82\xA2\x83t\x83@\x83"
                                    "C\x83\x8B\x83}\x83"
                                    "b\x83s\x83\x93\x83O\x96\xBC\x82\xF0\x8Eg\x97p\x82\xB5\x82\xDC\x82\xB7";

constexpr char kPathSubKey[] = "Path";
constexpr char kProgPathValue[] = "Prog Path";
constexpr char kDefaultProgPath[] = "\\Program Files\\Orvantiscope";
constexpr char kPrintProgram[] = "\\OVSPrint.exe";
constexpr char kOptionSubKey[] = "Option";
constexpr char kHangValue[] = "DetectHangPrintExe";
constexpr char kSummaryHangValue[] = "DetectHangPrintExeSummary";
constexpr char kMemoryLimitValue[] = "PrintVirtualMemoryLimit";
constexpr int kDefaultHangMs = 600000;
constexpr int kDefaultSummaryHangMs = 1200000;
constexpr int kDefaultMemoryLimit = 2000000000;
constexpr char kPdfExtension[] = ".pdf";
constexpr long kSolutionTypeRequest = 1;

constexpr char kDevNamesName[] = "report_shared_memory_DevNames";
constexpr char kDevModeName[] = "report_shared_memory_DevMode";
constexpr char kPrinterInfoName[] = "report_shared_memory_PrinterInfo";
constexpr char kPrinterNameName[] = "report_shared_memory_PrinterName";
constexpr char kPrinterPlaceName[] = "report_shared_memory_PrinterPlace";
constexpr DWORD kPrinterDialogFlags =
    PD_HIDEPRINTTOFILE | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOPAGENUMS | PD_NOSELECTION;

const char* Text(const char* text) {
    return text != nullptr ? text : "";
}

// Whether this caller may create machine-wide objects; the answer picks the section names.
bool UseGlobalNamespace() {
    const ovs::unique_handle probe(
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1, kNamespaceProbe));
    Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_DBG, "%s", probe ? kUsingGlobalNames : kUsingOtherNames);
    return static_cast<bool>(probe);
}

std::string RegistryForm(const GUID& guid) {
    wchar_t wide[40] = {};
    StringFromGUID2(guid, wide, 40);
    std::string text;
    for (const wchar_t* c = wide; *c != L'\0'; ++c) {
        text += static_cast<char>(*c); // a GUID's text is plain ASCII
    }
    return text;
}

// A new identifier per call; empty when none can be made.
std::string NewClientId() {
    GUID guid;
    return SUCCEEDED(CoCreateGuid(&guid)) ? RegistryForm(guid) : std::string();
}

std::string PrintProgramPath() {
    char folder[MAX_PATH] = {};
    Tool_GetRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, kPathSubKey, kProgPathValue, kDefaultProgPath,
                           folder, sizeof folder);
    return std::string(folder) + kPrintProgram;
}

std::string ArgumentTail(bool global, const std::string& client, LONG instNo, BOOL serverMode, BOOL dbMode,
                         const GUID* projectId) {
    std::string tail = global ? " /Global 1" : " /Global 0";
    if (!client.empty()) {
        tail += " /ClientGUID " + client;
    }
    char number[32];
    std::snprintf(number, sizeof number, " /InstNo %ld", static_cast<long>(instNo));
    tail += number;
    if (serverMode) {
        tail += " /ServerMode";
    }
    if (dbMode) {
        tail += " /DBMode";
    }
    if (projectId != nullptr) {
        tail += " /ProjectId " + RegistryForm(*projectId);
    }
    return tail;
}

// The window set for the library, else the main window of the calling application.
HWND OwnerWindow() {
    if (ovs::Module().mainWindow != nullptr) {
        return ovs::Module().mainWindow;
    }
    const CWinApp* app = AfxGetApp();
    return app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
}

CWinApp& PrintingApplication() {
    CWinApp* app = AfxGetApp();
    return app != nullptr ? *app : OVSToolApp();
}

size_t BlockSize(HANDLE block) {
    return block != nullptr ? GlobalSize(block) : 0;
}

// Writes one printer section from a movable block (empty when there is none).
bool WriteBlockSection(ovs::printing::MappedSection& section, const std::string& name, HANDLE block) {
    const DWORD size = static_cast<DWORD>(BlockSize(block));
    const void* data = size != 0 ? GlobalLock(block) : nullptr;
    const bool written = ovs::printing::WritePrinterSection(section, name, data, size);
    if (data != nullptr) {
        GlobalUnlock(block);
    }
    return written;
}

struct PrinterRequest {
    const char* name;
    const char* place;
    const DEVMODEW* devMode;
    LONG devModeSize;
};

// The printer chosen for the job and the five sections that describe it; false when a section
// cannot be created or mapped.
bool WritePrinterSections(ovs::printing::MappedSection (&sections)[5], const std::string& prefix,
                          const std::string& client, const PrinterRequest& request) {
    CWinApp& app = PrintingApplication();
    if (*request.name != '\0') {
        ovs::printing::SelectNamedPrinter(app, request.name, request.devMode, request.devModeSize);
    }
    PRINTDLGA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.Flags = kPrinterDialogFlags;
    // Without any printer both blocks stay null and their sections say so with n = 0.
    app.GetPrinterDeviceDefaults(&dialog);
    using ovs::printing::SectionName;
    return WriteBlockSection(sections[0], SectionName(prefix, kDevNamesName, client), dialog.hDevNames) &&
           WriteBlockSection(sections[1], SectionName(prefix, kDevModeName, client), dialog.hDevMode) &&
           ovs::printing::WritePrinterSection(sections[2], SectionName(prefix, kPrinterInfoName, client),
                                              request.devMode, static_cast<DWORD>(request.devModeSize)) &&
           ovs::printing::WritePrinterSection(sections[3], SectionName(prefix, kPrinterNameName, client),
                                              request.name,
                                              static_cast<DWORD>(std::strlen(request.name) + 1)) &&
           ovs::printing::WritePrinterSection(sections[4], SectionName(prefix, kPrinterPlaceName, client),
                                              request.place, static_cast<DWORD>(std::strlen(request.place)));
}

// Database mode, PDF output: the PDF the process was to write, A8 or the document's name with ".pdf".
bool ExpectedPdfExists(const char* pdfPath, const char* document) {
    CString expected(pdfPath);
    if (expected.IsEmpty()) {
        expected = document;
        Tool_ReplaceExtension(expected, kPdfExtension);
    }
    return GetFileAttributesA(expected) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

HRESULT Tool_PrintOutEx2(LPCSTR szText1, LPCSTR szText2, LPCSTR szJobText, LONG lValue1, LONG lValue2,
                         LONG lInstNo, BOOL bSummary, LPCSTR szPdfPath, LPCSTR szOutputPath,
                         LPCSTR szShortText, LONG lValue3, BOOL bServerMode, BOOL bDBMode,
                         const GUID* pProjectId, SHORT nValue, WORD wOutputKind, LPCSTR szPrinterName,
                         LPCSTR szPrinterPlace, const DEVMODEW* pDevMode, LONG lDevModeSize) {
    OVS_TRACE_ENTER(kFunction);
    // A cut path would name another file: such paths are refused before anything is created.
    OVS_REQUIRE_ARG(kFunction, std::strlen(Text(szPdfPath)) < ovs::printing::kPathField,
                    ovs::frame::ExitHr(__FILE__, __LINE__, kFunction, E_INVALIDARG));
    OVS_REQUIRE_ARG(kFunction, std::strlen(Text(szOutputPath)) < ovs::printing::kPathField,
                    ovs::frame::ExitHr(__FILE__, __LINE__, kFunction, E_INVALIDARG));
    // A device mode that is missing or shorter than it says it is is not handed on (taken as none).
    const LONG devModeOwnSize = ovs::printing::DeviceModeOwnSize(pDevMode, lDevModeSize);
    if (lDevModeSize < 0 || devModeOwnSize == 0 || lDevModeSize < devModeOwnSize) {
        lDevModeSize = 0;
    }

    const bool global = UseGlobalNamespace();
    const std::string prefix = global ? kGlobalPrefix : "";
    const bool managerAllowed = ovs::printing::ManagerRoadAllowed(bDBMode);
    const DWORD flags = ovs::printing::OutputFlags(wOutputKind, bSummary, lInstNo);

    const std::string path = PrintProgramPath();
    const std::string client = NewClientId();
    const std::string tail = ArgumentTail(global, client, lInstNo, bServerMode, bDBMode, pProjectId);
    if (path.size() >= MAX_PATH || tail.size() >= MAX_PATH) {
        OVS_TRACE_RETURN_HR(kFunction, OVS_E_PRINT_NOT_STARTED);
    }

    const size_t jobSize = ovs::printing::JobBlockSize(szText1, szText2);
    ovs::printing::MappedSection job;
    if (!job.Create(ovs::printing::SectionName(prefix, ovs::printing::kJobBlockName, client), jobSize)) {
        OVS_TRACE_RETURN_HR(kFunction, E_FAIL);
    }
    const ovs::printing::JobFields fields = {
        lValue1,
        lValue2,
        szJobText,
        OwnerWindow(),
        nValue,
        szShortText,
        lValue3,
        szPdfPath,
        szOutputPath,
        flags,
        static_cast<DWORD>(Tool_GetAppSolutionType(kSolutionTypeRequest))};
    ovs::printing::WriteJobFields(job.Data(), jobSize, fields);

    ovs::printing::MappedSection printerSections[5];
    if ((flags & OVS_PRINTFLAG_PRINTER) &&
        !WritePrinterSections(printerSections, prefix, client,
                              {Text(szPrinterName), Text(szPrinterPlace), pDevMode, lDevModeSize})) {
        OVS_TRACE_RETURN_HR(kFunction, E_FAIL);
    }
    ovs::printing::WriteTrailingTexts(job.Data(), jobSize, szText1, szText2);

    const int hangMs = bSummary ? Tool_GetRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, kOptionSubKey,
                                                      kSummaryHangValue, kDefaultSummaryHangMs)
                                : Tool_GetRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, kOptionSubKey,
                                                      kHangValue, kDefaultHangMs);
    const int memoryLimit = Tool_GetRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, kOptionSubKey,
                                                kMemoryLimitValue, kDefaultMemoryLimit);
    const bool managerRoad = !(wOutputKind & OVS_PRINTKIND_DIRECT) && managerAllowed && bServerMode;
    HRESULT result = managerRoad ? ovs::printing::RunThroughManager(path, tail, hangMs, memoryLimit)
                                 : ovs::printing::RunDirect(path, tail, hangMs);

    if (bDBMode && SUCCEEDED(result) && (flags & OVS_PRINTFLAG_PDF) &&
        !ExpectedPdfExists(Text(szPdfPath), Text(szText2))) {
        result = OVS_E_PRINT_NO_PDF;
    }
    OVS_TRACE_RETURN_HR(kFunction, result);
}

HRESULT Tool_PrintOutEx(LPCSTR szText1, LPCSTR szText2, LPCSTR szJobText, LONG lValue, LONG lInstNo,
                        BOOL bSummary, LPCSTR szPdfPath, LPCSTR szOutputPath, LPCSTR szShortText,
                        LONG lValue3, BOOL bServerMode, BOOL bDBMode, const GUID* pProjectId, SHORT nValue,
                        WORD wOutputKind, LPCSTR szPrinterName, LPCSTR szPrinterPlace,
                        const DEVMODEW* pDevMode, LONG lDevModeSize) {
    return Tool_PrintOutEx2(szText1, szText2, szJobText, lValue, lValue, lInstNo, bSummary, szPdfPath,
                            szOutputPath, szShortText, lValue3, bServerMode, bDBMode, pProjectId, nValue,
                            wOutputKind, szPrinterName, szPrinterPlace, pDevMode, lDevModeSize);
}

HRESULT Tool_PrintOut(LPCSTR szText2, LPCSTR szJobText, LONG lValue, LONG lInstNo, BOOL bSummary,
                      LPCSTR szPdfPath, LPCSTR szOutputPath, LPCSTR szShortText, LONG lValue3,
                      BOOL bServerMode, BOOL bDBMode, const GUID* pProjectId, SHORT nValue, WORD wOutputKind,
                      LPCSTR szPrinterName, LPCSTR szPrinterPlace, const DEVMODEW* pDevMode,
                      LONG lDevModeSize) {
    return Tool_PrintOutEx(nullptr, szText2, szJobText, lValue, lInstNo, bSummary, szPdfPath, szOutputPath,
                           szShortText, lValue3, bServerMode, bDBMode, pProjectId, nValue, wOutputKind,
                           szPrinterName, szPrinterPlace, pDevMode, lDevModeSize);
}

HRESULT Tool_OutputPDF(LPCSTR szDocument, LPCSTR szJobText, LONG lInstNo, LPCSTR szPdfPath,
                       LPCSTR szShortText, BOOL bServerMode, BOOL bDBMode, const GUID* pProjectId) {
    return Tool_PrintOut(szDocument, szJobText, 1, lInstNo, FALSE, szPdfPath, nullptr, szShortText, 0,
                         bServerMode, bDBMode, pProjectId, -1, OVS_PRINTKIND_PDF, nullptr, nullptr, nullptr,
                         0);
}

HRESULT Tool_OutputPNG(LPCSTR szDocument, LPCSTR szJobText, LPCSTR szPngPath, LPCSTR szShortText,
                       BOOL bServerMode, BOOL bDBMode, const GUID* pProjectId) {
    return Tool_PrintOut(szDocument, szJobText, 1, 0, FALSE, nullptr, szPngPath, szShortText, 0, bServerMode,
                         bDBMode, pProjectId, -1, OVS_PRINTKIND_PNG, nullptr, nullptr, nullptr, 0);
}
