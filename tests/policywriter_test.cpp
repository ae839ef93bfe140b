// The current user's policy cache and the writers that fill it from policy and settings objects.
#include "test_support.h"
#include "current_user_raw.h"
#include "ovsreg.h"
#include "ovsregcurrentuser.h"

#include <array>
#include <cstring>
#include <sstream>
#include <tuple>

using namespace std::string_literals;
using ovs::test::CurrentUserTest;
using ovs::test::RawUserQuery;

namespace {

constexpr char kProduct[] = OVS_REG_PRODUCT_ROOT;
constexpr char kCommon[] = OVS_REG_COMMON_ROOT;
// A root the cache does not list: everything written below it reaches the hive.
constexpr char kOtherRoot[] = "SOFTWARE\\VELDORAN\\WriterTest";

// "<result>:<text>" of a text read with default "dflt" into a buffer of `size` bytes.
std::string ReadText(LPCSTR keyPath, LPCSTR subKey, LPCSTR valueName, DWORD size = 64) {
    std::vector<char> buffer(size + 1, '#');
    const int result = Tool_GetRegCurrentUserString(keyPath, subKey, valueName, "dflt", buffer.data(), size);
    return std::to_string(result) + ":" + buffer.data() +
           (buffer[size] != '#' ? " written past the end" : "");
}

int ReadInt(LPCSTR keyPath, LPCSTR subKey, LPCSTR valueName) {
    return Tool_GetRegCurrentUserInt(keyPath, subKey, valueName, -12345);
}

// A value as the current user's hive holds it, without the terminator of a text, or "missing".
std::string HiveText(const std::string& keyPath, LPCSTR valueName) {
    const auto value = RawUserQuery(keyPath, valueName);
    if (!value) {
        return "missing";
    }
    std::string text(value->bytes.begin(), value->bytes.end());
    return value->type == REG_DWORD ? std::to_string(*reinterpret_cast<const int*>(text.data()))
                                    : text.substr(0, text.find('\0'));
}

TEST_F(CurrentUserTest, ListedTriplesAreCachedNotStored) {
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kProduct, "AuditTrail", "BatchSetting", "Yes"));
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kProduct, "Report", "HeaderDataStatus", ""));
    ASSERT_TRUE(Tool_WriteRegCurrentUserInt(kCommon, "SystemAdmin", "LoginTryCount", -70000));
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kProduct, "File", "IsDataOverwritten", "No"));
    const BYTE block[4] = {1, 0, 0, 0};
    ASSERT_TRUE(Tool_WriteRegCurrentUserBinary(kProduct, "Option", "UseMail", block, sizeof block));
    EXPECT_FALSE(ovs::test::RawUserKeyExists(ovs::test::kCurrentUserTree));
    // The cache keeps the characters without a terminator.
    EXPECT_EQ("3:Yes 2:Ye 0: 0:", ReadText(kProduct, "AuditTrail", "BatchSetting") + " " +
                                      ReadText(kProduct, "AuditTrail", "BatchSetting", 3) + " " +
                                      ReadText(kProduct, "AuditTrail", "BatchSetting", 1) + " " +
                                      ReadText(kProduct, "Report", "HeaderDataStatus"));
    EXPECT_EQ(3, Tool_GetRegCurrentUserString(kProduct, "AuditTrail", "BatchSetting", "dflt", nullptr, 0));
    // A cached text shorter than a number gives the default.
    EXPECT_EQ((std::vector<int>{-70000, -12345, 1}),
              (std::vector<int>{ReadInt(kCommon, "SystemAdmin", "LoginTryCount"),
                                ReadInt(kProduct, "File", "IsDataOverwritten"),
                                ReadInt(kProduct, "Option", "UseMail")}));
    // Binary reads never ask the cache.
    BYTE buffer[4] = {};
    const BYTE fallback[1] = {9};
    EXPECT_EQ(1u, Tool_GetRegCurrentUserBinary(kProduct, "Option", "UseMail", fallback, 1, buffer, 4));
    EXPECT_EQ(9, buffer[0]);
    ASSERT_TRUE(Tool_WriteRegCurrentUserString(kProduct, "AuditTrail", "BatchSetting", "No"));
    EXPECT_EQ("2:No", ReadText(kProduct, "AuditTrail", "BatchSetting"));
}

