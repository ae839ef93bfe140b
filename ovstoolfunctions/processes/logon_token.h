// Starting a program in the console session as its user: the token steps over a table of the
// platform's functions, so that a session, token or linked token that is missing can be tested.
#pragma once

#include <windows.h>

#include <string>

namespace ovs::logon {

struct SessionFunctions {
    DWORD(WINAPI* activeConsoleSessionId)();
    BOOL(WINAPI* queryUserToken)(ULONG session, PHANDLE token);
    BOOL(WINAPI* createEnvironmentBlock)(LPVOID* environment, HANDLE token, BOOL inherit);
    BOOL(WINAPI* destroyEnvironmentBlock)(LPVOID environment);
    BOOL(WINAPI* getTokenInformation)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
    BOOL(WINAPI* duplicateTokenEx)
    (HANDLE, DWORD, LPSECURITY_ATTRIBUTES, SECURITY_IMPERSONATION_LEVEL, TOKEN_TYPE, PHANDLE);
    BOOL(WINAPI* createProcessAsUser)
    (HANDLE, LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR,
     LPSTARTUPINFOA, LPPROCESS_INFORMATION);
};

// The session steps: FALSE when there is no console session or a token step fails (each writes its
// warning line); TRUE once the process creation was attempted.
BOOL StartAsConsoleUser(const SessionFunctions& functions, std::string commandLine, BOOL linkedToken);

// Waits a moment on the new process's main thread, then closes both handles.
void LetGo(PROCESS_INFORMATION& process);

} // namespace ovs::logon
