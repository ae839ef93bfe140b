// The Restart Manager stand-in's environment: the holders it lists for every file, as process ids
// separated by ','. An id followed by '!' is listed with a start time one tick off its real one.
#pragma once

inline constexpr char kRestartManagerHoldersVariable[] = "OVS_RSTRTMGR_HOLDERS";
inline constexpr char kWrongStartTimeMarker = '!';
// The application name listed for every holder, after its process id.
inline constexpr wchar_t kHolderAppNameFormat[] = L"Holder application %lu";
