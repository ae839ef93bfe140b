#include "call_log.h"
#include "documents_standin.h"
#include "inproc_server.h"

#include <cstring>
#include <mutex>
#include <string>

namespace ovs::standin::documents {

namespace {

struct CallLog {
    std::mutex lock;
    std::string calls;
    std::string failingCall;
    HRESULT failure = S_OK;
};

CallLog& Log() {
    static CallLog log;
    return log;
}

} // namespace

HRESULT Called(const char* call) {
    CallLog& log = Log();
    std::lock_guard<std::mutex> hold(log.lock);
    log.calls += call;
    log.calls += '\n';
    if (!log.failingCall.empty() && log.failingCall == call) {
        log.failingCall.clear();
        return log.failure;
    }
    return S_OK;
}

} // namespace ovs::standin::documents

using ovs::standin::documents::Log;

void DocumentsStandinFailCall(LPCSTR szCall, HRESULT hr) {
    auto& log = Log();
    std::lock_guard<std::mutex> hold(log.lock);
    log.failingCall = szCall != nullptr ? szCall : "";
    log.failure = hr;
}

DWORD DocumentsStandinCallLog(LPSTR szBuffer, DWORD dwBufferSize) {
    auto& log = Log();
    std::lock_guard<std::mutex> hold(log.lock);
    if (szBuffer != nullptr && dwBufferSize > 0) {
        const size_t length = log.calls.size() < dwBufferSize - 1 ? log.calls.size() : dwBufferSize - 1;
        std::memcpy(szBuffer, log.calls.data(), length);
        szBuffer[length] = '\0';
    }
    return static_cast<DWORD>(log.calls.size());
}

void DocumentsStandinReset() {
    auto& log = Log();
    std::lock_guard<std::mutex> hold(log.lock);
    log.calls.clear();
    log.failingCall.clear();
    log.failure = S_OK;
}

LONG DocumentsStandinLiveObjects() {
    return ovs::standin::LiveObjects();
}
