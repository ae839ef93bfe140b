// Response factors of values, the internal-standard lookups and the real response factors of a data
// file, read through the data-file component stand-in.
#include "test_support.h"
#include "block_counter.h"
#include "current_user_raw.h"
#include "host_table.h"
#include "../standins/datafile/data_file_standin.h"
#include "ovsreg.h"
#include "ovsregcurrentuser.h"
#include "ovstoolchrom.h"
#include "ovstoolquant.h"
#include "unique_resource.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Compounds = ovs::test::HostTable<OVS_COMPOUNDTABLE, OVS_COMPOUND>;
using Results = ovs::test::HostTable<OVS_QUANTRESULTTABLE, OVS_QUANTRESULT>;

// A compound whose factor of one level is given (the other levels hold 0).
OVS_COMPOUND Compound(double conc, float levelFactor, SHORT kind = 0, SHORT group = 0, WORD isNumber = 0,
                      SHORT level = 1) {
    OVS_COMPOUND compound{};
    std::tie(compound.wISNumber, compound.nKind, compound.nISGroup, compound.dConc) =
        std::tuple(isNumber, kind, group, conc);
    compound.afLevelFactor[level - 1] = levelFactor;
    return compound;
}

OVS_QUANTRESULT Result(double area, double height, WORD isNumber = 0) {
    return {isNumber, 0.0, area, height};
}

TEST(CalcResponseFactor, DividesEveryValueByTheConcentration) {
    const double values[] = {2.0, 5.0, -1.0};
    for (const double conc : {4.0, 0.0}) { // no concentration: zeros, not valid
        double* factors = nullptr;
        BOOL valid = -1;
        ASSERT_EQ(S_OK, Tool_CalcResponseFactor(values, &factors, conc, 3, &valid));
        const ovs::unique_cotaskmem owner(factors);
        ASSERT_NE(nullptr, factors);
        EXPECT_EQ(conc != 0.0 ? std::vector<double>({0.5, 1.25, -0.25}) : std::vector<double>(3),
                  std::vector<double>(factors, factors + 3));
        EXPECT_EQ(conc != 0.0, valid);
    }
    double* factors = nullptr;
    BOOL valid = TRUE;
    EXPECT_EQ(std::vector<HRESULT>(3, E_INVALIDARG),
              (std::vector<HRESULT>{Tool_CalcResponseFactor(values, &factors, 1.0, 0, &valid),
                                    Tool_CalcResponseFactor(nullptr, &factors, 1.0, 1, &valid),
                                    Tool_CalcResponseFactor(values, &factors, 1.0, 1, nullptr)}));
    EXPECT_TRUE(valid && factors == nullptr) << "outputs untouched";
    OvsTestFailTaskMemory(0);
    factors = reinterpret_cast<double*>(&valid);
    EXPECT_EQ(E_OUTOFMEMORY, Tool_CalcResponseFactor(values, &factors, 1.0, 1, &valid));
    EXPECT_TRUE(factors == nullptr && !valid);
}

TEST(InternalStandard, ConcentrationAndDataOfTheStandard) {
    // Compound 1 (conc 10) is standard 1; the first compound of standard 1 is compound 2.
    std::vector<OVS_COMPOUND> entries = {Compound(10.0, 1.5f, 2, 0, 2), Compound(0.5, 3.0f, 0, 0, 1),
                                         Compound(7.0, 9.0f, 0, 0, 1), Compound(1.0, 1.0f, 0, 0, 9)};
    entries[1].afLevelFactor[1] = 4.0f;
    const Compounds compounds(entries);
    // 0.5 x 1.5 for standard 2; 9 lies past the table; levels are 1-based.
    const std::tuple<short, short, float> concs[] = {{1, 2, 40.0f}, {2, 1, 0.75f},
                                                     {3, 1, 0.0f},  {9, 1, 0.0f},
                                                     {1, 0, 0.0f},  {1, OVS_CALIB_LEVELS + 1, 0.0f}};
    for (const auto& [standard, level, conc] : concs) {
        EXPECT_EQ(conc, Tool_Get_IS_Conc(compounds.get(), standard, level)) << standard << " " << level;
    }
    // The product is single precision, not the double product narrowed.
    EXPECT_EQ(0.9000000357627869f, Tool_Get_IS_Conc(Compounds({Compound(0.3, 3.0f, 2, 0, 1)}).get(), 1, 1));
    // The area or height of the standard's first result, narrowed to float; only counted entries.
    const Results results({Result(0.1, 2.0, 1), Result(3.0, 4.0, 2), Result(99.0, 99.0, 2)});
    const Results shorter({Result(1.0, 1.0, 1), Result(3.0, 4.0, 2)}, 1);
    const std::tuple<const Results*, short, short, double> data[] = {
        {&results, 2, OVS_CALIB_BASIS_AREA, 3.0},
        {&results, 2, 7, 4.0},
        {&results, 1, OVS_CALIB_BASIS_AREA, static_cast<double>(0.1f)},
        {&results, 5, OVS_CALIB_BASIS_AREA, 0.0},
        {&shorter, 2, OVS_CALIB_BASIS_AREA, 0.0}};
    for (const auto& [table, standard, basis, value] : data) {
        EXPECT_EQ(value, Tool_Get_IS_Data(table->get(), standard, basis)) << standard << " " << basis;
    }
    EXPECT_EQ(0.0, Tool_Get_IS_Data(nullptr, 1, OVS_CALIB_BASIS_AREA));
}

