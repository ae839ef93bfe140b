#include "test_support.h"
#include "ovstoolvariant.h"

#include <afxdisp.h>

#include <future>
#include <ios>
#include <new>
#include <stdexcept>
#include <system_error>
#include <typeinfo>
#include <vector>

namespace {

// Error codes of a category of the test's own. Values from 1000 on map to the generic condition
// value - 1000; everything else stays in this category.
class OwnCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "own"; }
    std::string message(int) const override { return "own error"; }
    std::error_condition default_error_condition(int value) const noexcept override {
        if (value >= 1000) {
            return std::error_condition(value - 1000, std::generic_category());
        }
        return std::error_condition(value, *this);
    }
};

const OwnCategory& Own() {
    static OwnCategory category;
    return category;
}

// A category whose conditions are the system's own numbers.
class SystemConditionCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "system-condition"; }
    std::string message(int) const override { return "system condition"; }
    std::error_condition default_error_condition(int value) const noexcept override {
        return std::error_condition(value, std::system_category());
    }
};

HRESULT FromGeneric(int condition) {
    const std::system_error error(std::error_code(condition, std::generic_category()));
    return Tool_HResultFromException(&error);
}

struct ConditionRow {
    int condition;
    unsigned long code;
};

// Every row of the generic-condition table.
const ConditionRow kConditions[] = {
    {1, 0x80070005},   {13, 0x80070005},  {2, 0x80070002},   {6, 0x80070002},   {3, 0x80070490},
    {4, 0x80072714},   {5, 0x8007006E},   {7, 0x8007007A},   {8, 0x8007000B},   {9, 0x80072719},
    {10, 0x80070080},  {11, 0x800704D5},  {12, 0x8007000E},  {14, 0x8007271E},  {16, 0x800700AA},
    {139, 0x800700AA}, {17, 0x80070050},  {18, 0x80070011},  {19, 0x80070037},  {20, 0x80070057},
    {22, 0x80070057},  {33, 0x80070057},  {125, 0x80070057}, {24, 0x80070004},  {25, 0x80070006},
    {111, 0x80070006}, {27, 0x800700DF},  {28, 0x80070027},  {29, 0x80070084},  {30, 0x80071779},
    {31, 0x80070476},  {32, 0x8007006D},  {34, 0x80070216},  {36, 0x8007046B},  {38, 0x8007006F},
    {39, 0x80070021},  {40, 0x80070001},  {41, 0x80070091},  {42, 0x80070246},  {100, 0x80072740},
    {101, 0x80072741}, {102, 0x8007273F}, {103, 0x80072735}, {104, 0x800703F4}, {105, 0x800703E3},
    {106, 0x80072745}, {107, 0x8007274D}, {108, 0x80072746}, {109, 0x80072737}, {110, 0x80072751},
    {112, 0x80072734}, {113, 0x80072748}, {115, 0x80072738}, {116, 0x80072742}, {117, 0x80072744},
    {118, 0x80072743}, {119, 0x80072747}, {120, 0x800700E8}, {123, 0x8007273A}, {126, 0x80072749},
    {128, 0x80072736}, {129, 0x80004021}, {130, 0x8007273D}, {132, 0x8002000A}, {133, 0x800702DF},
    {134, 0x8007001E}, {135, 0x8007273B}, {136, 0x80072739}, {137, 0x80070102}, {138, 0x8007274C},
    {140, 0x80072733},
};

} // namespace

TEST(GenericConditionTable, EveryRowGivesItsCode) {
    for (const ConditionRow& row : kConditions) {
        EXPECT_EQ(static_cast<HRESULT>(row.code), FromGeneric(row.condition))
            << "condition " << row.condition;
    }
}

TEST(GenericConditionTable, NumbersWithoutARowGiveEFail) {
    for (int condition = -1; condition <= 142; ++condition) {
        bool listed = false;
        for (const ConditionRow& row : kConditions) {
            listed = listed || row.condition == condition;
        }
        if (!listed) {
            EXPECT_EQ(E_FAIL, FromGeneric(condition)) << "condition " << condition;
        }
    }
}

TEST(GenericConditionTable, BoundariesZero140And141) {
    EXPECT_EQ(E_FAIL, FromGeneric(0));
    EXPECT_EQ(static_cast<HRESULT>(0x80072733), FromGeneric(140));
    EXPECT_EQ(E_FAIL, FromGeneric(141));
}

TEST(GenericConditionTable, NamedConditionsOfTheRuntime) {
    // The table is keyed by the runtime's numbers; check it against a few of its names.
    EXPECT_EQ(static_cast<HRESULT>(0x80070002),
              FromGeneric(static_cast<int>(std::errc::no_such_file_or_directory)));
    EXPECT_EQ(static_cast<HRESULT>(0x80072740), FromGeneric(static_cast<int>(std::errc::address_in_use)));
    EXPECT_EQ(static_cast<HRESULT>(0x80072733),
              FromGeneric(static_cast<int>(std::errc::operation_would_block)));
}

