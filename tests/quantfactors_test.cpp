#include "test_support.h"
#include "block_counter.h"
#include "current_user_raw.h"
#include "../standins/datafile/data_file_standin.h"
#include "ovsreg.h"
#include "ovsregcurrentuser.h"
#include "ovstoolchrom.h"
#include "ovstoolquant.h"
#include "unique_resource.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using ovs::test::ChildMode;
using ovs::test::ChildResult;
using ovs::test::RunChild;

namespace {

// ---- Tables as the hosts lay them out -------------------------------------------------------------

template <typename Header, typename Entry>
class Table {
public:
    Table(const std::vector<Entry>& entries, SHORT count)
        : m_bytes(sizeof(Header) + entries.size() * sizeof(Entry)) {
        Header header = {};
        header.nCount = count;
        std::memcpy(m_bytes.data(), &header, sizeof header);
        if (!entries.empty()) {
            std::memcpy(m_bytes.data() + sizeof header, entries.data(), entries.size() * sizeof(Entry));
        }
    }
    explicit Table(const std::vector<Entry>& entries) : Table(entries, static_cast<SHORT>(entries.size())) {}
    const Header* get() const { return reinterpret_cast<const Header*>(m_bytes.data()); }
    const void* bytes() const { return m_bytes.data(); }
    DWORD size() const { return static_cast<DWORD>(m_bytes.size()); }

private:
    std::vector<BYTE> m_bytes;
};
using Compounds = Table<OVS_COMPOUNDTABLE, OVS_COMPOUND>;
using Results = Table<OVS_QUANTRESULTTABLE, OVS_QUANTRESULT>;

// A compound whose factor of one level is given (the other levels hold 0).
OVS_COMPOUND Compound(double conc, float levelFactor, SHORT kind = 0, SHORT group = 0, WORD isNumber = 0,
                      SHORT level = 1) {
    OVS_COMPOUND compound = {};
    compound.wISNumber = isNumber;
    compound.nKind = kind;
    compound.nISGroup = group;
    compound.dConc = conc;
    compound.afLevelFactor[level - 1] = levelFactor;
    return compound;
}

OVS_QUANTRESULT Result(double area, double height, WORD isNumber = 0) {
    OVS_QUANTRESULT result = {};
    result.wISNumber = isNumber;
    result.dArea = area;
    result.dHeight = height;
    return result;
}

// ---- Response factors of values --------------------------------------------------------------------

TEST(CalcResponseFactor, DividesEveryValueByTheConcentration) {
    const double values[] = {2.0, 5.0, -1.0};
    double* factors = nullptr;
    BOOL valid = FALSE;
    ASSERT_EQ(S_OK, Tool_CalcResponseFactor(values, &factors, 4.0, 3, &valid));
    const ovs::unique_cotaskmem owner(factors);
    EXPECT_EQ(std::vector<double>({0.5, 1.25, -0.25}), std::vector<double>(factors, factors + 3));
    EXPECT_TRUE(valid);
}

TEST(CalcResponseFactor, ZeroConcentrationGivesZerosAndNotValid) {
    const double values[] = {2.0, 5.0};
    double* factors = nullptr;
    BOOL valid = TRUE;
    ASSERT_EQ(S_OK, Tool_CalcResponseFactor(values, &factors, 0.0, 2, &valid));
    const ovs::unique_cotaskmem owner(factors);
    ASSERT_NE(nullptr, factors);
    EXPECT_EQ(std::vector<double>({0.0, 0.0}), std::vector<double>(factors, factors + 2));
    EXPECT_FALSE(valid);
}

TEST(CalcResponseFactor, BadArgumentsAndNoMemory) {
    const double values[] = {1.0};
    double* factors = nullptr;
    BOOL valid = TRUE;
    EXPECT_EQ(E_INVALIDARG, Tool_CalcResponseFactor(values, &factors, 1.0, 0, &valid));
    EXPECT_EQ(E_INVALIDARG, Tool_CalcResponseFactor(values, &factors, 1.0, -1, &valid));
    EXPECT_EQ(E_INVALIDARG, Tool_CalcResponseFactor(nullptr, &factors, 1.0, 1, &valid));
    EXPECT_EQ(E_INVALIDARG, Tool_CalcResponseFactor(values, nullptr, 1.0, 1, &valid));
    EXPECT_EQ(E_INVALIDARG, Tool_CalcResponseFactor(values, &factors, 1.0, 1, nullptr));
    EXPECT_TRUE(valid) << "outputs untouched";
    OvsTestFailTaskMemory(0);
    factors = reinterpret_cast<double*>(&valid);
    EXPECT_EQ(E_OUTOFMEMORY, Tool_CalcResponseFactor(values, &factors, 1.0, 1, &valid));
    OvsTestFailTaskMemory(-1);
    EXPECT_EQ(nullptr, factors);
    EXPECT_FALSE(valid);
}

// ---- Internal-standard lookups ---------------------------------------------------------------------

TEST(InternalStandard, ConcentrationOfStandardNTimesLevelFactorOfFirstCompoundOfN) {
    // Compound 1 (conc 10) is standard 1; the first compound of standard 1 is compound 2.
    std::vector<OVS_COMPOUND> entries = {Compound(10.0, 1.5f, 2, 0, 2), Compound(0.5, 3.0f, 0, 0, 1),
                                         Compound(7.0, 9.0f, 0, 0, 1), Compound(1.0, 1.0f, 0, 0, 9)};
    entries[1].afLevelFactor[1] = 4.0f;
    const Compounds table(entries);
    EXPECT_EQ(30.0f, Tool_Get_IS_Conc(table.get(), 1, 1));
    EXPECT_EQ(40.0f, Tool_Get_IS_Conc(table.get(), 1, 2));
    EXPECT_EQ(0.75f, Tool_Get_IS_Conc(table.get(), 2, 1)) << "0.5 x 1.5";
    EXPECT_EQ(0.0f, Tool_Get_IS_Conc(table.get(), 3, 1)) << "no compound of standard 3";
    EXPECT_EQ(0.0f, Tool_Get_IS_Conc(table.get(), 9, 1)) << "9 lies past the table: no concentration";
    EXPECT_EQ(0.0f, Tool_Get_IS_Conc(table.get(), 0, 1));
    EXPECT_EQ(0.0f, Tool_Get_IS_Conc(table.get(), 1, 0)) << "levels are 1-based";
    EXPECT_EQ(0.0f, Tool_Get_IS_Conc(table.get(), 1, OVS_CALIB_LEVELS + 1));
    EXPECT_EQ(0.0f, Tool_Get_IS_Conc(nullptr, 1, 1));
}

TEST(InternalStandard, ConcentrationProductIsSinglePrecision) {
    const Compounds table({Compound(0.3, 3.0f, 2, 0, 1)});
    const float result = Tool_Get_IS_Conc(table.get(), 1, 1);
    EXPECT_EQ(0.9000000357627869f, result);
    EXPECT_NE(static_cast<float>(0.3 * 3.0), result) << "not the double product narrowed";
}

TEST(InternalStandard, DataIsAreaOrHeightOfFirstResultNarrowedToFloat) {
    const Results table({Result(0.1, 2.0, 1), Result(3.0, 4.0, 2), Result(99.0, 99.0, 2)});
    EXPECT_EQ(3.0, Tool_Get_IS_Data(table.get(), 2, OVS_CALIB_BASIS_AREA));
    EXPECT_EQ(4.0, Tool_Get_IS_Data(table.get(), 2, 0));
    EXPECT_EQ(4.0, Tool_Get_IS_Data(table.get(), 2, 7));
    EXPECT_EQ(static_cast<double>(0.1f), Tool_Get_IS_Data(table.get(), 1, OVS_CALIB_BASIS_AREA));
    EXPECT_EQ(0.0, Tool_Get_IS_Data(table.get(), 5, OVS_CALIB_BASIS_AREA));
    const Results shorter({Result(1.0, 1.0, 1), Result(3.0, 4.0, 2)}, 1);
    EXPECT_EQ(0.0, Tool_Get_IS_Data(shorter.get(), 2, OVS_CALIB_BASIS_AREA)) << "only counted entries";
    EXPECT_EQ(0.0, Tool_Get_IS_Data(nullptr, 1, OVS_CALIB_BASIS_AREA));
}

// ---- Real response factors of a data file -----------------------------------------------------------

std::string StandInPath() {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self, length < sizeof self ? length : 0);
    return path.substr(0, path.find_last_of("\\/") + 1) + "OVSDataFile.dll";
}

