// Row-selection lists ("1-3, 5") read into sorted rows and written back, and the 16-bit checksum.
#include "ovstoolstring.h"

#include <bitset>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr unsigned kLastRow = 65535;
using RowSet = std::bitset<kLastRow + 1>;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// -(p + 1) for an error at byte p of the text as passed in.
int ErrorAt(size_t position) {
    return -static_cast<int>(position) - 1;
}

// One number of an item, between `from` and `to` (exclusive): blanks around it, digits only, 1 to
// 65535. The value, or an error: at the first offending byte, at the first digit when out of range,
// and at `emptyError` when there is no number at all.
struct NumberResult {
    unsigned value = 0;
    size_t start = 0;
    int error = 0;
};

NumberResult ReadNumber(const char* text, size_t from, size_t to, size_t emptyError) {
    NumberResult result;
    size_t p = from;
    while (p < to && IsBlank(text[p])) {
        ++p;
    }
    result.start = p;
    if (p == to) {
        result.error = ErrorAt(emptyError);
        return result;
    }
    unsigned long long value = 0;
    for (; p < to && IsDigit(text[p]); ++p) {
        if (value <= kLastRow) {
            value = value * 10 + static_cast<unsigned>(text[p] - '0');
        }
    }
    if (p == result.start) {
        result.error = ErrorAt(p);
        return result;
    }
    size_t q = p;
    while (q < to && IsBlank(text[q])) {
        ++q;
    }
    if (q < to) {
        result.error = ErrorAt(q);
        return result;
    }
    if (value < 1 || value > kLastRow) {
        result.error = ErrorAt(result.start);
        return result;
    }
    result.value = static_cast<unsigned>(value);
    return result;
}

// Reads the item text[from, to) into rows; 0 or an error.
int ReadItem(const char* text, size_t from, size_t to, RowSet& rows) {
    size_t dash = to;
    for (size_t p = from; p < to; ++p) {
        if (text[p] == '-') {
            if (dash != to) {
                return ErrorAt(p);
            }
            dash = p;
        }
    }
    if (dash == to) {
        const NumberResult single = ReadNumber(text, from, to, to);
        if (single.error != 0) {
            return single.error;
        }
        rows.set(single.value);
        return 0;
    }
    const NumberResult first = ReadNumber(text, from, dash, dash);
    if (first.error != 0) {
        return first.error;
    }
    const NumberResult second = ReadNumber(text, dash + 1, to, dash);
    if (second.error != 0) {
        return second.error;
    }
    if (first.value >= second.value) {
        return ErrorAt(second.start);
    }
    for (unsigned row = first.value; row <= second.value; ++row) {
        rows.set(row);
    }
    return 0;
}

int ReadRows(const char* text, CWordArray& rows, DWORD* first, DWORD* last) {
    size_t begin = 0;
    size_t end = std::strlen(text);
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    if (begin == end) {
        return -1;
    }
    if (text[begin] == ',') {
        return ErrorAt(begin);
    }
    for (size_t p = begin + 1; p < end; ++p) {
        if (text[p] == ',' && text[p - 1] == ',') {
            return ErrorAt(p);
        }
    }
    if (text[end - 1] == ',') {
        return ErrorAt(end - 1);
    }
    auto selected = std::make_unique<RowSet>();
    for (size_t from = begin; from < end;) {
        const void* comma = std::memchr(text + from, ',', end - from);
        const size_t to =
            comma != nullptr ? static_cast<size_t>(static_cast<const char*>(comma) - text) : end;
        const int error = ReadItem(text, from, to, *selected);
        if (error != 0) {
            return error;
        }
        from = to + 1;
    }
    const int count = static_cast<int>(selected->count());
    rows.SetSize(count);
    int next = 0;
    for (unsigned row = 1; row <= kLastRow; ++row) {
        if (selected->test(row)) {
            rows[next++] = static_cast<WORD>(row);
        }
    }
    if (first != nullptr) {
        *first = rows[0];
    }
    if (last != nullptr) {
        *last = rows[count - 1];
    }
    return count;
}

} // namespace

int Tool_GetSelectedRowsNumber(LPCSTR szText, CWordArray& rows, DWORD* pdwFirst, DWORD* pdwLast) {
    rows.RemoveAll();
    if (pdwFirst != nullptr) {
        *pdwFirst = 0;
    }
    if (pdwLast != nullptr) {
        *pdwLast = 0;
    }
    if (szText == nullptr) {
        return -1;
    }
    try {
        return ReadRows(szText, rows, pdwFirst, pdwLast);
    } catch (const std::bad_alloc&) {
        rows.RemoveAll();
        return -1;
    }
}

void Tool_GetSelectedRowsString(const CWordArray& rows, CString& strOut) {
    strOut.Empty();
    const INT_PTR size = rows.GetSize();
    if (size == 0) {
        return;
    }
    std::vector<bool> present(kLastRow + 2, false);
    for (INT_PTR i = 0; i < size; ++i) {
        present[rows[i]] = true;
    }
    for (unsigned row = 1; row <= kLastRow; ++row) {
        if (!present[row]) {
            continue;
        }
        unsigned runEnd = row;
        while (present[runEnd + 1]) {
            ++runEnd;
        }
        if (!strOut.IsEmpty()) {
            strOut += ',';
        }
        if (runEnd > row) {
            strOut.AppendFormat("%u-%u", row, runEnd);
        } else {
            strOut.AppendFormat("%u", row);
        }
        row = runEnd;
    }
}

DWORD Tool_CheckSum(const WORD* pData, DWORD dwByteCount, WORD* pwSum) {
    if (pwSum == nullptr) {
        return 0;
    }
    *pwSum = 0;
    if (pData == nullptr || dwByteCount < 2) {
        return 0;
    }
    const DWORD words = dwByteCount / 2;
    WORD sum = 0;
    for (DWORD i = 0; i < words; ++i) {
        sum = static_cast<WORD>(sum + pData[i]);
    }
    *pwSum = sum;
    return words;
}
