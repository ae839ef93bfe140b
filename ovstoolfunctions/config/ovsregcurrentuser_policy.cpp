// The policy writer: every login, audit-trail, report, file and option policy of the caller's policy
// object, written as current-user values (and so, for the listed ones, into the policy cache).
#include "ovsregcurrentuser.h"
#include "ovsreg.h"

namespace {

constexpr char kYes[] = "Yes";
constexpr char kNo[] = "No";

// How a policy is written: a number, or a switch turned into "Yes" or "No".
enum class Rule {
    Number,
    YesIfOne,    // "Yes" when the value is 1
    NoIfNonZero, // "No" when the value is not 0
    NoIfOne,     // "No" when the value is 1
};

// Rows below the common root, whatever the caller's root is.
enum class Root { Common, Caller };

struct PolicyRow {
    LONG number;
    Rule rule;
    Root root;
    LPCSTR subKey;
    LPCSTR valueName;
};

constexpr PolicyRow kPolicyRows[] = {
    {2010, Rule::Number, Root::Common, "SystemAdmin", "LoginTryCount"},
    {2009, Rule::Number, Root::Common, "SystemAdmin", "LoginLockTime"},
    {1019, Rule::YesIfOne, Root::Common, "SystemAdmin", "IsWindowsLogin"},
    {1026, Rule::YesIfOne, Root::Caller, "AuditTrail", "DefaultSetting"},
    {1027, Rule::YesIfOne, Root::Caller, "AuditTrail", "BatchSetting"},
    {1028, Rule::YesIfOne, Root::Caller, "AuditTrail", "ReportSetting"},
    {1030, Rule::NoIfNonZero, Root::Caller, "AuditTrail", "ChangeInstrumentParam"},
    {1031, Rule::YesIfOne, Root::Caller, "AuditTrail", "ConfigSetting"},
    {1116, Rule::YesIfOne, Root::Caller, "AuditTrail", "AttestInputReason"},
    {1117, Rule::YesIfOne, Root::Caller, "AuditTrail", "SelectChangeReason"},
    {1118, Rule::YesIfOne, Root::Caller, "AuditTrail", "NeedBatchStopReason"},
    {1032, Rule::YesIfOne, Root::Caller, "Report", "OutputFilenameOnItemTitle"},
    {1033, Rule::YesIfOne, Root::Caller, "Report", "InhibitFileReadPerItem"},
    {1034, Rule::YesIfOne, Root::Caller, "Report", "HeaderParentType"},
    {1035, Rule::YesIfOne, Root::Caller, "Report", "HeaderDataStatus"},
    {1036, Rule::NoIfNonZero, Root::Caller, "File", "IsDataOverwritten"},
    {1037, Rule::NoIfNonZero, Root::Caller, "File", "IsMethodOverwritten"},
    {1038, Rule::NoIfNonZero, Root::Caller, "File", "IsReportOverwritten"},
    {1039, Rule::NoIfNonZero, Root::Caller, "File", "IsBatchOverwritten"},
    {1040, Rule::NoIfNonZero, Root::Caller, "File", "IsAcqDataOverwritten"},
    {1119, Rule::YesIfOne, Root::Caller, "AuditTrail", "ColumnAuditSetting"},
    {1120, Rule::YesIfOne, Root::Caller, "AuditTrail", "NeedColumnAuditSetting"},
    {1121, Rule::YesIfOne, Root::Caller, "Option", "InhibitAcquitionNotColumn"},
    {1130, Rule::NoIfNonZero, Root::Caller, "File", "EnableSaveAsData"},
    {1140, Rule::YesIfOne, Root::Caller, "File", "UseOnlyMetaDataFile"},
    {2007, Rule::Number, Root::Common, "SystemAdmin", "LoginTryCountUser"},
    {2006, Rule::Number, Root::Common, "SystemAdmin", "LoginLockTimeUser"},
    {2004, Rule::Number, Root::Common, "SystemAdmin", "SamePwdPeriod"},
    {1029, Rule::YesIfOne, Root::Caller, "Log", "IsAuditTrailLog"},
    {1024, Rule::YesIfOne, Root::Common, "SystemAdmin", "IsPwdComplex"},
    {1016, Rule::NoIfOne, Root::Caller, "Option", "UseMail"},
    {1041, Rule::NoIfOne, Root::Caller, "Option", "UseMessage"},
    {1042, Rule::YesIfOne, Root::Caller, "Option", "SaveMethodDL"},
    {1048, Rule::YesIfOne, Root::Caller, "Option", "CreatePDFFile"},
    {1049, Rule::YesIfOne, Root::Caller, "Option", "PrintReportSaveData"},
    {1111, Rule::YesIfOne, Root::Caller, "Report", "InhibitPrintIfNotSaved"},
    {1150, Rule::YesIfOne, Root::Caller, "Option", "BanEditExecutedBatchRow"},
    {1151, Rule::YesIfOne, Root::Caller, "Option", "BanPartialRunSelectedRow"},
    {1152, Rule::YesIfOne, Root::Caller, "Option", "PermitPrunExecutedBatchRow"},
};

static_assert(sizeof kPolicyRows / sizeof kPolicyRows[0] == 39);

// A failed read is written as a switch of value 0.
LPCSTR SwitchText(Rule rule, LONG value) {
    switch (rule) {
        case Rule::NoIfNonZero:
            return value != 0 ? kNo : kYes;
        case Rule::NoIfOne:
            return value == 1 ? kNo : kYes;
        default:
            return value == 1 ? kYes : kNo;
    }
}

bool Succeeded(HRESULT hr, LONG status) {
    return hr >= 0 && status >= 0;
}

void WritePolicy(const PolicyRow& row, LPCSTR root, IOVSUserPolicy* policy) {
    LPCSTR keyPath = row.root == Root::Common ? OVS_REG_COMMON_ROOT : root;
    LONG value = 0;
    LONG status = 0;
    if (row.rule == Rule::Number) {
        const HRESULT hr = policy->GetPolicyNumber(row.number, &value, &status);
        // Only the low 16 bits carry the number, as a signed one.
        const int number = Succeeded(hr, status) ? static_cast<short>(static_cast<WORD>(value & 0xFFFF)) : 0;
        Tool_WriteRegCurrentUserInt(keyPath, row.subKey, row.valueName, number);
        return;
    }
    const HRESULT hr = policy->GetPolicySwitch(row.number, &value, &status);
    Tool_WriteRegCurrentUserString(keyPath, row.subKey, row.valueName,
                                   SwitchText(row.rule, Succeeded(hr, status) ? value : 0));
}

} // namespace

BOOL Tool_WriteRegCurrentUserPolicy(LPCSTR szRoot, IOVSUserPolicy* pPolicy) {
    if (szRoot == nullptr || pPolicy == nullptr) {
        return TRUE;
    }
    for (const PolicyRow& row : kPolicyRows) {
        WritePolicy(row, szRoot, pPolicy);
    }
    return TRUE;
}
