// Coded results and labels against the resource text module as the oracle, in
// English and in a code page 932 process; default sample types through the
// sample-type component stand-in.
#include "OVSTools2.h"
#include "cp932_child.h"
#include "ovsres.h"
#include "sample_type_standin.h"
#include "test_support.h"
#include "unique_resource.h"

#include <objbase.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::string Text(UINT id) {
    CString text;
    RES_LoadString(id, text, 1);
    return text.GetString();
}

TEST(Labels, EveryCodeOfEveryTableAndTheCodesAroundThem) {
    // Code, text number, attribute; a number of 0 marks a code outside the table.
    using Row = std::tuple<WORD, UINT, WORD>;
    const Row actions[] = {{0, 0, 0},    {1, 2394, 3}, {2, 2395, 3}, {3, 2396, 3}, {4, 2397, 3},  {5, 0, 0},
                           {6, 2399, 4}, {7, 2400, 3}, {8, 2401, 3}, {9, 2402, 3}, {10, 2403, 3}, {11, 0, 0}};
    const Row targets[] = {{0, 0, 0},     {1, 2373, 3},  {2, 2374, 3},  {3, 2375, 3},  {4, 2376, 3},
                           {5, 2377, 3},  {6, 2378, 3},  {7, 2379, 3},  {8, 2380, 3},  {9, 2381, 2},
                           {10, 2382, 3}, {11, 0, 0},    {14, 0, 0},    {15, 2383, 2}, {16, 0, 0},
                           {20, 2384, 3}, {21, 2385, 3}, {22, 2386, 3}, {23, 0, 0},    {25, 2387, 3},
                           {26, 2388, 3}, {30, 2389, 3}, {31, 2390, 3}, {32, 2391, 3}, {33, 0, 0},
                           {65535, 0, 0}};
    for (const auto& [rows, load] :
         {std::pair{std::vector<Row>(std::begin(actions), std::end(actions)), &Tool_GetBatchActionStr},
          std::pair{std::vector<Row>(std::begin(targets), std::end(targets)), &Tool_GetBatchTargetStr}}) {
        for (const auto& [code, id, attribute] : rows) {
            CString out("old");
            EXPECT_EQ(attribute, load(code, out, 7)) << code;
            EXPECT_EQ(id == 0 ? "" : Text(id), out.GetString()) << code;
        }
    }
    const UINT functions[] = {0, 0, 864, 865, 866, 867, 869, 898, 896, 897, 0}; // codes -1 to 9
    for (short code = -1; code <= 9; ++code) {
        EXPECT_EQ(functions[code + 1] == 0 ? "" : Text(functions[code + 1]),
                  Tool_GetFunctionString(code).GetString());
    }
    const UINT types[] = {33490, 33490, 33488, 33489, 33490, 33491, 33490}; // codes -1 to 5
    for (short code = -1; code <= 5; ++code) {
        EXPECT_EQ(Text(types[code + 1]), Tool_GetTypeString(code).GetString()) << code;
    }
    const UINT sampleTypes[] = {0, 8212, 8213, 8214, 8215, 8216, 8270, 273, 0}; // indexes -1 to 7
    for (int index = -1; index <= 7; ++index) {
        CString out("old");
        const std::string expected = sampleTypes[index + 1] == 0 ? "" : Text(sampleTypes[index + 1]);
        EXPECT_EQ(static_cast<int>(expected.size()), Tool_GetSampleTypeName(index, out)) << index;
        EXPECT_EQ(expected, out.GetString()) << index;
    }
    const std::string qualifier = "(" + Text(33494) + ")";
    const std::tuple<DWORD, DWORD, std::string> modes[] = {{0, 0, Text(33493)},
                                                           {0x8000, 0, Text(33492)},
                                                           {0, 0x200, Text(33492)},
                                                           {0x7fff, 0xfdff, Text(33493) + qualifier},
                                                           {0x10000, 0x200, Text(33492) + qualifier},
                                                           {0xfffeffbf & ~0x8000u, 0, Text(33493)}};
    for (const auto& [flags1, flags2, text] : modes) {
        EXPECT_EQ(text, Tool_GetModeString(flags1, flags2).GetString()) << std::hex << flags1;
    }
}

TEST(Labels, JudgementTextsInTheirOrder) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        WORD limitFlags;
        WORD flagsA;
        LONG flagsB;
        double value;
        std::string text;
    } cases[] = {
        {0, 0, 0, 1.0, ""},
        {0, 0x28, 0, 1.0, Text(1206) + ";" + Text(1207)},
        {0, 0xffd7, ~0x1e0, 1.0, ""},
        {0, 0, 0x60, 1.0, Text(1209) + ";" + Text(1208)},
        {0, 0, 0x180, 1.0, Text(1226) + ";" + Text(1225)},
        {3, 0, 0, 1.0, Text(1210) + ";" + Text(1211)},
        {3, 0, 0, 2.0, Text(1211)},
        {3, 0, 0, 3.0, ""},
        {3, 0, 0, nan, ""},
        {0, 0, 0, -5.0, ""},
        {0xffff, 0xffff, -1, 0.0,
         Text(1206) + ";" + Text(1207) + ";" + Text(1209) + ";" + Text(1208) + ";" + Text(1226) + ";" +
             Text(1225) + ";" + Text(1210) + ";" + Text(1211)},
    };
    for (const auto& c : cases) {
        CString out("old");
        Tool_GetJudgementString(out, c.limitFlags, c.flagsA, c.flagsB, c.value, 2.0, 3.0);
        EXPECT_EQ(c.text, out.GetString())
            << c.limitFlags << " " << c.flagsA << " " << c.flagsB << " " << c.value;
    }
}