ovs::test::BlockCounter g_blocks;

struct RealRF {
    short count;
    bool arrayGiven;
    std::vector<double> factors;
};

RealRF GetRealRF(IUnknown* dataFile, LONG selection) {
    short count = -1;
    double* factors = reinterpret_cast<double*>(&count);
    Tool_GetRealRF(dataFile, selection, &count, &factors);
    RealRF result = {count, factors != nullptr, {}};
    if (factors != nullptr && count > 0) {
        result.factors.assign(factors, factors + count);
    }
    std::free(factors);
    return result;
}

ovs::com_ptr<IOvsDataFileSetup> CreateDataFile() {
    ovs::com_ptr<IOvsDataFileSetup> setup;
    CoCreateInstance(CLSID_OvsDataFileStandIn, nullptr, CLSCTX_INPROC_SERVER, IID_IOvsDataFileSetup,
                     setup.put_void());
    return setup;
}

void SetStandard(IOvsDataFileSetup* file, SHORT method, SHORT basis, SHORT direction,
                 const Compounds& compounds, const Results& results, SHORT level = 1, float amount = 0.0f) {
    const OVS_SAMPLEINFO sample = {OVS_SAMPLE_KIND_STANDARD, level, amount};
    const OVS_QUANTMETHODHEADER header = {method, basis, direction};
    file->SetSampleInfo(&sample);
    file->SetMethodHeader(&header);
    file->SetCompoundTable(compounds.bytes(), compounds.size());
    file->SetQuantResultTable(results.bytes(), results.size());
}

