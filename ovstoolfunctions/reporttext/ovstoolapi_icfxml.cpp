// ICF settings documents as report text, narrow and wide, and the tag picker.
#include "ovstoolreporttext.h"
#include "reporttext/icf_settings_text.h"
#include "unique_resource.h"

#include <comdef.h>

#include <cstring>

namespace {

constexpr char kTagOpen[] = "<";
constexpr char kClosingTagOpen[] = "</";
constexpr char kTagClose[] = ">";

} // namespace

void Tool_ConvertICFXMLtoText(LPCSTR szXml, CString& strText) {
    strText.Empty();
    if (szXml == nullptr || *szXml == '\0') {
        return;
    }
    const int length = static_cast<int>(std::strlen(szXml));
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, szXml, length, nullptr, 0);
    ovs::unique_bstr xml(SysAllocStringLen(nullptr, static_cast<UINT>(wideLength)));
    if (!xml) {
        throw _com_error(E_OUTOFMEMORY);
    }
    MultiByteToWideChar(CP_ACP, 0, szXml, length, xml.get(), wideLength);
    // The whole text is converted once; code page conversion is per character, so this equals
    // converting each node's text on its own.
    strText = ovs::icf::SettingsText(xml.get()).GetString();
}

void Tool_ConvertICFXMLtoTextW(LPCWSTR szXml, CStringW& strText) {
    strText.Empty();
    if (szXml == nullptr || *szXml == L'\0') {
        return;
    }
    ovs::unique_bstr xml(SysAllocString(szXml));
    if (!xml) {
        throw _com_error(E_OUTOFMEMORY);
    }
    strText = ovs::icf::SettingsText(xml.get());
}

BOOL Tool_PickupElementFromXML(LPCSTR szXml, LPCSTR szTag, int nOccurrence, CString& strText) {
    if (szXml == nullptr || szTag == nullptr || nOccurrence < 0) {
        return FALSE;
    }
    const CString openingTag = CString(kTagOpen) + szTag + kTagClose;
    const CString closingTag = CString(kClosingTagOpen) + szTag + kTagClose;
    const char* found = std::strstr(szXml, openingTag);
    for (int n = 0; found != nullptr && n < nOccurrence; ++n) {
        found = std::strstr(found + openingTag.GetLength(), openingTag);
    }
    if (found == nullptr) {
        return FALSE;
    }
    const char* content = found + openingTag.GetLength();
    const char* closing = std::strstr(content, closingTag);
    const size_t length = closing != nullptr ? static_cast<size_t>(closing - content) : std::strlen(content);
    strText.SetString(content, static_cast<int>(length));
    return TRUE;
}