TEST(Labels, PurityResults) {
    const struct {
        double value;
        int decimals;
        std::string text;
    } cases[] = {
        {2.0, 2, Text(8443)},       {3.0, 1, Text(8442)},       {2.0, 0, "2"},
        {3000000.0, 0, Text(8442)}, {2000000.0, 0, Text(8443)}, {2000000.0, 2, "2000000.00"},
        {2.0000000001, 3, "2.000"}, {99.456, 2, "99.46"},       {99.7, -3, "100"},
        {-1.26, 1, "-1.3"},         {0.0, 4, "0.0000"},
    };
    for (const auto& c : cases) {
        CString out("old");
        Tool_GetPurityResultString(c.value, c.decimals, out);
        EXPECT_EQ(c.text, out.GetString()) << c.value << " " << c.decimals;
    }
}

TEST(Labels, DelimiterKeyword) {
    const std::string keyword = Text(8436);
    ASSERT_FALSE(keyword.empty());
    const struct {
        std::string text;
        char delimiter;
    } cases[] = {
        {"[Header]\r\n" + keyword + ",COMMA\r\n", ','},
        {"x" + keyword + ";" + keyword + ",", ';'},
        {"[Header]\r\nNo keyword here\r\n", '\t'},
        {"ends with " + keyword, '\t'},
    };
    for (const auto& c : cases) {
        char delimiter = 'x';
        Tool_GetDelimitTypeForAsciiImport(c.text.c_str(), &delimiter);
        EXPECT_EQ(c.delimiter, delimiter) << c.text;
    }
    char delimiter = 'x';
    Tool_GetDelimitTypeForAsciiImport(nullptr, &delimiter);
    EXPECT_EQ('\t', delimiter);
    Tool_GetDelimitTypeForAsciiImport("text", nullptr);
    RES_SetStringOverride(8436, "");
    delimiter = 'x';
    Tool_GetDelimitTypeForAsciiImport(",text", &delimiter);
    RES_SetStringOverride(8436, nullptr);
    EXPECT_EQ('\t', delimiter) << "an empty keyword";
}

// In code page 932 the texts are the Japanese ones, as double-byte text.
TEST(DbcsLabels, JapaneseTextsInCodePage932) {
    OVS_REQUIRE_CODE_PAGE_932();
    CString out;
    Tool_GetJudgementString(out, 0, 0x28, 0, 0.0, 0.0, 0.0);
    EXPECT_EQ(Text(1206) + ";" + Text(1207), out.GetString());
    EXPECT_TRUE(IsDBCSLeadByte(static_cast<BYTE>(out[0]))) << out.GetString();
    const CString function = Tool_GetFunctionString(1);
    EXPECT_TRUE(IsDBCSLeadByte(static_cast<BYTE>(function[0]))) << function.GetString();
    char delimiter = 'x';
    Tool_GetDelimitTypeForAsciiImport(("x" + Text(8436) + ",").c_str(), &delimiter);
    EXPECT_EQ(',', delimiter);
}

// ---- Default sample types

std::string StandInPath() {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self, length < sizeof self ? length : 0);
    return path.substr(0, path.find_last_of("\\/") + 1) + "OVSSampleType.dll";
}

constexpr char kFailVariable[] = "OVS_SAMPLETYPE_FAIL";

class SampleTypes : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_module = LoadLibraryA(StandInPath().c_str());
        if (s_module != nullptr) {
            s_counters = reinterpret_cast<SampleTypeCountersFn>(
                reinterpret_cast<void*>(GetProcAddress(s_module, "SampleTypeCounters")));
        }
    }
    void SetUp() override {
        ASSERT_NE(nullptr, s_counters) << StandInPath();
        ASSERT_EQ(S_OK, ovs::test::CallServerFunction(s_module, "DllRegisterServer"));
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        SetEnvironmentVariableA(kFailVariable, nullptr);
    }
    void TearDown() override {
        SetEnvironmentVariableA(kFailVariable, nullptr);
        EXPECT_EQ(0, Counts().liveObjects) << "every component released";
        CoUninitialize();
    }
    static SampleTypeCounts Counts() {
        SampleTypeCounts counts = {};
        s_counters(&counts);
        return counts;
    }

    static inline HMODULE s_module = nullptr;
    static inline SampleTypeCountersFn s_counters = nullptr;
};

constexpr size_t kGuard = 8;