// Plain compounds: c = 10 with area 30 (area basis by default), c = 4 with height 8 (height by
// override), c = 0, and c = 5 with area 0.
const Compounds& PlainCompounds() {
    static const Compounds table = [] {
        std::vector<OVS_COMPOUND> entries = {Compound(5.0, 2.0f), Compound(4.0, 1.0f), Compound(3.0, 0.0f),
                                             Compound(5.0, 1.0f)};
        entries[1].nCalibBasis = 2;
        return Compounds(entries);
    }();
    return table;
}
const Results& PlainResults() {
    static const Results table({Result(30.0, 7.0), Result(99.0, 8.0), Result(6.0, 6.0), Result(0.0, 0.0)});
    return table;
}

class RealRFTest : public ::testing::Test {
protected:
    // One spy for the whole suite: revoking it waits for blocks still out, so it is not renewed.
    static void SetUpTestSuite() {
        s_module = LoadLibraryA(StandInPath().c_str());
        s_spied = CoRegisterMallocSpy(&g_blocks) == S_OK;
    }
    static void TearDownTestSuite() { CoRevokeMallocSpy(); }

    void SetUp() override {
        ASSERT_NE(nullptr, s_module) << StandInPath();
        ASSERT_EQ(S_OK, ovs::test::CallServerFunction(s_module, "DllRegisterServer"));
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(s_spied);
        file = CreateDataFile();
        ASSERT_TRUE(file);
    }
    void TearDown() override {
        file.reset();
        CoUninitialize();
    }

    // The factors of one call, which must leave no reference and no task-memory block behind.
    RealRF Run(LONG selection = -1) {
        const LONG allocated = g_blocks.allocated;
        const LONG freed = g_blocks.freed;
        const RealRF result = GetRealRF(file.get(), selection);
        handedOut = g_blocks.allocated - allocated;
        EXPECT_EQ(handedOut, g_blocks.freed - freed) << "every table freed";
        file->AddRef();
        EXPECT_EQ(1u, file->Release()) << "every interface released";
        return result;
    }

    std::vector<LONG> Calls() const {
        LONG calls[64] = {};
        LONG count = 0;
        file->GetCallLog(calls, 64, &count);
        return std::vector<LONG>(calls, calls + (count < 64 ? count : 64));
    }

    static inline HMODULE s_module = nullptr;
    static inline bool s_spied = false;
    ovs::com_ptr<IOvsDataFileSetup> file;
    LONG handedOut = 0;
};

const std::vector<LONG> kAllCalls = {
    OVS_DFCALL_QUERY_SAMPLE_INFO, OVS_DFCALL_GET_SAMPLE_INFO,    OVS_DFCALL_QUERY_SOURCE,
    OVS_DFCALL_OPEN_STATE,        OVS_DFCALL_OPEN_METHOD,        OVS_DFCALL_SELECT_ENTRY,
    OVS_DFCALL_GET_METHOD_HEADER, OVS_DFCALL_GET_COMPOUND_TABLE, OVS_DFCALL_GET_RESULT_TABLE};

