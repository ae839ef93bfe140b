// Universal and local time converted by the current time zone with the rules that the zone had in
// the year of the date in question, so that a summer date converted in winter gets the summer offset
// and an old date the offset of its own time.
#include "ovstooldate.h"
#include "callframe.h"

namespace {

bool UniversalToLocal(const SYSTEMTIME& universal, SYSTEMTIME& local) {
    TIME_ZONE_INFORMATION zone;
    return GetTimeZoneInformationForYear(universal.wYear, nullptr, &zone) &&
           SystemTimeToTzSpecificLocalTime(&zone, &universal, &local);
}

bool LocalToUniversal(const SYSTEMTIME& local, SYSTEMTIME& universal) {
    TIME_ZONE_INFORMATION zone;
    return GetTimeZoneInformationForYear(local.wYear, nullptr, &zone) &&
           TzSpecificLocalTimeToSystemTime(&zone, &local, &universal);
}

} // namespace

BOOL Tool_FileTimeToLocalSystemTime(const FILETIME* pUniversal, SYSTEMTIME* pLocal) {
    OVS_REQUIRE_ARG("Tool_FileTimeToLocalSystemTime", pUniversal != nullptr && pLocal != nullptr, FALSE);
    SYSTEMTIME universal;
    return FileTimeToSystemTime(pUniversal, &universal) && UniversalToLocal(universal, *pLocal);
}

BOOL Tool_FileTimeToLocalFileTime(const FILETIME* pUniversal, FILETIME* pLocal) {
    OVS_REQUIRE_ARG("Tool_FileTimeToLocalFileTime", pUniversal != nullptr && pLocal != nullptr, FALSE);
    SYSTEMTIME local;
    return Tool_FileTimeToLocalSystemTime(pUniversal, &local) && SystemTimeToFileTime(&local, pLocal);
}

BOOL Tool_LocalSystemTimeToFileTime(const SYSTEMTIME* pLocal, FILETIME* pUniversal) {
    OVS_REQUIRE_ARG("Tool_LocalSystemTimeToFileTime", pLocal != nullptr && pUniversal != nullptr, FALSE);
    SYSTEMTIME universal;
    return LocalToUniversal(*pLocal, universal) && SystemTimeToFileTime(&universal, pUniversal);
}

BOOL Tool_LocalFileTimeToFileTime(const FILETIME* pLocal, FILETIME* pUniversal) {
    OVS_REQUIRE_ARG("Tool_LocalFileTimeToFileTime", pLocal != nullptr && pUniversal != nullptr, FALSE);
    SYSTEMTIME local;
    return FileTimeToSystemTime(pLocal, &local) && Tool_LocalSystemTimeToFileTime(&local, pUniversal);
}