TEST(SystemErrorMapping, SystemCategoryUsesTheNumber) {
    const std::system_error denied(std::error_code(5, std::system_category()));
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), Tool_HResultFromException(&denied));
    const std::system_error sharing(std::error_code(ERROR_SHARING_VIOLATION, std::system_category()));
    EXPECT_EQ(static_cast<HRESULT>(0x80070020), Tool_HResultFromException(&sharing));
}

TEST(SystemErrorMapping, SystemNumberKeepsOnlyItsLow16Bits) {
    const std::system_error wide(std::error_code(0x12345, std::system_category()));
    EXPECT_EQ(static_cast<HRESULT>(0x80072345), Tool_HResultFromException(&wide));
}

TEST(SystemErrorMapping, SystemNumberZeroAndBelowStayAsTheyAre) {
    const std::system_error zero(std::error_code(0, std::system_category()));
    EXPECT_EQ(S_OK, Tool_HResultFromException(&zero));
    const std::system_error negative(std::error_code(-7, std::system_category()));
    EXPECT_EQ(static_cast<HRESULT>(-7), Tool_HResultFromException(&negative));
}

TEST(SystemErrorMapping, GenericCategoryGoesThroughTheTable) {
    const std::system_error missing(std::make_error_code(std::errc::no_such_file_or_directory));
    EXPECT_EQ(static_cast<HRESULT>(0x80070002), Tool_HResultFromException(&missing));
}

TEST(SystemErrorMapping, IostreamCategory) {
    const std::system_error stream(std::make_error_code(std::io_errc::stream));
    EXPECT_EQ(static_cast<HRESULT>(0x8007006E), Tool_HResultFromException(&stream));
    // The stream library's own failure is a system_error of that category.
    const std::ios_base::failure failure("read failed");
    EXPECT_EQ(static_cast<HRESULT>(0x8007006E), Tool_HResultFromException(&failure));
}

TEST(SystemErrorMapping, FutureCategory) {
    const std::system_error broken(std::make_error_code(std::future_errc::broken_promise));
    EXPECT_EQ(static_cast<HRESULT>(0x8007139F), Tool_HResultFromException(&broken));
    const std::system_error retrieved(std::make_error_code(std::future_errc::future_already_retrieved));
    EXPECT_EQ(static_cast<HRESULT>(0x8007139F), Tool_HResultFromException(&retrieved));
}

TEST(SystemErrorMapping, OwnCategoryGivesEFail) {
    const std::system_error own(std::error_code(5, Own()));
    EXPECT_EQ(E_FAIL, Tool_HResultFromException(&own));
}

TEST(SystemErrorMapping, OwnCategoryMappingToAGenericCondition) {
    const std::system_error own(std::error_code(1000 + 12, Own()));
    EXPECT_EQ(E_OUTOFMEMORY, Tool_HResultFromException(&own));
    const std::system_error outside(std::error_code(1000 + 141, Own()));
    EXPECT_EQ(E_FAIL, Tool_HResultFromException(&outside));
}

TEST(SystemErrorMapping, CategoryMappingToSystemConditions) {
    static SystemConditionCategory category;
    const std::system_error error(std::error_code(32, category));
    EXPECT_EQ(static_cast<HRESULT>(0x80070020), Tool_HResultFromException(&error));
    const std::system_error zero(std::error_code(0, category));
    EXPECT_EQ(S_OK, Tool_HResultFromException(&zero));
}

// Exception classes of the standard library, each as its most derived type.
TEST(StandardExceptionMapping, EveryRowOfTheTable) {
    const std::bad_alloc badAlloc;
    const std::bad_cast badCast;
    const std::domain_error domain("d");
    const std::invalid_argument invalid("i");
    const std::length_error length("l");
    const std::out_of_range range("r");
    const std::overflow_error overflow("o");
    const std::runtime_error runtime("x");
    const std::logic_error logic("y");
    const std::underflow_error underflow("u");
    const std::exception plain;
    EXPECT_EQ(E_OUTOFMEMORY, Tool_HResultFromException(&badAlloc));
    EXPECT_EQ(static_cast<HRESULT>(0x8007065D), Tool_HResultFromException(&badCast));
    EXPECT_EQ(E_INVALIDARG, Tool_HResultFromException(&domain));
    EXPECT_EQ(E_INVALIDARG, Tool_HResultFromException(&invalid));
    EXPECT_EQ(static_cast<HRESULT>(0x8007007A), Tool_HResultFromException(&length));
    EXPECT_EQ(static_cast<HRESULT>(0x8000000B), Tool_HResultFromException(&range));
    EXPECT_EQ(static_cast<HRESULT>(0x8002000A), Tool_HResultFromException(&overflow));
    EXPECT_EQ(E_FAIL, Tool_HResultFromException(&runtime));
    EXPECT_EQ(E_FAIL, Tool_HResultFromException(&logic));
    EXPECT_EQ(E_FAIL, Tool_HResultFromException(&underflow));
    EXPECT_EQ(E_FAIL, Tool_HResultFromException(&plain));
}

