// Caught exceptions of the standard library and of the framework as HRESULT codes.
#include "test_support.h"
#include "ovstoolvariant.h"

#include <afxdisp.h>

#include <future>
#include <ios>
#include <memory>
#include <new>
#include <stdexcept>
#include <system_error>
#include <typeinfo>

namespace {

// A category of the test's own: codes from 1000 on are the generic condition value - 1000, from 2000 on the
// system's number - 2000, all others conditions of their own.
class OwnCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "own"; }
    std::string message(int) const override { return "own error"; }
    std::error_condition default_error_condition(int value) const noexcept override {
        return value >= 2000   ? std::error_condition(value - 2000, std::system_category())
               : value >= 1000 ? std::error_condition(value - 1000, std::generic_category())
                               : std::error_condition(value, *this);
    }
};

std::shared_ptr<const std::exception> Error(int value, const std::error_category& category) {
    return std::make_shared<std::system_error>(std::error_code(value, category));
}

template <typename E, typename... Args>
std::shared_ptr<const std::exception> Make(Args... args) {
    return std::make_shared<E>(args...);
}

} // namespace

// System errors keep the low 16 bits of a positive number, 0 and below stay as they are; other categories
// go by their condition; the standard library's classes are recognised also through a derived class.
TEST(HResultFromException, EachKindOfErrorOfTheStandardLibraryAndTheFramework) {
    static const OwnCategory own;
    const std::error_category& system = std::system_category();
    const std::error_code stream = std::make_error_code(std::io_errc::stream);
    const std::error_code promise = std::make_error_code(std::future_errc::broken_promise);
    // clang-format off
    const std::pair<std::shared_ptr<const std::exception>, unsigned long> rows[] = {
        {Error(5, system), 0x80070005},             {Error(0x12345, system), 0x80072345},
        {Error(0, system), S_OK},                   {Error(-7, system), 0xFFFFFFF9},
        {Make<std::system_error>(stream), 0x8007006E}, {Make<std::ios_base::failure>("x"), 0x8007006E},
        {Make<std::system_error>(promise), 0x8007139F}, {Error(5, own), E_FAIL},
        {Error(1000 + 12, own), E_OUTOFMEMORY},      {Error(1000 + 141, own), E_FAIL},
        {Error(2000 + 32, own), 0x80070020},  {Error(2000, own), S_OK},
        {Make<std::bad_alloc>(), E_OUTOFMEMORY},     {Make<std::bad_array_new_length>(), E_OUTOFMEMORY},
        {Make<std::bad_cast>(), 0x8007065D},         {Make<std::bad_typeid>(), E_FAIL},
        {Make<std::domain_error>("d"), E_INVALIDARG}, {Make<std::invalid_argument>("i"), E_INVALIDARG},
        {Make<std::length_error>("l"), 0x8007007A},  {Make<std::out_of_range>("r"), 0x8000000B},
        {Make<std::overflow_error>("o"), 0x8002000A}, {Make<std::underflow_error>("u"), E_FAIL},
        {Make<std::runtime_error>("x"), E_FAIL},     {Make<std::exception>(), E_FAIL},
    };
    // clang-format on
    for (const auto& [exception, expected] : rows) {
        EXPECT_EQ(static_cast<HRESULT>(expected), Tool_HResultFromException(exception.get()))
            << typeid(*exception).name() << " " << exception->what();
    }
    EXPECT_EQ(E_INVALIDARG, Tool_HResultFromException(nullptr));
    // Generic conditions go through their table, keyed by the runtime's numbers (EADDRINUSE 100,
    // EWOULDBLOCK 140): its first and last rows, numbers that share a code, the gaps and the ends.
    const std::pair<int, unsigned long> conditions[] = {
        {1, 0x80070005},   {13, 0x80070005},  {2, 0x80070002},  {6, 0x80070002},   {16, 0x800700AA},
        {139, 0x800700AA}, {12, 0x8007000E},  {42, 0x80070246}, {100, 0x80072740}, {129, 0x80004021},
        {132, 0x8002000A}, {140, 0x80072733}, {0, E_FAIL},      {15, E_FAIL},      {43, E_FAIL},
        {114, E_FAIL},     {141, E_FAIL},     {-1, E_FAIL},
    };
    for (const auto& [condition, expected] : conditions) {
        EXPECT_EQ(static_cast<HRESULT>(expected),
                  Tool_HResultFromException(Error(condition, std::generic_category()).get()))
            << "condition " << condition;
    }
    // The framework's exceptions, each given as its base class.
    CMemoryException memory(FALSE);
    CInvalidArgException invalid(FALSE);
    CFileException sharing(CFileException::sharingViolation, ERROR_SHARING_VIOLATION);
    CFileException none(CFileException::none, 0);
    CFileException unknown; // -1: no operating-system error known
    CFileException wide(CFileException::genericException, 0x10005);
    COleException ole(static_cast<SCODE>(0x80040154));
    COleException success(S_FALSE);
    CException other(FALSE);
    const std::pair<const CException*, unsigned long> framework[] = {
        {&memory, E_OUTOFMEMORY}, {&invalid, E_INVALIDARG}, {&sharing, 0x80070020}, {&none, S_OK},
        {&unknown, 0xFFFFFFFF},   {&wide, 0x80070005},      {&ole, 0x80040154},     {&success, S_FALSE},
        {&other, E_FAIL},         {nullptr, E_INVALIDARG},
    };
    for (const auto& [exception, expected] : framework) {
        EXPECT_EQ(static_cast<HRESULT>(expected), Tool_HResultFromMFCException(exception))
            << &exception - &framework[0].first;
    }
}
