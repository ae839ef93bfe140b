// The system folders that the system check functions read from the registry.
#pragma once

#include <string>

namespace ovs::syscheck {

// "Log SysChk Path", or "\Orvantiscope\Log\SysCheck" when it is not set.
std::string BaseFolder();
// "Sys Path", or "\Orvantiscope\System" when it is not set.
std::string SystemReportFolder();
// base\system, without being made a full path.
std::string SystemFolder(const std::string& base, int nSystem);

} // namespace ovs::syscheck
