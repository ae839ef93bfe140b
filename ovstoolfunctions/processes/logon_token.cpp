#include "logon_token.h"
#include "ovstooldbgreport.h"
#include "unique_resource.h"

#include <cstring>

namespace ovs::logon {

namespace {

constexpr DWORD kNoSession = 0xFFFFFFFF;
constexpr DWORD kThreadWaitMs = 25;
constexpr char kDesktop[] = "winsta0\\default";

void LastErrorLine(int line) {
    Tool_DbgReport(__FILE__, line, OVS_DBG_WRN, "    [::GetLastError()] = [0x%08X]",
                   static_cast<unsigned>(GetLastError()));
}

} // namespace

void LetGo(PROCESS_INFORMATION& process) {
    WaitForSingleObject(process.hThread, kThreadWaitMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

BOOL StartAsConsoleUser(const SessionFunctions& functions, std::string commandLine, BOOL linkedToken) {
    const DWORD session = functions.activeConsoleSessionId();
    if (session == kNoSession) {
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_WRN, "    [E_FAIL] = [0x%08X]",
                       static_cast<unsigned>(E_FAIL));
        return FALSE;
    }
    unique_handle userToken;
    if (!functions.queryUserToken(session, userToken.put())) {
        LastErrorLine(__LINE__);
        return FALSE;
    }
    unique_handle linked;
    HANDLE source = userToken.get();
    if (linkedToken) {
        TOKEN_LINKED_TOKEN link = {};
        DWORD size = 0;
        if (!functions.getTokenInformation(userToken.get(), TokenLinkedToken, &link, sizeof link, &size)) {
            LastErrorLine(__LINE__);
            return FALSE;
        }
        linked.reset(link.LinkedToken);
        source = linked.get();
    }
    unique_handle primary;
    if (!functions.duplicateTokenEx(source, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary,
                                    primary.put())) {
        LastErrorLine(__LINE__);
        return FALSE;
    }
    void* environment = nullptr;
    DWORD flags = CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS;
    if (functions.createEnvironmentBlock(&environment, primary.get(), FALSE)) {
        flags |= CREATE_UNICODE_ENVIRONMENT;
    } else {
        LastErrorLine(__LINE__);
        environment = nullptr;
    }
    char desktop[sizeof kDesktop];
    std::memcpy(desktop, kDesktop, sizeof kDesktop);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION process = {};
    if (functions.createProcessAsUser(primary.get(), nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                      flags, environment, nullptr, &startup, &process)) {
        LetGo(process);
    } else {
        LastErrorLine(__LINE__);
    }
    if (environment != nullptr && !functions.destroyEnvironmentBlock(environment)) {
        LastErrorLine(__LINE__);
    }
    return TRUE;
}

} // namespace ovs::logon