TEST_F(CurrentUserTest, NearMissesOfListedTriplesReachTheHive) {
    const std::string lowerRoot = "software\\veldoran\\orvantiscope\\orvantiscope2";
    const std::string composed = kProduct + "\\AuditTrail"s;
    const std::string trailing = kProduct + "\\"s;
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {lowerRoot.c_str(), "AuditTrail", "ConfigSetting"}, {kProduct, "audittrail", "ConfigSetting"},
        {kProduct, "AuditTrail", "configsetting"},          {composed.c_str(), nullptr, "ConfigSetting"},
        {trailing.c_str(), "AuditTrail", "ConfigSetting"},  {kProduct, "Report", "ConfigSetting"}};
    for (const auto& [keyPath, subKey, valueName] : cases) {
        const std::string text = keyPath + "|"s + (subKey ? subKey : "(null)") + "|" + valueName;
        SCOPED_TRACE(text);
        ovs::test::ResetCurrentUserTree();
        ASSERT_TRUE(Tool_WriteRegCurrentUserString(keyPath, subKey, valueName, text.c_str()));
        EXPECT_EQ(text, HiveText(kProduct + "\\"s + (subKey ? subKey : "AuditTrail"), valueName));
        EXPECT_EQ(std::to_string(text.size()) + ":" + text, ReadText(keyPath, subKey, valueName, 200));
    }
}

// How a test object fails a call: by its HRESULT or by its status; other calls answer S_OK and 0.
using Failure = std::pair<HRESULT, LONG>;
const Failure kFailures[] = {{E_FAIL, 0}, {S_OK, -1}};

HRESULT Answer(const std::map<LONG, Failure>& failures, LONG number, LONG* status) {
    const auto failure = failures.find(number);
    *status = failure == failures.end() ? 0 : failure->second.second;
    return failure == failures.end() ? S_OK : failure->second.first;
}

// The library calls only the slots it names; the objects live on the test's stack.
template <class Interface>
struct TestObject : Interface {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

// Every policy has the same value unless told otherwise; any one can fail.
struct TestPolicy : TestObject<IOVSUserPolicy> {
    LONG allValues = 0;
    std::map<LONG, LONG> values;
    std::map<LONG, Failure> failures;
    std::vector<LONG> calls;

    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPolicySwitch(LONG number, LONG* value, LONG* status) override {
        return GetPolicyNumber(number, value, status);
    }
    HRESULT STDMETHODCALLTYPE GetPolicyNumber(LONG number, LONG* value, LONG* status) override {
        calls.push_back(number);
        // A failed call's value must not be used.
        *value = failures.count(number) ? 1 : values.count(number) ? values[number] : allValues;
        return Answer(failures, number, status);
    }
};

using DataFormatAnswer = std::array<LONG, 4>; // kind, decimals, significant digits, fourth value

// clang-format off
#define OVS_RESERVED_SLOT(n) HRESULT STDMETHODCALLTYPE Reserved##n() override { return E_NOTIMPL; }
// clang-format on

// One data format for every number and one value for the four modes (none given: outputs left
// untouched), and a failure for any call. Calls are logged: format numbers, then slots 13 to 17.
struct TestSettings : TestObject<IOVSSysProjSetting> {
    std::optional<DataFormatAnswer> format;
    std::optional<LONG> mode;
    std::map<LONG, Failure> failures;
    std::vector<LONG> calls;

