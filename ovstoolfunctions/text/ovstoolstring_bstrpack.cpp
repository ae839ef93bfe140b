// Binary data packed into a UTF-16 string in two forms: escaped 16-bit units (no code unit below
// 0x80 and no surrogate) and 15-bit units offset by 0x100. Both carry the byte count first, as a
// 32-bit little-endian number.
#include "ovstoolstring.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace {

constexpr WCHAR kEscapeLow = 0x8000;  // precedes a unit <= 0x7F or 0x8000, written as unit | 0x80
constexpr WCHAR kEscapeHigh = 0x8800; // precedes 0x8800 or a surrogate, written as unit & 0x7FFF
constexpr unsigned kBitsPerUnit = 15;
constexpr WCHAR kUnitOffset = 0x100;
constexpr size_t kCountBytes = 4;

// The 16-bit units of method 0 before escaping: the count's low and high words, then the data.
template <typename Emit>
void ForEachUnit(const BYTE* data, uint32_t count, Emit emit) {
    emit(static_cast<WCHAR>(count & 0xFFFF));
    emit(static_cast<WCHAR>(count >> 16));
    for (uint32_t i = 0; i < count; i += 2) {
        const unsigned high = i + 1 < count ? data[i + 1] : 0;
        emit(static_cast<WCHAR>(data[i] | high << 8));
    }
}

bool NeedsLowEscape(WCHAR unit) {
    return unit <= 0x7F || unit == kEscapeLow;
}
bool NeedsHighEscape(WCHAR unit) {
    return unit == kEscapeHigh || (unit >= 0xD800 && unit <= 0xDFFF);
}

HRESULT EncodeEscaped(const BYTE* data, uint32_t count, BSTR* out) {
    size_t units = 1;
    ForEachUnit(data, count,
                [&units](WCHAR unit) { units += NeedsLowEscape(unit) || NeedsHighEscape(unit) ? 2 : 1; });
    if (units > std::numeric_limits<UINT>::max()) {
        return E_OUTOFMEMORY;
    }
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(units));
    if (text == nullptr) {
        return E_OUTOFMEMORY;
    }
    WCHAR* next = text;
    *next++ = OVS_BSTR_ESCAPED16_MARK;
    ForEachUnit(data, count, [&next](WCHAR unit) {
        if (NeedsLowEscape(unit)) {
            *next++ = kEscapeLow;
            *next++ = static_cast<WCHAR>(unit | 0x80);
        } else if (NeedsHighEscape(unit)) {
            *next++ = kEscapeHigh;
            *next++ = static_cast<WCHAR>(unit & 0x7FFF);
        } else {
            *next++ = unit;
        }
    });
    *out = text;
    return S_OK;
}

HRESULT EncodePacked(const BYTE* data, uint32_t count, BSTR* out) {
    const uint64_t bits = uint64_t{count} * 8 + kCountBytes * 8;
    const uint64_t units = (bits + kBitsPerUnit - 1) / kBitsPerUnit;
    if (units + 1 > std::numeric_limits<UINT>::max()) {
        return E_OUTOFMEMORY;
    }
    if (*out != nullptr) {
        SysFreeString(*out);
        *out = nullptr;
    }
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(units + 1));
    if (text == nullptr) {
        return E_OUTOFMEMORY;
    }
    text[0] = OVS_BSTR_PACKED15_MARK;
    // Byte i of the stream: the count's four bytes, then the data, zero beyond its end.
    auto streamByte = [data, count](uint64_t i) -> unsigned {
        if (i < kCountBytes) {
            return (count >> (8 * i)) & 0xFF;
        }
        return i - kCountBytes < count ? data[i - kCountBytes] : 0;
    };
    for (uint64_t u = 0; u < units; ++u) {
        const uint64_t firstBit = u * kBitsPerUnit;
        const uint64_t firstByte = firstBit / 8;
        // 15 bits starting anywhere in a byte lie within three bytes.
        const uint32_t window =
            streamByte(firstByte) | streamByte(firstByte + 1) << 8 | streamByte(firstByte + 2) << 16;
        const unsigned value = (window >> (firstBit % 8)) & 0x7FFF;
        text[u + 1] = static_cast<WCHAR>(value + kUnitOffset);
    }
    *out = text;
    return S_OK;
}