// ---- Real response factors of a data file

ovs::test::BlockCounter g_blocks;

struct RealRF {
    short count;
    std::optional<std::vector<double>> factors; // none: the caller's pointer was not written
};

RealRF GetRealRF(IUnknown* dataFile, LONG selection) {
    short count = -1;
    double* const unset = reinterpret_cast<double*>(&count);
    double* factors = unset;
    Tool_GetRealRF(dataFile, selection, &count, &factors);
    if (factors == unset) {
        return {count, std::nullopt};
    }
    RealRF result = {count, factors != nullptr ? std::vector<double>(factors, factors + count)
                                               : std::vector<double>{}};
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
void SetPlainStandard(IOvsDataFileSetup* file, SHORT basis = OVS_CALIB_BASIS_AREA, SHORT direction = 0) {
    std::vector<OVS_COMPOUND> entries = {Compound(5.0, 2.0f), Compound(4.0, 1.0f), Compound(3.0, 0.0f),
                                         Compound(5.0, 1.0f)};
    entries[1].nCalibBasis = 2;
    SetStandard(file, 0, basis, direction, Compounds(entries),
                Results({Result(30.0, 7.0), Result(99.0, 8.0), Result(6.0, 6.0), Result(0.0, 0.0)}));
}

// c 10 with area 30, sample amount a.
void SetAmountStandard(IOvsDataFileSetup* file, float amount, SHORT direction = 0) {
    SetStandard(file, OVS_QUANT_SAMPLE_AMOUNT, OVS_CALIB_BASIS_AREA, direction,
                Compounds({Compound(5.0, 2.0f)}), Results({Result(30.0, 0.0)}), 1, amount);
}

class RealRFTest : public ::testing::Test {
protected:
    // One spy for the whole suite: revoking it waits for blocks still out, so it is not renewed.
    static void SetUpTestSuite() {
        s_module = LoadLibraryA((ovs::test::ExecutableFolder() + "\\OVSDataFile.dll").c_str());
        s_spied = CoRegisterMallocSpy(&g_blocks) == S_OK;
    }
    static void TearDownTestSuite() { CoRevokeMallocSpy(); }
    void SetUp() override {
        ASSERT_EQ(S_OK, ovs::test::CallServerFunction(s_module, "DllRegisterServer"));
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) && s_spied);
        ASSERT_TRUE(file = CreateDataFile());
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
        return std::vector<LONG>(calls, calls + std::min(count, 64L));
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
    // A default of height applies to compounds without an override.
    const std::tuple<SHORT, SHORT, std::vector<double>> cases[] = {
        {OVS_CALIB_BASIS_AREA, 0, {3.0, 2.0, 0.0, 0.0}},
        {OVS_CALIB_BASIS_AREA, 1, {10.0 / 30.0, 0.5, 0.0, 0.0}},
        {2, 0, {0.7, 2.0, 0.0, 0.0}}};
    for (const auto& [basis, direction, factors] : cases) {
        SetPlainStandard(file.get(), basis, direction);
        EXPECT_EQ(factors, Run().factors) << basis << " " << direction;
        EXPECT_EQ(2, handedOut) << "both tables were handed out";
    }
}