TEST_F(RealRFTest, PlainMethodDividesResponseAndAmountByDirection) {
    SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0, PlainCompounds(), PlainResults());
    RealRF rf = Run();
    EXPECT_EQ(4, rf.count);
    EXPECT_EQ(std::vector<double>({3.0, 2.0, 0.0, 0.0}), rf.factors);
    EXPECT_EQ(2, handedOut) << "both tables were handed out";

    SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 1, PlainCompounds(), PlainResults());
    rf = Run();
    EXPECT_EQ(std::vector<double>({10.0 / 30.0, 0.5, 0.0, 0.0}), rf.factors);

    // A default of height applies to compounds without an override.
    SetStandard(file.get(), 0, 2, 0, PlainCompounds(), PlainResults());
    EXPECT_EQ(std::vector<double>({0.7, 2.0, 0.0, 0.0}), Run().factors);
}

TEST_F(RealRFTest, CalibrationLevelChoosesTheFactorAndOutsideLevelsGiveZeros) {
    const Compounds compounds({Compound(5.0, 2.0f, 0, 0, 0, 3)});
    const Results results({Result(30.0, 0.0)});
    const std::pair<SHORT, double> cases[] = {
        {3, 3.0}, {1, 0.0}, {0, 0.0}, {-1, 0.0}, {OVS_CALIB_LEVELS + 1, 0.0}};
    for (const auto& [level, factor] : cases) {
        SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0, compounds, results, level);
        const RealRF rf = Run();
        EXPECT_EQ(1, rf.count) << level;
        EXPECT_EQ(std::vector<double>({factor}), rf.factors) << level;
    }
}

// Standard 1 (conc 10, level factor 2: cIS 20, area 50) with compound 2 (c 4, area 30) in its group;
// compound 3 has no standard in its group, compound 4 is a standard of kind 4.
struct ISCase {
    const char* name;
    double isConc;
    double isArea;
    double conc;
    double area;
    SHORT direction;
    double factor;
};

TEST_F(RealRFTest, InternalStandardMethodRelatesEachCompoundToItsGroupStandard) {
    const ISCase cases[] = {
        {"response ratio over amount ratio", 10.0, 50.0, 4.0, 30.0, 0, (30.0 / 50.0) / (4.0 / 20.0)},
        {"amount ratio over response ratio", 10.0, 50.0, 4.0, 30.0, 1, (4.0 / 20.0) / (30.0 / 50.0)},
        {"standard without concentration", 0.0, 50.0, 4.0, 30.0, 0, 0.0},
        {"standard without response", 10.0, 0.0, 4.0, 30.0, 0, 0.0},
        {"compound without amount", 10.0, 50.0, 0.0, 30.0, 0, 0.0},
        {"compound without response, direction 1", 10.0, 50.0, 4.0, 0.0, 1, 0.0},
        {"compound without response, direction 0", 10.0, 50.0, 4.0, 0.0, 0, 0.0},
    };
    for (const ISCase& c : cases) {
        const Compounds compounds({Compound(c.isConc, 2.0f, 2, 1, 1), Compound(c.conc, 1.0f, 0, 1, 1),
                                   Compound(1.0, 1.0f, 0, 9, 0), Compound(1.0, 1.0f, 4, 2, 4)});
        const Results results(
            {Result(c.isArea, 0.0, 1), Result(c.area, 0.0, 1), Result(5.0, 5.0), Result(1.0, 1.0)});
        SetStandard(file.get(), OVS_QUANT_INTERNAL_STANDARD, OVS_CALIB_BASIS_AREA, c.direction, compounds,
                    results);
        EXPECT_EQ(std::vector<double>({1.0, c.factor, 1.0, 1.0}), Run().factors) << c.name;
    }
}

void WriteDilutionFactor(int value) {
    ASSERT_TRUE(Tool_WriteRegCurrentUserInt(OVS_REG_PRODUCT_ROOT, "Option", "DilutionFactor", value));
}

// c 10 with area 30, sample amount a.
void SetAmountStandard(IOvsDataFileSetup* file, float amount, SHORT direction = 0) {
    SetStandard(file, OVS_QUANT_SAMPLE_AMOUNT, OVS_CALIB_BASIS_AREA, direction,
                Compounds({Compound(5.0, 2.0f)}), Results({Result(30.0, 0.0)}), 1, amount);
}