    // clang-format off
    OVS_RESERVED_SLOT(4) OVS_RESERVED_SLOT(5) OVS_RESERVED_SLOT(6) OVS_RESERVED_SLOT(7) OVS_RESERVED_SLOT(8)
    OVS_RESERVED_SLOT(9) OVS_RESERVED_SLOT(10) OVS_RESERVED_SLOT(12) OVS_RESERVED_SLOT(16)
    HRESULT STDMETHODCALLTYPE GetDataFormat(LONG number, LONG* kind, LONG* decimals, LONG* digits, LONG* fourth,
                                            LONG* status) override {
        // clang-format on
        calls.push_back(number);
        if (format) {
            std::tie(*kind, *decimals, *digits, *fourth) = std::tuple_cat(*format);
        }
        return Answer(failures, number, status);
    }
    HRESULT STDMETHODCALLTYPE GetAHFormatMode(LONG* v, LONG* s) override { return Mode(13, v, s); }
    HRESULT STDMETHODCALLTYPE GetDilutionFactor(LONG* v, LONG* s) override { return Mode(14, v, s); }
    HRESULT STDMETHODCALLTYPE GetTotalMode(LONG* v, LONG* s) override { return Mode(15, v, s); }
    HRESULT STDMETHODCALLTYPE GetDefaultXAxisCalibCurve(LONG* v, LONG* s) override { return Mode(17, v, s); }
    HRESULT Mode(LONG slot, LONG* value, LONG* status) {
        calls.push_back(slot);
        *value = mode.value_or(*value);
        return Answer(failures, slot, status);
    }
};

// How a row is written: N the number; Y "Yes" when 1; R "Yes" when 0; M "No" when 1.
struct PolicyRow {
    LONG number;
    char rule;
    std::string subKey; // below the common root for "SystemAdmin", else below the caller's root
    std::string valueName;
};

// The rows in the order in which the writer must read them.
const char kPolicyTable[] =
    "2010 N SystemAdmin LoginTryCount 2009 N SystemAdmin LoginLockTime 1019 Y SystemAdmin IsWindowsLogin "
    "1026 Y AuditTrail DefaultSetting 1027 Y AuditTrail BatchSetting 1028 Y AuditTrail ReportSetting "
    "1030 R AuditTrail ChangeInstrumentParam 1031 Y AuditTrail ConfigSetting "
    "1116 Y AuditTrail AttestInputReason 1117 Y AuditTrail SelectChangeReason "
    "1118 Y AuditTrail NeedBatchStopReason 1032 Y Report OutputFilenameOnItemTitle "
    "1033 Y Report InhibitFileReadPerItem 1034 Y Report HeaderParentType 1035 Y Report HeaderDataStatus "
    "1036 R File IsDataOverwritten 1037 R File IsMethodOverwritten 1038 R File IsReportOverwritten "
    "1039 R File IsBatchOverwritten 1040 R File IsAcqDataOverwritten 1119 Y AuditTrail ColumnAuditSetting "
    "1120 Y AuditTrail NeedColumnAuditSetting 1121 Y Option InhibitAcquitionNotColumn "
    "1130 R File EnableSaveAsData 1140 Y File UseOnlyMetaDataFile 2007 N SystemAdmin LoginTryCountUser "
    "2006 N SystemAdmin LoginLockTimeUser 2004 N SystemAdmin SamePwdPeriod 1029 Y Log IsAuditTrailLog "
    "1024 Y SystemAdmin IsPwdComplex 1016 M Option UseMail 1041 M Option UseMessage "
    "1042 Y Option SaveMethodDL 1048 Y Option CreatePDFFile 1049 Y Option PrintReportSaveData "
    "1111 Y Report InhibitPrintIfNotSaved 1150 Y Option BanEditExecutedBatchRow "
    "1151 Y Option BanPartialRunSelectedRow 1152 Y Option PermitPrunExecutedBatchRow";

std::vector<PolicyRow> PolicyRows() {
    std::vector<PolicyRow> rows;
    std::istringstream table(kPolicyTable);
    for (PolicyRow row; table >> row.number >> row.rule >> row.subKey >> row.valueName;) {
        rows.push_back(row);
    }
    return rows;
}
const std::vector<PolicyRow> kPolicyRows = PolicyRows();

// What a row should hold after the writer read `value` for it (or failed: the row's default).
std::string Expected(const PolicyRow& row, LONG value, bool failed) {
    if (row.rule == 'N') {
        return std::to_string(failed ? 0 : static_cast<short>(value & 0xFFFF));
    }
    const bool yes = row.rule == 'Y'   ? !failed && value == 1
                     : row.rule == 'R' ? failed || value == 0
                                       : failed || value != 1;
    return yes ? "Yes" : "No";
}

// What a row holds after the writer ran with the product root: two switch rows are not listed and
// reach the hive, the others are read from the cache.
std::string Stored(const PolicyRow& row) {
    const std::string keyPath = row.subKey == "SystemAdmin" ? kCommon : kProduct;
    if (row.rule == 'N') {
        return std::to_string(ReadInt(keyPath.c_str(), row.subKey.c_str(), row.valueName.c_str()));
    }
    if (row.number == 1111 || row.number == 1152) {
        return HiveText(keyPath + "\\" + row.subKey, row.valueName.c_str());
    }
    const std::string text = ReadText(keyPath.c_str(), row.subKey.c_str(), row.valueName.c_str());
    return text.substr(text.find(':') + 1);
}

TEST_F(CurrentUserTest, EveryPolicyIsReadOnceInOrderAndWrittenByItsRule) {
    // Numbers keep their low sixteen bits as a signed number.
    for (LONG value : {0, 1, 2, 5, 0x12345, 0xFFFF, -3, 0x18000}) {
        TestPolicy policy;
        policy.allValues = value;
        ASSERT_TRUE(Tool_WriteRegCurrentUserPolicy(kProduct, &policy));
        ASSERT_EQ(kPolicyRows.size(), policy.calls.size());
        for (size_t i = 0; i < policy.calls.size(); ++i) {
            EXPECT_EQ(kPolicyRows[i].number, policy.calls[i]);
            EXPECT_EQ(Expected(kPolicyRows[i], value, false), Stored(kPolicyRows[i]))
                << kPolicyRows[i].valueName << " = " << value;
        }
    }
    // A missing root or object writes nothing.
    TestPolicy policy;
    TestSettings settings;
    EXPECT_TRUE(Tool_WriteRegCurrentUserPolicy(nullptr, &policy) &&
                Tool_WriteRegCurrentUserPolicy(kProduct, nullptr) &&
                Tool_WriteRegCurrentUserSysProjSetting(nullptr, &settings) &&
                Tool_WriteRegCurrentUserSysProjSetting(kProduct, nullptr));
    EXPECT_TRUE(policy.calls.empty() && settings.calls.empty());
}

TEST_F(CurrentUserTest, AFailedCallWritesTheDefaultOfItsRowOnly) {
    for (const Failure& how : kFailures) {
        for (const PolicyRow& failing : kPolicyRows) {
            TestPolicy policy;
            policy.allValues = 1;
            policy.failures[failing.number] = how;
            ASSERT_TRUE(Tool_WriteRegCurrentUserPolicy(kProduct, &policy));
            for (const PolicyRow& row : kPolicyRows) {
                EXPECT_EQ(Expected(row, 1, row.number == failing.number), Stored(row))
                    << row.valueName << " with " << failing.valueName << " failing by " << how.first;
            }
        }
    }
}

// In a fresh process: listed triples give the caller's default until written, whatever the hive
// holds; a root that differs only in letter case writes to the hive and leaves the cache empty.
const ovs::test::ChildMode kFreshProcess("policy-fresh-process", [](const std::vector<std::string>&) {
    char buffer[16] = "#";
    const bool fresh =
        ReadText(kProduct, "AuditTrail", "DefaultSetting") == "4:dflt" &&
        Tool_GetRegCurrentUserString(kProduct, "AuditTrail", "DefaultSetting", "dflt", nullptr, 0) == 0 &&
        Tool_GetRegCurrentUserString(kProduct, "AuditTrail", "DefaultSetting", nullptr, buffer, 16) == 0 &&
        buffer[0] == '\0' && Tool_GetRegCurrentUserInt(kCommon, "SystemAdmin", "LoginLockTime", -9) == -9 &&
        Tool_GetRegCurrentUserInt(kCommon, "SystemAdmin", "NotListed", -9) == 77; // not listed: the hive
    TestPolicy policy;
    Tool_WriteRegCurrentUserPolicy("software\\veldoran\\orvantiscope\\orvantiscope2", &policy);
    // The common-root rows ignore the caller's root and were cached all the same.
    const bool otherCase = HiveText(kProduct + "\\AuditTrail"s, "DefaultSetting") == "No" &&
                           ReadText(kProduct, "AuditTrail", "DefaultSetting") == "4:dflt" &&
                           Tool_GetRegCurrentUserInt(kCommon, "SystemAdmin", "LoginTryCount", -1) == 0;
    policy.values[1026] = 1;
    Tool_WriteRegCurrentUserPolicy(kProduct, &policy);
    // The exit code's bits name the parts that failed.
    return (fresh ? 0 : 1) | (otherCase ? 0 : 2) |
           (ReadText(kProduct, "AuditTrail", "DefaultSetting") == "3:Yes" ? 0 : 4);
});

TEST_F(CurrentUserTest, CacheAnswersOnlyWhatTheProcessWroteWithTheExactRoot) {
    ASSERT_TRUE(ovs::test::RawUserSetText(kProduct + "\\AuditTrail"s, "DefaultSetting", "Yes"));
    ASSERT_TRUE(ovs::test::RawUserSetInt(kCommon + "\\SystemAdmin"s, "LoginLockTime", 30));
    ASSERT_TRUE(ovs::test::RawUserSetInt(kCommon + "\\SystemAdmin"s, "NotListed", 77));
    const ovs::test::ChildResult child = ovs::test::RunChild("policy-fresh-process");
    ASSERT_TRUE(child.finished);
    EXPECT_EQ(0u, child.exitCode);
}

const LONG kFormatNumbers[] = {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012,
                               1013, 1014, 1015, 1016, 1017, 1018, 1043, 1019, 1020, 1021, 1022, 1023,
                               1024, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035,
                               1036, 1037, 1038, 1039, 1040, 1041, 1042, 1044, 1045, 1046, 1047, 1048,
                               1049, 1050, 1051, 1052, 1053, 1101, 1102, 1103, 1104, 1105, 1106, 1107};

TEST_F(CurrentUserTest, FormatsAreReadInOrderAndStoredAsFourNumbersModesAsTextsOrInts) {
    // Other kinds are fixed; untouched outputs give the starting values.
    const std::pair<std::optional<DataFormatAnswer>, const char*> cases[] = {
        {{{3, 4, 5, 2}}, "3,0,5,2"}, {{{2, 3, 8, 3}}, "2,3,8,3"}, {{{1, 2, 0, 1}}, "1,2,0,1"},
        {{{4, 2, 3, 1}}, "1,2,3,1"}, {{{0, 2, 3, 1}}, "1,2,3,1"}, {{{1, 0x10003, 0x1FFFF, 2}}, "1,3,-1,2"},
        {{{1, 2, 0, 7}}, "1,2,0,1"}, {{{1, 2, 0, 0}}, "1,2,0,1"}, {std::nullopt, "1,0,0,1"}};
    for (const auto& [given, stored] : cases) {
        SCOPED_TRACE(stored);
        TestSettings settings;
        settings.format = given;
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kOtherRoot, &settings));
        std::vector<LONG> expected(std::begin(kFormatNumbers), std::end(kFormatNumbers));
        expected.insert(expected.end(), {13, 15, 14, 17});
        EXPECT_EQ(expected, settings.calls);
        for (LPCSTR name : {"R.Time", "k'", "A/H", "CC", "GPCViscosity"}) {
            EXPECT_EQ(stored, HiveText(kOtherRoot + "\\DataFormat"s, name)) << name;
        }
    }
    constexpr LONG kUntouched = 0x7FFF;
    for (LONG given : {0L, 5L, -2L, kUntouched}) {
        TestSettings settings;
        settings.mode = given == kUntouched ? std::nullopt : std::optional<LONG>(given);
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kOtherRoot, &settings));
        const std::string onOff = given == 0 ? "0 " : "1 ";
        EXPECT_EQ(onOff + onOff + onOff + std::to_string(given == kUntouched ? 1 : given),
                  HiveText(kOtherRoot + "\\DataFormat"s, "AH Format Mode") + " " +
                      HiveText(kOtherRoot + "\\DataFormat"s, "Total Mode") + " " +
                      HiveText(kOtherRoot + "\\Option"s, "DilutionFactor") + " " +
                      HiveText(kOtherRoot + "\\Option"s, "DefaultXAxisCalibCurve"));
    }
}