TEST(StandardExceptionMapping, DerivedClassesAreRecognisedAsTheirBase) {
    const std::bad_array_new_length arrayLength;
    EXPECT_EQ(E_OUTOFMEMORY, Tool_HResultFromException(&arrayLength));
    const std::bad_typeid typeId;
    EXPECT_EQ(E_FAIL, Tool_HResultFromException(&typeId));
    try {
        static_cast<void>(std::vector<int>().at(3));
    } catch (const std::exception& caught) {
        EXPECT_EQ(static_cast<HRESULT>(0x8000000B), Tool_HResultFromException(&caught));
    }
}

TEST(StandardExceptionMapping, NullGivesInvalidArgument) {
    EXPECT_EQ(E_INVALIDARG, Tool_HResultFromException(nullptr));
}

TEST(FrameworkExceptionMapping, EveryRowOfTheTable) {
    CMemoryException memory(FALSE);
    CInvalidArgException invalid(FALSE);
    CFileException file(CFileException::sharingViolation, ERROR_SHARING_VIOLATION);
    COleException ole(static_cast<SCODE>(0x80040154));
    CException other(FALSE);
    EXPECT_EQ(E_OUTOFMEMORY, Tool_HResultFromMFCException(&memory));
    EXPECT_EQ(E_INVALIDARG, Tool_HResultFromMFCException(&invalid));
    EXPECT_EQ(static_cast<HRESULT>(0x80070020), Tool_HResultFromMFCException(&file));
    EXPECT_EQ(static_cast<HRESULT>(0x80040154), Tool_HResultFromMFCException(&ole));
    EXPECT_EQ(E_FAIL, Tool_HResultFromMFCException(&other));
}

TEST(FrameworkExceptionMapping, FileExceptionErrorZeroAnd32) {
    CFileException none(CFileException::none, 0);
    EXPECT_EQ(S_OK, Tool_HResultFromMFCException(&none));
    CFileException sharing(CFileException::sharingViolation, 32);
    EXPECT_EQ(static_cast<HRESULT>(0x80070000 + 32), Tool_HResultFromMFCException(&sharing));
}

TEST(FrameworkExceptionMapping, FileExceptionNumbersOutsideTheWin32Range) {
    CFileException unknown; // -1: no operating-system error known
    EXPECT_EQ(static_cast<HRESULT>(-1), Tool_HResultFromMFCException(&unknown));
    CFileException wide(CFileException::genericException, 0x10005);
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), Tool_HResultFromMFCException(&wide));
}

TEST(FrameworkExceptionMapping, OleExceptionStatusIsUnchanged) {
    COleException success(S_FALSE);
    EXPECT_EQ(S_FALSE, Tool_HResultFromMFCException(&success));
}

TEST(FrameworkExceptionMapping, ThrownExceptionsAsCaught) {
    try {
        AfxThrowFileException(CFileException::accessDenied, ERROR_ACCESS_DENIED, "C:\\x.txt");
    } catch (CException* caught) {
        EXPECT_EQ(static_cast<HRESULT>(0x80070005), Tool_HResultFromMFCException(caught));
        caught->Delete();
    }
    try {
        AfxThrowOleException(DISP_E_TYPEMISMATCH);
    } catch (CException* caught) {
        EXPECT_EQ(DISP_E_TYPEMISMATCH, Tool_HResultFromMFCException(caught));
        caught->Delete();
    }
    try {
        AfxThrowMemoryException();
    } catch (CException* caught) {
        EXPECT_EQ(E_OUTOFMEMORY, Tool_HResultFromMFCException(caught));
        caught->Delete();
    }
}

TEST(FrameworkExceptionMapping, NullGivesInvalidArgument) {
    EXPECT_EQ(E_INVALIDARG, Tool_HResultFromMFCException(nullptr));
}

TEST(FileException, CauseOfOperatingSystemErrors) {
    EXPECT_EQ(CFileException::none, CFileException::OsErrorToException(0));
    EXPECT_EQ(CFileException::fileNotFound, CFileException::OsErrorToException(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(CFileException::sharingViolation, CFileException::OsErrorToException(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(CFileException::diskFull, CFileException::OsErrorToException(ERROR_DISK_FULL));
    EXPECT_EQ(CFileException::genericException, CFileException::OsErrorToException(12345));
}

TEST(FileException, MessageNamesTheFileAndFitsTheBuffer) {
    CFileException missing(CFileException::fileNotFound, ERROR_FILE_NOT_FOUND, "C:\\data\\run.dat");
    char message[64];
    ASSERT_TRUE(missing.GetErrorMessage(message, sizeof message));
    EXPECT_STREQ("C:\\data\\run.dat was not found.", message);
    char small[8];
    ASSERT_TRUE(missing.GetErrorMessage(small, sizeof small));
    EXPECT_STREQ("C:\\data", small);
}
