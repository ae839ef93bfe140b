#include "test_support.h"
#include "current_user_raw.h"
#include "ovsreg.h"
#include "ovsregcurrentuser.h"
#include "ovstoolnumberformat.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

using ovs::test::CurrentUserTest;
using ovs::test::RawUserQuery;
using ovs::test::RawUserSetText;
using ovs::test::TextBytes;

namespace {

constexpr char kProduct[] = OVS_REG_PRODUCT_ROOT;
constexpr char kCommon[] = OVS_REG_COMMON_ROOT;
// A root the cache does not list: everything written below it reaches the hive.
constexpr char kOtherRoot[] = "SOFTWARE\\VELDORAN\\WriterTest";

// How a test object answers one call.
enum class Failure { None, HResult, Status };

bool Fails(Failure failure, HRESULT* hr, LONG* status) {
    *hr = failure == Failure::HResult ? E_FAIL : S_OK;
    *status = failure == Failure::Status ? -1 : 0;
    return failure != Failure::None;
}

// IUnknown of a test object that lives on the stack for the length of one test.
template <class Interface>
class StackObject : public Interface {
public:
    explicit StackObject(const IID& iid) : m_iid(iid) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == m_iid) {
            *object = static_cast<Interface*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

private:
    IID m_iid;
};

// A policy object that gives every policy the same value unless told otherwise, and can fail any
// single policy by its HRESULT or its status.
class TestPolicy : public StackObject<IOVSUserPolicy> {
public:
    TestPolicy() : StackObject(IID_IOVSUserPolicy) {}
    LONG allValues = 0;
    std::map<LONG, LONG> values;
    std::map<LONG, Failure> failures;
    std::vector<LONG> calls;

    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPolicySwitch(LONG number, LONG* value, LONG* status) override {
        return Answer(number, value, status);
    }
    HRESULT STDMETHODCALLTYPE GetPolicyNumber(LONG number, LONG* value, LONG* status) override {
        return Answer(number, value, status);
    }

private:
    HRESULT Answer(LONG number, LONG* value, LONG* status) {
        calls.push_back(number);
        HRESULT hr;
        const auto failure = failures.find(number);
        if (Fails(failure == failures.end() ? Failure::None : failure->second, &hr, status)) {
            *value = 1; // a failed call's value must not be used
            return hr;
        }
        const auto given = values.find(number);
        *value = given == values.end() ? allValues : given->second;
        return hr;
    }
};

struct DataFormatAnswer {
    LONG kind, decimals, digits, fourth;
};

// A settings object with a data format per number (none given: outputs left untouched), the four
// modes, and a failure for any single call. Slot calls are logged: format numbers, then 13 to 17.
class TestSettings : public StackObject<IOVSSysProjSetting> {
public:
    TestSettings() : StackObject(IID_IOVSSysProjSetting) {}
    std::map<LONG, DataFormatAnswer> formats;
    std::map<LONG, Failure> formatFailures;
    std::map<int, LONG> modes;           // by slot; a missing slot leaves the output untouched
    std::map<int, Failure> modeFailures; // by slot
    std::vector<LONG> calls;

    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved9() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDataFormat(LONG number, LONG* kind, LONG* decimals, LONG* digits,
                                            LONG* fourth, LONG* status) override {
        calls.push_back(number);
        HRESULT hr;
        const auto failure = formatFailures.find(number);
        if (Fails(failure == formatFailures.end() ? Failure::None : failure->second, &hr, status)) {
            return hr;
        }
        const auto given = formats.find(number);
        if (given != formats.end()) {
            *kind = given->second.kind;
            *decimals = given->second.decimals;
            *digits = given->second.digits;
            *fourth = given->second.fourth;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Reserved12() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAHFormatMode(LONG* value, LONG* status) override {
        return Mode(13, value, status);
    }
    HRESULT STDMETHODCALLTYPE GetDilutionFactor(LONG* value, LONG* status) override {
        return Mode(14, value, status);
    }
    HRESULT STDMETHODCALLTYPE GetTotalMode(LONG* value, LONG* status) override {
        return Mode(15, value, status);
    }
    HRESULT STDMETHODCALLTYPE Reserved16() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDefaultXAxisCalibCurve(LONG* value, LONG* status) override {
        return Mode(17, value, status);
    }

private:
    HRESULT Mode(int slot, LONG* value, LONG* status) {
        calls.push_back(slot);
        HRESULT hr;
        const auto failure = modeFailures.find(slot);
        if (Fails(failure == modeFailures.end() ? Failure::None : failure->second, &hr, status)) {
            return hr;
        }
        const auto given = modes.find(slot);
        if (given != modes.end()) {
            *value = given->second;
        }
        return hr;
    }
};

std::string ReadText(LPCSTR keyPath, LPCSTR subKey, LPCSTR valueName) {
    char buffer[64] = "#";
    Tool_GetRegCurrentUserString(keyPath, subKey, valueName, "unset", buffer, sizeof buffer);
    return buffer;
}

int ReadInt(LPCSTR keyPath, LPCSTR subKey, LPCSTR valueName) {
    return Tool_GetRegCurrentUserInt(keyPath, subKey, valueName, -12345);
}

// A text value as the hive holds it, without the terminator that the platform adds.
std::string HiveText(const std::string& keyPath, LPCSTR valueName) {
    const auto value = RawUserQuery(keyPath, valueName);
    if (!value) {
        return "missing";
    }
    std::string text(value->bytes.begin(), value->bytes.end());
    if (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

// ---- The policy writer ---------------------------------------------------------------------------

enum class Kind { Number, Switch };
enum class Where { Common, Root };

struct PolicyRowCase {
    LONG number;
    Kind kind;
    Where where;
    const char* subKey;
    const char* valueName;
    const char* whenZero; // switch text for the value 0 (and for a failed read)
    const char* whenOne;
    const char* whenTwo;
};

// The rows in the order in which the writer must read them.
const PolicyRowCase kPolicyRows[] = {
    {2010, Kind::Number, Where::Common, "SystemAdmin", "LoginTryCount", nullptr, nullptr, nullptr},
    {2009, Kind::Number, Where::Common, "SystemAdmin", "LoginLockTime", nullptr, nullptr, nullptr},
    {1019, Kind::Switch, Where::Common, "SystemAdmin", "IsWindowsLogin", "No", "Yes", "No"},
    {1026, Kind::Switch, Where::Root, "AuditTrail", "DefaultSetting", "No", "Yes", "No"},
    {1027, Kind::Switch, Where::Root, "AuditTrail", "BatchSetting", "No", "Yes", "No"},
    {1028, Kind::Switch, Where::Root, "AuditTrail", "ReportSetting", "No", "Yes", "No"},
    {1030, Kind::Switch, Where::Root, "AuditTrail", "ChangeInstrumentParam", "Yes", "No", "No"},
    {1031, Kind::Switch, Where::Root, "AuditTrail", "ConfigSetting", "No", "Yes", "No"},
    {1116, Kind::Switch, Where::Root, "AuditTrail", "AttestInputReason", "No", "Yes", "No"},
    {1117, Kind::Switch, Where::Root, "AuditTrail", "SelectChangeReason", "No", "Yes", "No"},
    {1118, Kind::Switch, Where::Root, "AuditTrail", "NeedBatchStopReason", "No", "Yes", "No"},
    {1032, Kind::Switch, Where::Root, "Report", "OutputFilenameOnItemTitle", "No", "Yes", "No"},
    {1033, Kind::Switch, Where::Root, "Report", "InhibitFileReadPerItem", "No", "Yes", "No"},
    {1034, Kind::Switch, Where::Root, "Report", "HeaderParentType", "No", "Yes", "No"},
    {1035, Kind::Switch, Where::Root, "Report", "HeaderDataStatus", "No", "Yes", "No"},
    {1036, Kind::Switch, Where::Root, "File", "IsDataOverwritten", "Yes", "No", "No"},
    {1037, Kind::Switch, Where::Root, "File", "IsMethodOverwritten", "Yes", "No", "No"},
    {1038, Kind::Switch, Where::Root, "File", "IsReportOverwritten", "Yes", "No", "No"},
    {1039, Kind::Switch, Where::Root, "File", "IsBatchOverwritten", "Yes", "No", "No"},
    {1040, Kind::Switch, Where::Root, "File", "IsAcqDataOverwritten", "Yes", "No", "No"},
    {1119, Kind::Switch, Where::Root, "AuditTrail", "ColumnAuditSetting", "No", "Yes", "No"},
    {1120, Kind::Switch, Where::Root, "AuditTrail", "NeedColumnAuditSetting", "No", "Yes", "No"},
    {1121, Kind::Switch, Where::Root, "Option", "InhibitAcquitionNotColumn", "No", "Yes", "No"},
    {1130, Kind::Switch, Where::Root, "File", "EnableSaveAsData", "Yes", "No", "No"},
    {1140, Kind::Switch, Where::Root, "File", "UseOnlyMetaDataFile", "No", "Yes", "No"},
    {2007, Kind::Number, Where::Common, "SystemAdmin", "LoginTryCountUser", nullptr, nullptr, nullptr},
    {2006, Kind::Number, Where::Common, "SystemAdmin", "LoginLockTimeUser", nullptr, nullptr, nullptr},
    {2004, Kind::Number, Where::Common, "SystemAdmin", "SamePwdPeriod", nullptr, nullptr, nullptr},
    {1029, Kind::Switch, Where::Root, "Log", "IsAuditTrailLog", "No", "Yes", "No"},
    {1024, Kind::Switch, Where::Common, "SystemAdmin", "IsPwdComplex", "No", "Yes", "No"},
    {1016, Kind::Switch, Where::Root, "Option", "UseMail", "Yes", "No", "Yes"},
    {1041, Kind::Switch, Where::Root, "Option", "UseMessage", "Yes", "No", "Yes"},
    {1042, Kind::Switch, Where::Root, "Option", "SaveMethodDL", "No", "Yes", "No"},
    {1048, Kind::Switch, Where::Root, "Option", "CreatePDFFile", "No", "Yes", "No"},
    {1049, Kind::Switch, Where::Root, "Option", "PrintReportSaveData", "No", "Yes", "No"},
    {1111, Kind::Switch, Where::Root, "Report", "InhibitPrintIfNotSaved", "No", "Yes", "No"},
    {1150, Kind::Switch, Where::Root, "Option", "BanEditExecutedBatchRow", "No", "Yes", "No"},
    {1151, Kind::Switch, Where::Root, "Option", "BanPartialRunSelectedRow", "No", "Yes", "No"},
    {1152, Kind::Switch, Where::Root, "Option", "PermitPrunExecutedBatchRow", "No", "Yes", "No"},
};

// Number rows always land in the cache (they are all below the common root); of the switch rows,
// these two are not listed and reach the hive.
bool ReachesTheHive(const PolicyRowCase& row) {
    return std::strcmp(row.valueName, "InhibitPrintIfNotSaved") == 0 ||
           std::strcmp(row.valueName, "PermitPrunExecutedBatchRow") == 0;
}

// What a read of the row gives after the writer ran with the given root: a switch text or the
// number as text.
std::string Stored(const PolicyRowCase& row, LPCSTR root) {
    const char* keyPath = row.where == Where::Common ? kCommon : root;
    if (row.kind == Kind::Number) {
        return std::to_string(ReadInt(keyPath, row.subKey, row.valueName));
    }
    if (ReachesTheHive(row)) {
        return HiveText(std::string(keyPath) + "\\" + row.subKey, row.valueName);
    }
    return ReadText(keyPath, row.subKey, row.valueName);
}

class PolicyWriterTest : public CurrentUserTest {};

TEST_F(PolicyWriterTest, ReadsEveryPolicyOnceInTheTableOrder) {
    TestPolicy policy;
    EXPECT_TRUE(Tool_WriteRegCurrentUserPolicy(kProduct, &policy));
    std::vector<LONG> expected;
    for (const PolicyRowCase& row : kPolicyRows) {
        expected.push_back(row.number);
    }
    EXPECT_EQ(expected, policy.calls);
}

TEST_F(PolicyWriterTest, SwitchesBecomeYesOrNoByTheirRule) {
    for (LONG value : {0, 1, 2}) {
        TestPolicy policy;
        policy.allValues = value;
        ASSERT_TRUE(Tool_WriteRegCurrentUserPolicy(kProduct, &policy));
        for (const PolicyRowCase& row : kPolicyRows) {
            if (row.kind == Kind::Switch) {
                const char* expected = value == 0 ? row.whenZero : value == 1 ? row.whenOne : row.whenTwo;
                EXPECT_EQ(expected, Stored(row, kProduct)) << row.valueName << " = " << value;
            }
        }
    }
}

TEST_F(PolicyWriterTest, NumbersKeepTheirLowSixteenBitsAsASignedNumber) {
    const std::pair<LONG, int> cases[] = {
        {5, 5}, {0x12345, 0x2345}, {0xFFFF, -1}, {-3, -3}, {0x18000, -32768}};
    for (const auto& [given, expected] : cases) {
        TestPolicy policy;
        policy.allValues = given;
        ASSERT_TRUE(Tool_WriteRegCurrentUserPolicy(kProduct, &policy));
        for (const PolicyRowCase& row : kPolicyRows) {
            if (row.kind == Kind::Number) {
                EXPECT_EQ(std::to_string(expected), Stored(row, kProduct)) << row.valueName << " = " << given;
            }
        }
    }
}

TEST_F(PolicyWriterTest, AFailedCallWritesTheDefaultOfItsRowOnly) {
    for (Failure how : {Failure::HResult, Failure::Status}) {
        for (const PolicyRowCase& failing : kPolicyRows) {
            TestPolicy policy;
            policy.allValues = 1;
            policy.failures[failing.number] = how;
            ASSERT_TRUE(Tool_WriteRegCurrentUserPolicy(kProduct, &policy));
            for (const PolicyRowCase& row : kPolicyRows) {
                const bool failed = row.number == failing.number;
                const std::string expected = row.kind == Kind::Number ? (failed ? "0" : "1")
                                             : failed                 ? row.whenZero
                                                                      : row.whenOne;
                EXPECT_EQ(expected, Stored(row, kProduct))
                    << row.valueName << " with " << failing.valueName << " failing by "
                    << (how == Failure::HResult ? "HRESULT" : "status");
            }
        }
    }
}

TEST_F(PolicyWriterTest, ChangeInstrumentParamFailingIsYesAndDefaultSettingNo) {
    TestPolicy policy;
    policy.allValues = 1;
    policy.failures[1030] = Failure::HResult;
    policy.failures[1026] = Failure::Status;
    ASSERT_TRUE(Tool_WriteRegCurrentUserPolicy(kProduct, &policy));
    EXPECT_EQ("Yes", ReadText(kProduct, "AuditTrail", "ChangeInstrumentParam"));
    EXPECT_EQ("No", ReadText(kProduct, "AuditTrail", "DefaultSetting"));
}

TEST_F(PolicyWriterTest, MissingRootOrObjectWritesNothing) {
    TestPolicy policy;
    EXPECT_TRUE(Tool_WriteRegCurrentUserPolicy(nullptr, &policy));
    EXPECT_TRUE(policy.calls.empty());
    EXPECT_TRUE(Tool_WriteRegCurrentUserPolicy(kProduct, nullptr));
    TestSettings settings;
    EXPECT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(nullptr, &settings));
    EXPECT_TRUE(settings.calls.empty());
    EXPECT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kProduct, nullptr));
}

// In a fresh process: reads of listed values give the default until the writer runs; a root that
// differs only in letter case writes to the hive and leaves the cache empty.
int RunBeforeAndAfter(const std::vector<std::string>&) {
    int result = 0;
    char buffer[16] = "#";
    if (Tool_GetRegCurrentUserString(kProduct, "AuditTrail", "DefaultSetting", "dflt", buffer,
                                     sizeof buffer) != 4 ||
        std::strcmp(buffer, "dflt") != 0) {
        return 10;
    }
    TestPolicy policy;
    policy.values[1026] = 1;
    const std::string lowerRoot = "software\\veldoran\\orvantiscope\\orvantiscope2";
    Tool_WriteRegCurrentUserPolicy(lowerRoot.c_str(), &policy);
    if (HiveText(std::string(kProduct) + "\\AuditTrail", "DefaultSetting") != "Yes") {
        return 11;
    }
    result =
        Tool_GetRegCurrentUserString(kProduct, "AuditTrail", "DefaultSetting", "dflt", buffer, sizeof buffer);
    if (result != 4 || std::strcmp(buffer, "dflt") != 0) {
        return 12; // the cache was filled by a root of other letter case
    }
    // The common-root rows ignore the caller's root and were cached all the same.
    if (Tool_GetRegCurrentUserInt(kCommon, "SystemAdmin", "LoginTryCount", -1) != 0) {
        return 13;
    }
    Tool_WriteRegCurrentUserPolicy(kProduct, &policy);
    result =
        Tool_GetRegCurrentUserString(kProduct, "AuditTrail", "DefaultSetting", "dflt", buffer, sizeof buffer);
    if (result != 3 || std::strcmp(buffer, "Yes") != 0) {
        return 14;
    }
    return 0;
}
ovs::test::ChildMode beforeAndAfterMode("policy-before-after", RunBeforeAndAfter);

TEST_F(PolicyWriterTest, CacheAnswersOnlyAfterTheWriterWithTheExactRoot) {
    ASSERT_TRUE(RawUserSetText(std::string(kProduct) + "\\AuditTrail", "DefaultSetting", "Yes"));
    const ovs::test::ChildResult child = ovs::test::RunChild("policy-before-after");
    ASSERT_TRUE(child.finished);
    EXPECT_EQ(0u, child.exitCode);
}

// ---- The settings writer -------------------------------------------------------------------------

class SettingsWriterTest : public CurrentUserTest {};

const LONG kFormatNumbers[] = {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012,
                               1013, 1014, 1015, 1016, 1017, 1018, 1043, 1019, 1020, 1021, 1022, 1023,
                               1024, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035,
                               1036, 1037, 1038, 1039, 1040, 1041, 1042, 1044, 1045, 1046, 1047, 1048,
                               1049, 1050, 1051, 1052, 1053, 1101, 1102, 1103, 1104, 1105, 1106, 1107};

TEST_F(SettingsWriterTest, ReadsEveryFormatThenTheFourModes) {
    TestSettings settings;
    ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kProduct, &settings));
    std::vector<LONG> expected(std::begin(kFormatNumbers), std::end(kFormatNumbers));
    for (LONG slot : {13, 15, 14, 17}) {
        expected.push_back(slot);
    }
    EXPECT_EQ(expected, settings.calls);
}

