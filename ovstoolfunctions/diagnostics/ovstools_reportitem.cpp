// The report-item controls registered for a product: value names carry the item numbers, value
// texts name the controls.
#include "ovstoolhost.h"

#include "unique_resource.h"

#include <cstring>

namespace {

constexpr char kReportItemKeyFormat[] = "%s\\CurrentVersion\\%s\\%s";
constexpr char kReportItem[] = "ReportItem";
constexpr char kOcx[] = "OCX";
constexpr DWORD kItemBufferSize = 260;

// The name's leading decimal digits, kept to 16 bits as the number grows (so 70000 gives 4464);
// 0 when the name does not start with a digit. Signs and blanks are not digits.
WORD ItemNumber(LPCSTR name) {
    WORD number = 0;
    for (; *name >= '0' && *name <= '9'; ++name) {
        number = static_cast<WORD>(number * 10 + (*name - '0'));
    }
    return number;
}

// Appends the pair, or neither of them when an append throws; false then.
bool AppendItem(CStringArray& strArray, CWordArray& wArray, const CString& text, WORD number) {
    try {
        strArray.Add(text);
    } catch (CException* e) {
        e->Delete();
        return false;
    }
    try {
        wArray.Add(number);
    } catch (CException* e) {
        e->Delete();
        strArray.RemoveAt(strArray.GetUpperBound());
        return false;
    }
    return true;
}

} // namespace

BOOL Tool_EnumReportItemOCX(LPCSTR szRoot, CStringArray& strArray, CWordArray& wArray) {
    if (szRoot == nullptr) {
        return TRUE;
    }
    CString keyPath;
    keyPath.Format(kReportItemKeyFormat, szRoot, kReportItem, kOcx);
    ovs::unique_hkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.GetString(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return TRUE;
    }
    for (DWORD index = 0;; ++index) {
        char name[kItemBufferSize];
        BYTE data[kItemBufferSize];
        DWORD nameSize = kItemBufferSize;
        DWORD dataSize = kItemBufferSize;
        DWORD type = REG_NONE;
        const LONG status = RegEnumValueA(key.get(), index, name, &nameSize, nullptr, &type, data, &dataSize);
        if (status == ERROR_MORE_DATA ||
            (status == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ)) {
            continue; // a name or text over 260 bytes, or no text: not an item
        }
        if (status != ERROR_SUCCESS) {
            break; // ERROR_NO_MORE_ITEMS ends the list; any other failure ends it too
        }
        const char* text = reinterpret_cast<const char*>(data);
        const CString item(text, static_cast<int>(strnlen(text, dataSize)));
        if (!AppendItem(strArray, wArray, item, ItemNumber(name))) {
            break;
        }
    }
    return TRUE;
}
