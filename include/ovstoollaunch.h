// Starting programs through the resident launching manager, and the named kernel objects that every
// user of the machine may open.
#pragma once

#include "ovstooldefs.h"
#include "ovstoolreleaselog.h"

// The lifetime record of a program started through the launching manager.
struct OVS_LIFETIME {
    int nLifeTime;           // ms; 0: the caller does not wait for the end; negative: waits without limit
    int nVirtualMemoryLimit; // applied by the manager (bytes for the resident manager of this system)
    BOOL bForceTerminate;    // whether the manager may end the program when its lifetime runs out
    DWORD dwResult; // out: 0 ended normally, 258 (WAIT_TIMEOUT) lifetime ran out; untouched otherwise
};
static_assert(sizeof(OVS_LIFETIME) == 16, "the lifetime record is four 32-bit fields");

// Kinds of Tool_CreateKernelObject.
enum : DWORD {
    OVS_KERNEL_EVENT = 0,   // manual-reset; bInitialState is the signalled state
    OVS_KERNEL_SECTION = 1, // page-file backed, read-write; the size is dwSizeHigh * 2^32 + dwSizeLow
    OVS_KERNEL_MUTEX = 2,   // bInitialState is initial ownership
};

// Creates (or opens, when it exists) a named or unnamed object that everyone may fully use. Null when
// the create call fails; INVALID_HANDLE_VALUE for an unknown kind or a failed security set-up.
OVSTOOL_API HANDLE Tool_CreateKernelObject(BOOL bInitialState, LPCSTR szName, DWORD dwKind, DWORD dwSizeHigh,
                                           DWORD dwSizeLow);

// Hands the start of szFileName to the launching manager (starting the manager first when it does not
// run) and, with a lifetime record whose nLifeTime is not 0, waits for the program's end. TRUE when the
// manager confirmed the launch. Failures are added to pReleaseLog when one is given.
OVSTOOL_API BOOL Tool_CreateProcessWithLaunchingManager(LPCSTR szFileName, LPCSTR szArguments, BOOL bNoWindow,
                                                        OVS_LIFETIME* pLifeTime, LPCSTR szEnvVars,
                                                        COVSReleaseLog* pReleaseLog);