struct FormatCase {
    const char* name;
    DataFormatAnswer given;
    const char* stored;
};

TEST_F(SettingsWriterTest, FormatsAreStoredAsFourNumbers) {
    const FormatCase cases[] = {
        {"significant digits", {3, 4, 5, 2}, "3,0,5,2"},
        {"exponent", {2, 3, 8, 3}, "2,3,8,3"},
        {"fixed", {1, 2, 0, 1}, "1,2,0,1"},
        {"other kinds are fixed", {4, 2, 3, 1}, "1,2,3,1"},
        {"kind 0 is fixed", {0, 2, 3, 1}, "1,2,3,1"},
        {"sixteen-bit decimals", {1, 0x10003, 0x1FFFF, 2}, "1,3,-1,2"},
        {"fourth value outside 1 to 3", {1, 2, 0, 7}, "1,2,0,1"},
        {"fourth value 0", {1, 2, 0, 0}, "1,2,0,1"},
    };
    for (const FormatCase& c : cases) {
        TestSettings settings;
        for (LONG number : kFormatNumbers) {
            settings.formats[number] = c.given;
        }
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kOtherRoot, &settings));
        EXPECT_EQ(TextBytes(c.stored, true),
                  RawUserQuery(std::string(kOtherRoot) + "\\DataFormat", "k'")->bytes)
            << c.name;
        EXPECT_EQ(TextBytes(c.stored, true),
                  RawUserQuery(std::string(kOtherRoot) + "\\DataFormat", "GPCViscosity")->bytes)
            << c.name;
    }
}