TEST_F(RealRFTest, CalibrationLevelChoosesTheFactorAndOutsideLevelsGiveZeros) {
    const Compounds compounds({Compound(5.0, 2.0f, 0, 0, 0, 3)});
    const std::pair<SHORT, double> cases[] = {{3, 3.0}, {1, 0.0}, {0, 0.0}, {OVS_CALIB_LEVELS + 1, 0.0}};
    for (const auto& [level, factor] : cases) {
        SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0, compounds, Results({Result(30.0, 0.0)}), level);
        EXPECT_EQ(std::vector<double>({factor}), Run().factors) << level;
    }
}

// Standard 1 (conc 10, level factor 2: cIS 20, area 50) with compound 2 (c 4, area 30) in its group;
// compound 3 has no standard in its group, compound 4 is a standard of kind 4.
TEST_F(RealRFTest, InternalStandardMethodRelatesEachCompoundToItsGroupStandard) {
    const std::tuple<const char*, double, double, double, double, SHORT, double> cases[] = {
        {"response ratio over amount ratio", 10.0, 50.0, 4.0, 30.0, 0, (30.0 / 50.0) / (4.0 / 20.0)},
        {"amount ratio over response ratio", 10.0, 50.0, 4.0, 30.0, 1, (4.0 / 20.0) / (30.0 / 50.0)},
        {"standard without concentration", 0.0, 50.0, 4.0, 30.0, 0, 0.0},
        {"standard without response", 10.0, 0.0, 4.0, 30.0, 0, 0.0},
        {"compound without response, direction 1", 10.0, 50.0, 4.0, 0.0, 1, 0.0}};
    for (const auto& [name, isConc, isArea, conc, area, direction, factor] : cases) {
        const Compounds compounds({Compound(isConc, 2.0f, 2, 1, 1), Compound(conc, 1.0f, 0, 1, 1),
                                   Compound(1.0, 1.0f, 0, 9, 0), Compound(1.0, 1.0f, 4, 2, 4)});
        const Results results(
            {Result(isArea, 0.0, 1), Result(area, 0.0, 1), Result(5.0, 5.0), Result(1.0, 1.0)});
        SetStandard(file.get(), OVS_QUANT_INTERNAL_STANDARD, OVS_CALIB_BASIS_AREA, direction, compounds,
                    results);
        EXPECT_EQ(std::vector<double>({1.0, factor, 1.0, 1.0}), Run().factors) << name;
    }
}

TEST_F(RealRFTest, SampleAmountMethodScalesByAmountWhenDilutionFactorIsOff) {
    const std::tuple<int, float, SHORT, double> cases[] = {{0, 2.0f, 0, 30.0 / (10.0 / 2.0 / 100.0)},
                                                           {0, 2.0f, 1, (10.0 / 2.0 / 100.0) / 30.0},
                                                           {0, 0.0f, 1, 0.0},
                                                           {0, -1.0f, 1, 0.0},
                                                           {5, 2.0f, 1, 10.0 / 30.0}};
    for (const auto& [dilution, amount, direction, factor] : cases) {
        ASSERT_TRUE(Tool_WriteRegCurrentUserInt(OVS_REG_PRODUCT_ROOT, "Option", "DilutionFactor", dilution));
        SetAmountStandard(file.get(), amount, direction);
        EXPECT_EQ(std::vector<double>({factor}), Run().factors)
            << dilution << " " << amount << " " << direction;
    }
    // The listed value lives in the process's cache; 1 reads as the unwritten default does.
    ASSERT_TRUE(Tool_WriteRegCurrentUserInt(OVS_REG_PRODUCT_ROOT, "Option", "DilutionFactor", 1));
}

// In a fresh process the cache holds no DilutionFactor: the default 1 applies, whatever the hive holds.
ovs::test::ChildMode
    dilutionDefaultMode("quantfactors-dilution-default", [](const std::vector<std::string>&) {
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
            return 10;
        }
        int exitCode = 11;
        if (const ovs::com_ptr<IOvsDataFileSetup> file = CreateDataFile()) {
            SetAmountStandard(file.get(), 2.0f);
            exitCode = GetRealRF(file.get(), -1).factors == std::vector<double>({3.0}) ? 0 : 12;
        }
        CoUninitialize();
        return exitCode;
    });

TEST_F(RealRFTest, SampleAmountMethodWithoutDilutionFactorUsesDefaultOne) {
    ASSERT_TRUE(
        ovs::test::RawUserSetInt(std::string(OVS_REG_PRODUCT_ROOT) + "\\Option", "DilutionFactor", 0));
    const ovs::test::ChildResult child = ovs::test::RunChild("quantfactors-dilution-default");
    ovs::test::ResetCurrentUserTree();
    EXPECT_TRUE(child.finished && child.exitCode == 0) << child.exitCode;
}

