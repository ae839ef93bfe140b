#include "variant_text.h"

#include <afxdisp.h>

namespace ovs {

namespace {

constexpr VARTYPE kArrayFlag = VT_ARRAY; // 0x2000
constexpr unsigned kLastNamedType = 21;

const char* const kTypeNames[kLastNamedType + 1] = {
    "VT_EMPTY", "VT_NULL",     "VT_I2",    "VT_I4",   "VT_R4",      "VT_R8",      "VT_CY",       "VT_DATE",
    "VT_BSTR",  "VT_DISPATCH", "VT_ERROR", "VT_BOOL", "VT_VARIANT", "VT_UNKNOWN", "VT_DECIMAL,", "None",
    "VT_I1",    "VT_UI1",      "VT_UI2",   "VT_UI4",  "VT_I8",      "VT_UI8"};
constexpr char kOtherName[] = "Other";
constexpr char kArrayName[] = "VT_ARRAY";

// Clears the variant it holds on every road out.
class VariantOwner {
public:
    VariantOwner() { VariantInit(&m_value); }
    ~VariantOwner() { VariantClear(&m_value); }
    VariantOwner(const VariantOwner&) = delete;
    VariantOwner& operator=(const VariantOwner&) = delete;
    VARIANT* get() { return &m_value; }

private:
    VARIANT m_value;
};

std::string Narrow(BSTR text) {
    const int length = static_cast<int>(SysStringLen(text));
    if (length == 0) {
        return std::string();
    }
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, narrow.data(), bytes, nullptr, nullptr);
    return narrow;
}

} // namespace

std::string VariantTypeName(VARTYPE type) {
    const unsigned low = type & 0xFF;
    if ((type & kArrayFlag) != 0) {
        std::string name = kArrayName;
        if (low <= kLastNamedType) {
            name += " (";
            name += kTypeNames[low];
            name += ")";
        }
        return name;
    }
    return low <= kLastNamedType ? kTypeNames[low] : kOtherName;
}

std::string VariantText(const VARIANT& value) {
    const VARTYPE type = value.vt;
    std::string text = VariantTypeName(type);
    // Arrays and types above the named ones are shown by their name alone. They are not copied at
    // all: a copy would only be cleared again, and the variant functions refuse to copy some of
    // these types (VT_CLSID, for one), which must not turn a report line into an exception.
    if ((type & kArrayFlag) != 0 || (type & 0xFF) > kLastNamedType) {
        return text;
    }
    VariantOwner copy;
    // The source is only read; some SDKs declare it without const.
    AfxCheckError(VariantCopy(copy.get(), const_cast<VARIANT*>(&value)));
    if (copy.get()->vt == VT_EMPTY) {
        return text;
    }
    if (FAILED(VariantChangeType(copy.get(), copy.get(), 0, VT_BSTR)) || copy.get()->vt != VT_BSTR) {
        return text;
    }
    return text + " " + Narrow(copy.get()->bstrVal);
}

} // namespace ovs