TEST_F(SettingsWriterTest, UntouchedOutputsGiveTheStartingValues) {
    TestSettings settings;
    ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kOtherRoot, &settings));
    const std::string dataFormat = std::string(kOtherRoot) + "\\DataFormat";
    EXPECT_EQ(TextBytes("1,0,0,1", true), RawUserQuery(dataFormat, "R.Time")->bytes);
    EXPECT_EQ(TextBytes("1", true), RawUserQuery(dataFormat, "AH Format Mode")->bytes);
    EXPECT_EQ(TextBytes("1", true), RawUserQuery(dataFormat, "Total Mode")->bytes);
    const std::string option = std::string(kOtherRoot) + "\\Option";
    EXPECT_EQ(1, *reinterpret_cast<const DWORD*>(RawUserQuery(option, "DilutionFactor")->bytes.data()));
    EXPECT_EQ(1,
              *reinterpret_cast<const DWORD*>(RawUserQuery(option, "DefaultXAxisCalibCurve")->bytes.data()));
}

TEST_F(SettingsWriterTest, ModesAreStoredAsTextsOrInts) {
    const std::pair<LONG, LONG> cases[] = {{0, 0}, {1, 1}, {5, 1}, {-2, 1}};
    for (const auto& [given, onOff] : cases) {
        TestSettings settings;
        for (int slot : {13, 14, 15, 17}) {
            settings.modes[slot] = given;
        }
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kProduct, &settings));
        const std::string text = onOff != 0 ? "1" : "0";
        EXPECT_EQ(text, ReadText(kProduct, "DataFormat", "AH Format Mode")) << given;
        EXPECT_EQ(text, ReadText(kProduct, "DataFormat", "Total Mode")) << given;
        EXPECT_EQ(onOff, ReadInt(kProduct, "Option", "DilutionFactor")) << given;
        EXPECT_EQ(given, ReadInt(kProduct, "Option", "DefaultXAxisCalibCurve")) << given;
    }
}