// The units of method 0 with the escapes resolved; false for a broken escape.
bool UnescapeUnits(const WCHAR* text, size_t length, std::vector<WCHAR>& units) {
    units.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const WCHAR unit = text[i];
        if (unit == kEscapeLow || unit == kEscapeHigh) {
            if (i + 1 >= length) {
                return false;
            }
            const WCHAR next = text[++i];
            if (unit == kEscapeLow) {
                if (next != 0x8080 && (next < 0x80 || next > 0xFF)) {
                    return false;
                }
                units.push_back(static_cast<WCHAR>(next & 0xFF7F));
            } else {
                if (next != 0x0800 && (next < 0x5800 || next > 0x5FFF)) {
                    return false;
                }
                units.push_back(static_cast<WCHAR>(next | 0x8000));
            }
        } else {
            units.push_back(unit);
        }
    }
    return true;
}

// A task-memory copy of count bytes produced by fill(block); null for no bytes.
template <typename Fill>
HRESULT HandOut(uint32_t count, BYTE** data, DWORD* byteCount, Fill fill) {
    BYTE* block = nullptr;
    if (count > 0) {
        block = static_cast<BYTE*>(CoTaskMemAlloc(count));
        if (block == nullptr) {
            return E_OUTOFMEMORY;
        }
        fill(block);
    }
    *data = block;
    *byteCount = count;
    return S_OK;
}

HRESULT DecodeEscaped(const WCHAR* text, size_t length, BYTE** data, DWORD* byteCount) {
    std::vector<WCHAR> units;
    if (!UnescapeUnits(text, length, units) || units.size() < 2) {
        return E_UNEXPECTED;
    }
    const uint32_t count = units[0] | static_cast<uint32_t>(units[1]) << 16;
    if (units.size() - 2 != (uint64_t{count} + 1) / 2) {
        return E_UNEXPECTED;
    }
    return HandOut(count, data, byteCount, [&units, count](BYTE* block) {
        for (uint32_t i = 0; i < count; ++i) {
            const WCHAR unit = units[2 + i / 2];
            block[i] = static_cast<BYTE>(i % 2 == 0 ? unit & 0xFF : unit >> 8);
        }
    });
}

HRESULT DecodePacked(const WCHAR* text, size_t length, BYTE** data, DWORD* byteCount) {
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < kUnitOffset || text[i] >= kUnitOffset + 0x8000) {
            return E_UNEXPECTED;
        }
    }
    const auto streamBytes = [text, length](uint64_t firstByte, size_t byteTotal, BYTE* out) {
        for (size_t b = 0; b < byteTotal; ++b) {
            unsigned value = 0;
            for (unsigned bit = 0; bit < 8; ++bit) {
                const uint64_t streamBit = (firstByte + b) * 8 + bit;
                const uint64_t unit = streamBit / kBitsPerUnit;
                if (unit < length && ((text[unit] - kUnitOffset) >> (streamBit % kBitsPerUnit) & 1) != 0) {
                    value |= 1u << bit;
                }
            }
            out[b] = static_cast<BYTE>(value);
        }
    };
    if (length * kBitsPerUnit < kCountBytes * 8) {
        return E_UNEXPECTED;
    }
    BYTE prefix[kCountBytes];
    streamBytes(0, kCountBytes, prefix);
    uint32_t count = 0;
    std::memcpy(&count, prefix, sizeof count);
    const uint64_t needed = ((uint64_t{count} + kCountBytes) * 8 + kBitsPerUnit - 1) / kBitsPerUnit;
    if (length != needed) {
        return E_UNEXPECTED;
    }
    return HandOut(count, data, byteCount,
                   [&streamBytes, count](BYTE* block) { streamBytes(kCountBytes, count, block); });
}

} // namespace

HRESULT Tool_BSTREncode(const BYTE* pData, int nByteCount, BSTR* pbstrOut, int nMethod) {
    if (pData == nullptr || pbstrOut == nullptr || nByteCount <= 0 || (nMethod != 0 && nMethod != 1)) {
        return E_INVALIDARG;
    }
    const uint32_t count = static_cast<uint32_t>(nByteCount);
    return nMethod == 0 ? EncodeEscaped(pData, count, pbstrOut) : EncodePacked(pData, count, pbstrOut);
}

HRESULT Tool_BSTRDecode(BSTR bstrText, BYTE** ppData, DWORD* pdwByteCount) {
    if (bstrText == nullptr || ppData == nullptr || pdwByteCount == nullptr) {
        return E_INVALIDARG;
    }
    const size_t length = SysStringLen(bstrText);
    if (length == 0) {
        return E_INVALIDARG;
    }
    try {
        switch (bstrText[0]) {
            case OVS_BSTR_ESCAPED16_MARK:
                return DecodeEscaped(bstrText + 1, length - 1, ppData, pdwByteCount);
            case OVS_BSTR_PACKED15_MARK:
                return DecodePacked(bstrText + 1, length - 1, ppData, pdwByteCount);
            default:
                return E_INVALIDARG;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
