// The debug-report set-up component: class {3A5292F5-8789-4A44-8744-1B2B33601301}, interface
// {3A5292F6-8789-4A44-8744-1B2B33601301} with one operation after the three lifetime ones.
//
// Its operation opens the debug report of the calling process with fixed settings: instance 1,
// all levels, limit 10 MB, size check every 100 lines, 3 numbered backups with tag "B", alternate
// tag "A".
//
// The environment variable OVS_DBGREPORTSETUP_FAIL, read at each step, makes one step fail:
//   "create=<hex code>"  the class factory's CreateInstance returns the code;
//   "run=<hex code>"     IRunnableObject::Run returns the code;
//   "query=<hex code>"   the request for the set-up interface returns the code;
//   "querynull"          the request for the set-up interface succeeds with a null pointer.
#pragma once

#include <windows.h>
#include <unknwn.h>

inline constexpr CLSID kDbgReportSetupClass = {
    0x3A5292F5, 0x8789, 0x4A44, {0x87, 0x44, 0x1B, 0x2B, 0x33, 0x60, 0x13, 0x01}};
inline constexpr IID kDbgReportSetupInterface = {
    0x3A5292F6, 0x8789, 0x4A44, {0x87, 0x44, 0x1B, 0x2B, 0x33, 0x60, 0x13, 0x01}};

struct IDbgReportSetup : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE InitDbgReport() = 0;
};

// What the component saw in this process, for whoever loaded it.
struct DbgReportSetupCounts {
    LONG liveObjects; // objects not yet released
    LONG created;     // objects made by the class factory
    LONG runs;        // IRunnableObject::Run calls
    LONG operations;  // InitDbgReport calls
    LONG lastOpen;    // what the last InitDbgReport got from Tool_InitDbgReportEx
};

using DbgReportSetupCountersFn = void(__stdcall*)(DbgReportSetupCounts* counts);