TEST_F(RealRFTest, ReferenceCompoundsAndCompoundsWithoutResults) {
    // 99 lies past the table: keeps its own; 5 is the last compound, whose own factor is still 0 then;
    // compound 5 has no result entry of its own and still copies.
    std::vector<OVS_COMPOUND> entries = {Compound(5.0, 2.0f), Compound(4.0, 1.0f), Compound(1.0, 1.0f),
                                         Compound(1.0, 1.0f), Compound(1.0, 1.0f)};
    entries[1].nRefCompound = 99;
    entries[2].nRefCompound = 1;
    entries[3].nRefCompound = 5;
    entries[4].nRefCompound = 2;
    SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0, Compounds(entries),
                Results({Result(30.0, 0.0), Result(8.0, 0.0), Result(1.0, 0.0), Result(1.0, 0.0)}));
    EXPECT_EQ(std::vector<double>({3.0, 2.0, 3.0, 0.0, 2.0}), Run().factors);
    // Entries past the count stand in the block but are not results.
    SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0,
                Compounds(std::vector<OVS_COMPOUND>(3, Compound(2.0, 1.0f))),
                Results({Result(4.0, 0.0), Result(6.0, 0.0), Result(8.0, 0.0)}, 2));
    EXPECT_EQ(std::vector<double>({2.0, 3.0, 0.0}), Run().factors);
}

TEST_F(RealRFTest, CallsInOrderOnlyForStandardsAndSelectionOnlyWhenNotNegative) {
    // selection, sample kind, the calls made (the selection is the sixth)
    std::vector<LONG> withoutSelection = kAllCalls;
    withoutSelection.erase(withoutSelection.begin() + 5);
    const std::tuple<LONG, SHORT, short, std::vector<LONG>> cases[] = {
        {0, OVS_SAMPLE_KIND_STANDARD, 4, kAllCalls},
        {-1, OVS_SAMPLE_KIND_STANDARD, 4, withoutSelection},
        {0, 2, 0, std::vector<LONG>(kAllCalls.begin(), kAllCalls.begin() + 2)}};
    for (const auto& [selection, kind, count, calls] : cases) {
        file = CreateDataFile();
        SetPlainStandard(file.get());
        const OVS_SAMPLEINFO sample = {kind, 1, 0.0f};
        file->SetSampleInfo(&sample);
        EXPECT_EQ(count, Run(selection).count);
        EXPECT_EQ(calls, Calls()) << selection << " " << kind;
    }
    SetStandard(file.get(), 0, OVS_CALIB_BASIS_AREA, 0, Compounds(std::vector<OVS_COMPOUND>{}),
                Results({Result(1.0, 1.0)}));
    const RealRF rf = Run();
    EXPECT_TRUE(rf.count == 0 && rf.factors == std::vector<double>{})
        << "an empty compound table gives no array";
}

TEST_F(RealRFTest, FirstFailingCallEndsSilentlyWithNothingHeld) {
    // A failing code, and for the calls that hand out an interface or a table a success without one.
    for (LONG call = OVS_DFCALL_QUERY_SAMPLE_INFO; call <= OVS_DFCALL_GET_RESULT_TABLE; ++call) {
        for (const HRESULT hr : {E_FAIL, S_OK}) {
            if (hr == S_OK && (call == OVS_DFCALL_GET_SAMPLE_INFO || call == OVS_DFCALL_SELECT_ENTRY ||
                               call == OVS_DFCALL_GET_METHOD_HEADER)) {
                continue;
            }
            file = CreateDataFile();
            SetPlainStandard(file.get());
            file->FailCall(call, hr);
            const RealRF rf = Run(2);
            EXPECT_TRUE(rf.count == 0 && !rf.factors) << call << " " << std::hex << hr;
            EXPECT_EQ(std::vector<LONG>(kAllCalls.begin(), kAllCalls.begin() + call + 1), Calls()) << call;
        }
    }
    short count = 7;
    double* factors = reinterpret_cast<double*>(&count);
    Tool_GetRealRF(nullptr, -1, &count, &factors);
    Tool_GetRealRF(file.get(), -1, &count, nullptr);
    EXPECT_TRUE(count == 7 && factors == reinterpret_cast<double*>(&count));
}

} // namespace
