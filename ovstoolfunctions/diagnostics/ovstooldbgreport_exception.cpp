// Caught exceptions of the standard library and of the framework turned into HRESULT codes.
#include "ovstoolvariant.h"
#include "generic_condition_hresult.h"

#include <afxdisp.h>

#include <future>
#include <ios>
#include <new>
#include <stdexcept>
#include <system_error>
#include <typeinfo>

namespace {

constexpr HRESULT kBadCast = static_cast<HRESULT>(0x8007065D);
constexpr HRESULT kLengthError = static_cast<HRESULT>(0x8007007A);
constexpr HRESULT kOutOfRange = static_cast<HRESULT>(0x8000000B);
constexpr HRESULT kOverflow = static_cast<HRESULT>(0x8002000A);
constexpr HRESULT kStreamCondition = static_cast<HRESULT>(0x8007006E);
constexpr HRESULT kFutureCondition = static_cast<HRESULT>(0x8007139F);

// A Win32 error number as HRESULT: its low 16 bits in the Win32 facility; 0 and below stay as they are.
HRESULT FromWin32Number(long number) {
    if (number > 0) {
        return static_cast<HRESULT>((static_cast<unsigned long>(number) & 0xFFFF) + 0x80070000UL);
    }
    return static_cast<HRESULT>(number);
}

HRESULT FromSystemError(const std::system_error& error) {
    const std::error_code& code = error.code();
    if (code.category() == std::system_category()) {
        return FromWin32Number(code.value());
    }
    const std::error_condition condition = code.category().default_error_condition(code.value());
    const std::error_category& category = condition.category();
    if (category == std::system_category()) {
        return FromWin32Number(condition.value());
    }
    if (category == std::generic_category()) {
        return ovs::HResultFromGenericCondition(condition.value());
    }
    if (category == std::iostream_category()) {
        return kStreamCondition;
    }
    if (category == std::future_category()) {
        return kFutureCondition;
    }
    return E_FAIL;
}

} // namespace

HRESULT Tool_HResultFromException(const std::exception* pException) {
    if (pException == nullptr) {
        return E_INVALIDARG;
    }
    if (const auto* systemError = dynamic_cast<const std::system_error*>(pException)) {
        return FromSystemError(*systemError);
    }
    if (dynamic_cast<const std::bad_alloc*>(pException) != nullptr) {
        return E_OUTOFMEMORY;
    }
    if (dynamic_cast<const std::bad_cast*>(pException) != nullptr) {
        return kBadCast;
    }
    if (dynamic_cast<const std::domain_error*>(pException) != nullptr ||
        dynamic_cast<const std::invalid_argument*>(pException) != nullptr) {
        return E_INVALIDARG;
    }
    if (dynamic_cast<const std::length_error*>(pException) != nullptr) {
        return kLengthError;
    }
    if (dynamic_cast<const std::out_of_range*>(pException) != nullptr) {
        return kOutOfRange;
    }
    if (dynamic_cast<const std::overflow_error*>(pException) != nullptr) {
        return kOverflow;
    }
    return E_FAIL;
}

HRESULT Tool_HResultFromMFCException(const CException* pException) {
    if (pException == nullptr) {
        return E_INVALIDARG;
    }
    if (dynamic_cast<const CMemoryException*>(pException) != nullptr) {
        return E_OUTOFMEMORY;
    }
    if (dynamic_cast<const CInvalidArgException*>(pException) != nullptr) {
        return E_INVALIDARG;
    }
    if (const auto* fileError = dynamic_cast<const CFileException*>(pException)) {
        return FromWin32Number(fileError->m_lOsError);
    }
    if (const auto* oleError = dynamic_cast<const COleException*>(pException)) {
        return oleError->m_sc;
    }
    return E_FAIL;
}
