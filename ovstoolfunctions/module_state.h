// State that lives beside the module object, one copy per process, zeroed before first use.
#pragma once

#include "unique_resource.h"
#include <afxwin.h>

namespace ovs {

struct ModuleState {
    char decimalPoint[2];
    char thousandsSeparator[2];
    HWND mainWindow;
    char currentFolders[5][MAX_PATH]; // data, method, batch, optimization, report
    char temporaryFolder[MAX_PATH];
    bool temporaryFolderOwned; // the folder above is this process's own, not the shared base folder
    IUnknown* pathInformation; // cached component, released at module end
};

ModuleState& Module();

// The debug report lock: recursive, created at module load and destroyed at unload.
class ReportLock {
public:
    ReportLock();
    ~ReportLock();
    ReportLock(const ReportLock&) = delete;
    ReportLock& operator=(const ReportLock&) = delete;
};

} // namespace ovs

class COVSToolApp : public CWinApp {
public:
    COVSToolApp();
    BOOL InitInstance() override;
    int ExitInstance() override;

    DWORD m_dwInstalledProductMask = 0;
    DWORD m_dwCurrentUserRights = 0;
};

COVSToolApp& OVSToolApp();