TEST_F(SampleTypes, NamesByTypeCode) {
    const struct {
        WORD code;
        DWORD size;
        LONG selector;
        BOOL found;
        const char* name;
    } cases[] = {
        {1, 40, 0, TRUE, "Standard"}, // the first of two records with the code
        {3, 40, 0, TRUE, "Blank"},
        {0, 40, 0, TRUE, "Unknown"},
        {4, 40, 0, FALSE, nullptr},
        {5, 40, 0, FALSE, nullptr}, // another selector's
        {5, 40, 1, TRUE, "System Suitability"},
        {6, 40, 1, TRUE, "Calibration Verification Std 001"}, // all 32 bytes, no terminator of
                                                              // its own
        {6, 33, 1, TRUE, "Calibration Verification Std 001"},
        {6, 32, 1, TRUE, "Calibration Verification Std 00"},
        {1, 4, 0, TRUE, "Sta"},
        {1, 1, 0, TRUE, ""},
        {1, 40, 2, FALSE, nullptr}, // unknown selector: no records
        {1, 40, -1, FALSE, nullptr},
    };
    for (const auto& c : cases) {
        std::string buffer(c.size + kGuard, '\xcd');
        const SampleTypeCounts before = Counts();
        EXPECT_EQ(c.found, Tool_GetDefaultSampleTypeName(c.code, buffer.data(), c.size, c.selector))
            << c.code;
        EXPECT_EQ(before.created + 1, Counts().created);
        if (c.found) {
            const size_t length = std::strlen(c.name);
            EXPECT_EQ(c.name, buffer.substr(0, length));
            EXPECT_EQ(std::string(c.size - length, '\0'), buffer.substr(length, c.size - length))
                << "zero-filled";
        } else {
            EXPECT_EQ(std::string(c.size, '\xcd'), buffer.substr(0, c.size)) << "untouched";
        }
        EXPECT_EQ(std::string(kGuard, '\xcd'), buffer.substr(c.size)) << c.code << " " << c.size;
    }
    const SampleTypeCounts before = Counts();
    char name[8];
    EXPECT_FALSE(Tool_GetDefaultSampleTypeName(1, nullptr, 8, 0));
    EXPECT_FALSE(Tool_GetDefaultSampleTypeName(1, name, 0, 0));
    EXPECT_EQ(before.created, Counts().created) << "no component made";
}

TEST_F(SampleTypes, WholeListIsACopyInTaskMemory) {
    WORD count = 99;
    void* records = nullptr;
    ASSERT_TRUE(Tool_GetWholeDefaultSampleTypeInfo(&count, &records, 1));
    ASSERT_EQ(3, count);
    const auto* list = static_cast<const OVS_DEFAULTSAMPLETYPE*>(records);
    EXPECT_EQ(std::string("System Suitability"), list[0].szName);
    EXPECT_EQ(std::string("Calibration Verification Std 001"), std::string(list[1].szName, 32));
    EXPECT_EQ(7, list[2].wTypeCode);
    ovs::com_ptr<IMalloc> taskMemory;
    ASSERT_EQ(S_OK, CoGetMalloc(1, taskMemory.put()));
    EXPECT_EQ(sizeof(OVS_DEFAULTSAMPLETYPE) * 3, taskMemory->GetSize(records));
    CoTaskMemFree(records);

    count = 99;
    records = &count;
    EXPECT_FALSE(Tool_GetWholeDefaultSampleTypeInfo(&count, &records, 7)) << "no records";
    EXPECT_EQ(0, count);
    EXPECT_EQ(nullptr, records);
    EXPECT_FALSE(Tool_GetWholeDefaultSampleTypeInfo(nullptr, &records, 0));
    EXPECT_FALSE(Tool_GetWholeDefaultSampleTypeInfo(&count, nullptr, 0));
    EXPECT_EQ(0, count);
}

TEST_F(SampleTypes, FailuresAndAMissingComponentGiveFalse) {
    for (const char* failure : {"create=80004005", "list=8007000E"}) {
        SetEnvironmentVariableA(kFailVariable, failure);
        char name[16] = "old";
        WORD count = 99;
        void* records = &count;
        EXPECT_FALSE(Tool_GetDefaultSampleTypeName(1, name, sizeof name, 0)) << failure;
        EXPECT_STREQ("old", name);
        EXPECT_FALSE(Tool_GetWholeDefaultSampleTypeInfo(&count, &records, 0)) << failure;
        EXPECT_EQ(0, count);
        EXPECT_EQ(nullptr, records);
    }
    SetEnvironmentVariableA(kFailVariable, nullptr);
    ASSERT_EQ(S_OK, ovs::test::CallServerFunction(s_module, "DllUnregisterServer"));
    char name[16] = "old";
    WORD count = 99;
    void* records = &count;
    EXPECT_FALSE(Tool_GetDefaultSampleTypeName(1, name, sizeof name, 0)) << "not registered";
    EXPECT_FALSE(Tool_GetWholeDefaultSampleTypeInfo(&count, &records, 0));
    EXPECT_EQ(nullptr, records);
}

} // namespace
