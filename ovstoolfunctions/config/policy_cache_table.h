// The triples (key path, subkey, value name) that the policy cache answers, in the cache's order.
#pragma once

#include "data_format_names.h"
#include "ovsreg.h"

#include <array>
#include <cstddef>

namespace ovs::policy {

struct CacheKey {
    const char* keyPath;
    const char* subKey;
    const char* valueName;
};

inline constexpr size_t kCacheSize = 101;

namespace detail {

inline constexpr char kCommon[] = OVS_REG_COMMON_ROOT;
inline constexpr char kProduct[] = OVS_REG_PRODUCT_ROOT;

// Everything before the data formats, then the option values after them.
inline constexpr CacheKey kLeadingKeys[] = {
    {kCommon, "SystemAdmin", "LoginTryCount"},
    {kCommon, "SystemAdmin", "LoginLockTime"},
    {kCommon, "SystemAdmin", "IsWindowsLogin"},
    {kProduct, "AuditTrail", "DefaultSetting"},
    {kProduct, "AuditTrail", "BatchSetting"},
    {kProduct, "AuditTrail", "ReportSetting"},
    {kProduct, "AuditTrail", "ChangeInstrumentParam"},
    {kProduct, "AuditTrail", "ConfigSetting"},
    {kProduct, "AuditTrail", "AttestInputReason"},
    {kProduct, "AuditTrail", "SelectChangeReason"},
    {kProduct, "AuditTrail", "NeedBatchStopReason"},
    {kProduct, "Report", "OutputFilenameOnItemTitle"},
    {kProduct, "Report", "InhibitFileReadPerItem"},
    {kProduct, "Report", "HeaderParentType"},
    {kProduct, "Report", "HeaderDataStatus"},
    {kProduct, "File", "IsDataOverwritten"},
    {kProduct, "File", "IsMethodOverwritten"},
    {kProduct, "File", "IsReportOverwritten"},
    {kProduct, "File", "IsBatchOverwritten"},
    {kProduct, "File", "IsAcqDataOverwritten"},
    {kProduct, "AuditTrail", "ColumnAuditSetting"},
    {kProduct, "AuditTrail", "NeedColumnAuditSetting"},
    {kProduct, "Option", "InhibitAcquitionNotColumn"},
    {kProduct, "File", "EnableSaveAsData"},
    {kProduct, "File", "UseOnlyMetaDataFile"},
    {kCommon, "SystemAdmin", "LoginTryCountUser"},
    {kCommon, "SystemAdmin", "LoginLockTimeUser"},
    {kCommon, "SystemAdmin", "SamePwdPeriod"},
    {kProduct, "Log", "IsAuditTrailLog"},
    {kCommon, "SystemAdmin", "IsPwdComplex"},
    {kProduct, "Option", "UseMail"},
    {kProduct, "Option", "UseMessage"},
    {kProduct, "Option", "SaveMethodDL"},
    {kProduct, "Option", "CreatePDFFile"},
    {kProduct, "Option", "PrintReportSaveData"},
};

inline constexpr CacheKey kTrailingKeys[] = {
    {kProduct, settings::kDataFormatKey, settings::kAHFormatModeValue},
    {kProduct, settings::kDataFormatKey, settings::kTotalModeValue},
    {kProduct, settings::kOptionKey, settings::kDilutionFactorValue},
    {kProduct, settings::kOptionKey, settings::kDefaultXAxisCalibCurveValue},
    {kProduct, settings::kOptionKey, "BanEditExecutedBatchRow"},
    {kProduct, settings::kOptionKey, "BanPartialRunSelectedRow"},
};

constexpr std::array<CacheKey, kCacheSize> BuildCacheKeys() {
    std::array<CacheKey, kCacheSize> keys{};
    size_t next = 0;
    for (const CacheKey& key : kLeadingKeys) {
        keys[next++] = key;
    }
    for (const settings::DataFormatName& format : settings::kDataFormatNames) {
        keys[next++] = {kProduct, settings::kDataFormatKey, format.name};
    }
    for (const CacheKey& key : kTrailingKeys) {
        keys[next++] = key;
    }
    return keys;
}

static_assert(std::size(kLeadingKeys) + settings::kDataFormatCount + std::size(kTrailingKeys) == kCacheSize);

} // namespace detail

inline constexpr std::array<CacheKey, kCacheSize> kCacheKeys = detail::BuildCacheKeys();

} // namespace ovs::policy
