// A program the manager started, watched for its end, its lifetime and its memory.
#pragma once

#include "launch_request.h"
#include "unique_resource.h"

namespace ovs::manager {

class WatchedProgram {
public:
    // Starts the request's program; false (nothing running) when that fails.
    bool Start(const LaunchRequest& request, bool signalEnd);

    HANDLE Process() const { return m_process.get(); }
    // The program ended: its exit event is set, unless its lifetime ran out before.
    void Ended();
    // Checks lifetime and memory; true when the program is no longer watched (its lifetime ran out).
    bool Check(ULONGLONG now);
    // Milliseconds until the next check is due, INFINITE when nothing is to be checked.
    DWORD NextCheck(ULONGLONG now) const;

private:
    unique_handle m_process;
    unique_handle m_job;
    unique_handle m_exit;
    unique_handle m_timeout;
    ULONGLONG m_deadline = 0; // 0: no lifetime limit
    SIZE_T m_memoryLimit = 0; // bytes; 0: no limit
    BOOL m_forceTerminate = FALSE;
    bool m_signalEnd = true;
};

} // namespace ovs::manager