TEST_F(RealRFTest, SampleAmountMethodScalesByAmountWhenDilutionFactorIsOff) {
    struct Case {
        int dilution;
        float amount;
        SHORT direction;
        double factor;
    };
    const Case cases[] = {{0, 2.0f, 0, 30.0 / (10.0 / 2.0 / 100.0)},
                          {0, 2.0f, 1, (10.0 / 2.0 / 100.0) / 30.0},
                          {0, 0.0f, 0, 0.0},
                          {0, 0.0f, 1, 0.0},
                          {0, -1.0f, 1, 0.0},
                          {1, 2.0f, 0, 3.0},
                          {5, 2.0f, 1, 10.0 / 30.0}};
    for (const Case& c : cases) {
        WriteDilutionFactor(c.dilution);
        SetAmountStandard(file.get(), c.amount, c.direction);
        EXPECT_EQ(std::vector<double>({c.factor}), Run().factors)
            << c.dilution << " " << c.amount << " " << c.direction;
    }
    // The listed value lives in the process's cache; 1 reads as the unwritten default does.
    WriteDilutionFactor(1);
}

// In a fresh process the cache holds no DilutionFactor: the default 1 applies, whatever the hive holds.
ChildMode dilutionDefaultMode("quantfactors-dilution-default", [](const std::vector<std::string>&) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        return 10;
    }
    int exitCode = 11;
    {
        const ovs::com_ptr<IOvsDataFileSetup> file = CreateDataFile();
        if (file) {
            SetAmountStandard(file.get(), 2.0f);
            const RealRF rf = GetRealRF(file.get(), -1);
            exitCode = rf.factors == std::vector<double>({3.0}) ? 0 : 12;
        }
    }
    CoUninitialize();
    return exitCode;
});

TEST_F(RealRFTest, SampleAmountMethodWithoutDilutionFactorUsesDefaultOne) {
    const std::string option = std::string(OVS_REG_PRODUCT_ROOT) + "\\Option";
    ASSERT_TRUE(ovs::test::RawUserSetInt(option, "DilutionFactor", 0));
    const ChildResult child = RunChild("quantfactors-dilution-default");
    ovs::test::ResetCurrentUserTree();
    ASSERT_TRUE(child.finished);
    EXPECT_EQ(0u, child.exitCode);
}

TEST_F(RealRFTest, ReferenceCompoundsCopyTheirFactorAfterwards) {
    std::vector<OVS_COMPOUND> entries = {Compound(5.0, 2.0f), Compound(4.0, 1.0f), Compound(1.0, 1.0f),
                                         Compound(1.0, 1.0f), Compound(1.0, 1.0f)};
    entries[1].nRefCompound = 99; // past the table: keeps its own
    entries[2].nRefCompound = 1;
    entries[3].nRefCompound = 5; // the last compound, whose own factor is still 0 then
    entries[4].nRefCompound = 2; // no result entry of its own, still copies
    SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0, Compounds(entries),
                Results({Result(30.0, 0.0), Result(8.0, 0.0), Result(1.0, 0.0), Result(1.0, 0.0)}));
    const RealRF rf = Run();
    EXPECT_EQ(5, rf.count);
    EXPECT_EQ(std::vector<double>({3.0, 2.0, 3.0, 0.0, 2.0}), rf.factors);
}

TEST_F(RealRFTest, CompoundsWithoutResultEntryGetZero) {
    // Entries past the count stand in the block but are not results.
    SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0,
                Compounds(std::vector<OVS_COMPOUND>(3, Compound(2.0, 1.0f))),
                Results({Result(4.0, 0.0), Result(6.0, 0.0), Result(8.0, 0.0)}, 2));
    const RealRF rf = Run();
    EXPECT_EQ(3, rf.count);
    EXPECT_EQ(std::vector<double>({2.0, 3.0, 0.0}), rf.factors);
}

TEST_F(RealRFTest, CallsInOrderAndSelectionOnlyWhenNotNegative) {
    SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0, PlainCompounds(), PlainResults());
    Run(0);
    EXPECT_EQ(kAllCalls, Calls());
    LONG selected = -1;
    file->GetSelectedEntry(&selected);
    EXPECT_EQ(0, selected);

    file = CreateDataFile();
    SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0, PlainCompounds(), PlainResults());
    EXPECT_EQ(4, Run(-1).count);
    std::vector<LONG> withoutSelection = kAllCalls;
    withoutSelection.erase(withoutSelection.begin() + 5);
    EXPECT_EQ(withoutSelection, Calls());
}

