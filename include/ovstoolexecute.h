// Starting programs of the program folder directly, the process registry of a system, and the
// background data of a data file.
#pragma once

#include "ovstooldefs.h"

#include <unknwn.h>

// Starts "<program folder>\szFileName" [szArguments] with the caller's rights; the program folder is
// "Prog Path" under szRegistryRoot (the product root when null). The process-creation result.
OVSTOOL_API BOOL Tool_ExecuteApplication(LPCSTR szFileName, LPCSTR szArguments, LPCSTR szRegistryRoot);
// The same in the console session with its user's token (its linked token when bLinkedToken);
// FALSE when a token step fails, TRUE once the creation was attempted.
OVSTOOL_API BOOL Tool_ExecuteApplicationAsLogonUser(LPCSTR szFileName, LPCSTR szArguments,
                                                    LPCSTR szRegistryRoot, BOOL bLinkedToken);
// Starts the auxiliary program named by "StartApp" under the product's "Auxiliary" key, if any.
OVSTOOL_API void Tool_StartApp();

// Records (or with bRemove deletes) this process's identifier under szProcessName in the volatile
// "PIDS" key of the system; the status of the last registry call.
OVSTOOL_API LONG Tool_RegisterProcess(int nSystemNumber, LPCSTR szProcessName, BOOL bRemove);
// Asks for every registered process of the system to be killed (taskkill, elevated); 0 when a kill
// was requested, else the registry status.
OVSTOOL_API LONG Tool_TerminateRegisteredProcess(int nSystemNumber);

// Links (or with no szBackgroundFile clears) the background data of a data file; wFlags bit 0 the raw
// data, bit 1 the PDA data.
OVSTOOL_API HRESULT Tool_RunBackground(IUnknown* pDataFile, IUnknown* pFileManager, LPCSTR szBackgroundFile,
                                       WORD wFlags);