TEST_F(SettingsWriterTest, ProductRootFormatsAreReadBackByTheFormatter) {
    TestSettings settings;
    settings.formats[1001] = {1, 3, 0, 1};
    settings.formats[1005] = {3, 9, 4, 2};
    ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kProduct, &settings));
    EXPECT_FALSE(RawUserQuery(std::string(kProduct) + "\\DataFormat", "R.Time").has_value());
    OVS_DATAFORMAT format{};
    ASSERT_TRUE(Tool_GetRegDataFormat2("R.Time", "9,9,9,9", &format));
    EXPECT_EQ(1, format.wKind);
    EXPECT_EQ(3, format.wDecimals);
    ASSERT_TRUE(Tool_GetRegDataFormat2("Area", "9,9,9,9", &format));
    EXPECT_EQ(3, format.wKind);
    EXPECT_EQ(0, format.wDecimals);
    EXPECT_EQ(4, format.wSignificantDigits);
    EXPECT_EQ(2, format.wFourth);
}

TEST_F(SettingsWriterTest, AFailedCallDeletesTheHiveValueAndKeepsTheCache) {
    const std::string dataFormat = std::string(kOtherRoot) + "\\DataFormat";
    const std::string option = std::string(kOtherRoot) + "\\Option";
    for (Failure how : {Failure::HResult, Failure::Status}) {
        TestSettings good;
        good.formats[1002] = {1, 4, 0, 1};
        good.modes[17] = 3;
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kOtherRoot, &good));
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kProduct, &good));

        TestSettings failing;
        failing.formats[1002] = {2, 2, 0, 1};
        failing.formatFailures[1002] = how;
        failing.modeFailures[17] = how;
        failing.modeFailures[13] = how;
        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kOtherRoot, &failing));
        EXPECT_FALSE(RawUserQuery(dataFormat, "Conc.").has_value());
        EXPECT_FALSE(RawUserQuery(option, "DefaultXAxisCalibCurve").has_value());
        EXPECT_FALSE(RawUserQuery(dataFormat, "AH Format Mode").has_value());
        EXPECT_EQ(TextBytes("1,0,0,1", true), RawUserQuery(dataFormat, "Conc.%")->bytes);
        EXPECT_TRUE(RawUserQuery(dataFormat, "Total Mode").has_value());

        ASSERT_TRUE(Tool_WriteRegCurrentUserSysProjSetting(kProduct, &failing));
        EXPECT_EQ("1,4,0,1", ReadText(kProduct, "DataFormat", "Conc."));
        EXPECT_EQ(3, ReadInt(kProduct, "Option", "DefaultXAxisCalibCurve"));
    }
}

} // namespace