TEST_F(RealRFTest, OnlyCalibrationStandardsHaveFactors) {
    SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0, PlainCompounds(), PlainResults());
    const OVS_SAMPLEINFO unknown = {2, 1, 0.0f};
    file->SetSampleInfo(&unknown);
    const RealRF rf = Run(0);
    EXPECT_EQ(0, rf.count);
    EXPECT_FALSE(rf.arrayGiven);
    EXPECT_EQ(std::vector<LONG>(kAllCalls.begin(), kAllCalls.begin() + 2), Calls());
}

TEST_F(RealRFTest, EmptyCompoundTableGivesNoArray) {
    SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0, Compounds(std::vector<OVS_COMPOUND>{}),
                PlainResults());
    const RealRF rf = Run();
    EXPECT_EQ(0, rf.count);
    EXPECT_FALSE(rf.arrayGiven);
}

TEST_F(RealRFTest, FirstFailingCallEndsSilentlyWithNothingHeld) {
    // Failing codes, and success codes that hand out a null interface or table.
    const std::pair<LONG, HRESULT> failures[] = {
        {OVS_DFCALL_QUERY_SAMPLE_INFO, E_NOINTERFACE},
        {OVS_DFCALL_QUERY_SAMPLE_INFO, S_OK},
        {OVS_DFCALL_GET_SAMPLE_INFO, E_FAIL},
        {OVS_DFCALL_QUERY_SOURCE, E_NOINTERFACE},
        {OVS_DFCALL_QUERY_SOURCE, S_OK},
        {OVS_DFCALL_OPEN_STATE, E_NOINTERFACE},
        {OVS_DFCALL_OPEN_STATE, S_OK},
        {OVS_DFCALL_OPEN_METHOD, E_FAIL},
        {OVS_DFCALL_OPEN_METHOD, S_OK},
        {OVS_DFCALL_SELECT_ENTRY, E_INVALIDARG},
        {OVS_DFCALL_GET_METHOD_HEADER, E_FAIL},
        {OVS_DFCALL_GET_COMPOUND_TABLE, E_OUTOFMEMORY},
        {OVS_DFCALL_GET_COMPOUND_TABLE, S_OK},
        {OVS_DFCALL_GET_RESULT_TABLE, E_FAIL},
        {OVS_DFCALL_GET_RESULT_TABLE, S_OK},
    };
    for (const auto& [call, hr] : failures) {
        file = CreateDataFile();
        SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0, PlainCompounds(), PlainResults());
        file->FailCall(call, hr);
        const RealRF rf = Run(2);
        EXPECT_EQ(0, rf.count) << call << " " << std::hex << hr;
        EXPECT_FALSE(rf.arrayGiven) << call << " " << std::hex << hr;
        EXPECT_EQ(std::vector<LONG>(kAllCalls.begin(), kAllCalls.begin() + call + 1), Calls())
            << "no call after " << call;
    }
}

TEST_F(RealRFTest, MissingObjectOrOutputs) {
    short count = 7;
    double* factors = reinterpret_cast<double*>(&count);
    Tool_GetRealRF(nullptr, -1, &count, &factors);
    EXPECT_EQ(0, count);
    EXPECT_EQ(nullptr, factors);

    SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0, PlainCompounds(), PlainResults());
    count = 7;
    factors = reinterpret_cast<double*>(&count);
    Tool_GetRealRF(file.get(), -1, &count, nullptr);
    Tool_GetRealRF(file.get(), -1, nullptr, &factors);
    EXPECT_EQ(7, count);
    EXPECT_EQ(reinterpret_cast<double*>(&count), factors);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(RealRFTest, StandInOpensOnlyTheDataProcessingCategory) {
    ovs::com_ptr<IOvsDataProcessingSource> source;
    ASSERT_EQ(S_OK, file->QueryInterface(IID_IOvsDataProcessingSource, source.put_void()));
    ovs::com_ptr<IOvsProcessingState> state;
    EXPECT_EQ(E_NOINTERFACE, source->OpenProcessing("OVS Other", IID_IOvsProcessingState, state.put_void()));
    EXPECT_FALSE(state);
    EXPECT_EQ(E_NOINTERFACE,
              source->OpenProcessing(OVS_DATA_PROCESSING_CATEGORY, IID_IOvsDataFileSetup, state.put_void()));
}

} // namespace