TEST_F(CurrentUserTest, AFailedCallDeletesTheHiveValueAndKeepsTheCache) {
    const std::string dataFormat = kOtherRoot + "\\DataFormat"s;
    for (const Failure& how : kFailures) {
        TestSettings good;
        good.format = {1, 4, 0, 1};
        good.mode = 3;
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kOtherRoot, &good));
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kProduct, &good));

        TestSettings failing;
        failing.format = {2, 2, 0, 1};
        for (LONG call : {1002, 17, 13}) {
            failing.failures[call] = how;
        }
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kOtherRoot, &failing));
        EXPECT_EQ("missing missing missing 2,2,0,1 1",
                  HiveText(dataFormat, "Conc.") + " " +
                      HiveText(kOtherRoot + "\\Option"s, "DefaultXAxisCalibCurve") + " " +
                      HiveText(dataFormat, "AH Format Mode") + " " + HiveText(dataFormat, "Conc.%") + " " +
                      HiveText(dataFormat, "Total Mode"));

        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kProduct, &failing));
        EXPECT_EQ("7:1,4,0,1", ReadText(kProduct, "DataFormat", "Conc."));
        EXPECT_EQ("missing", HiveText(kProduct + "\\DataFormat"s, "Conc."));
        EXPECT_EQ(3, ReadInt(kProduct, "Option", "DefaultXAxisCalibCurve"));
    }
}

} // namespace
