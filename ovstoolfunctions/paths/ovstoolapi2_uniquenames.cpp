// Names that do not collide: scratch names in the process temporary folder, numbered and
// incremented names, and names stamped with the local date and time.
#include "ovstooluniquenames.h"
#include "ovstoolpaths.h"
#include "ovstooltemppath.h"
#include "ovsreg.h"
#include "callframe.h"
#include "local_clock.h"
#include "path_elements.h"
#include "path_join.h"

#include <io.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace ovs::paths;

namespace {

constexpr char kFileSubKey[] = "File";
constexpr char kRetryLimitValue[] = "GenTmpNameMaxCount";
constexpr int kDefaultRetryLimit = 10;
constexpr char kProcessSuffixFormat[] = "-%d";
constexpr char kAlreadyExists[] = "File Already exists [%s].";
constexpr char kRetryExceeded[] = "The retry exceeded the upper bound.";
constexpr char kNumberedNameFormat[] = "%s_%d%s";
constexpr char kDateJoiner[] = "_";
constexpr size_t kNumberFieldDigits = 9;
constexpr int kWidestNumber = MAX_PATH - 1;

struct TempNameSettings {
    unsigned retryLimit;
    std::string processSuffix;
};

// Read once per process; a stored 0 means no limit.
const TempNameSettings& Settings() {
    static const TempNameSettings settings = [] {
        const int stored = Tool_GetRegistryInt(OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION, 0, kFileSubKey,
                                               kRetryLimitValue, kDefaultRetryLimit);
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, kProcessSuffixFormat, static_cast<int>(GetCurrentProcessId()));
        return TempNameSettings{stored == 0 ? UINT_MAX : static_cast<unsigned>(stored), suffix};
    }();
    return settings;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The placeholder's folder joined with stem + process suffix + the wanted extension (the
// placeholder's own replaced); empty when a name cannot go through the element rules.
std::string Candidate(const char* placeholder, LPCSTR extension) {
    char longName[MAX_PATH];
    const DWORD length = GetLongPathNameA(placeholder, longName, sizeof longName);
    const std::string name = length > 0 && length < sizeof longName ? longName : placeholder;
    if (CheckElementPath(name) != Refusal::none) {
        return std::string();
    }
    const Elements elements = SplitElements(name);
    const std::string fileName = FileName(elements);
    std::string newExt = extension != nullptr ? extension : "";
    if (!newExt.empty() && newExt.front() != '.') {
        newExt.insert(newExt.begin(), '.');
    }
    const std::string candidate =
        JoinElement(DirectoryPart(elements), Stem(fileName) + Settings().processSuffix + newExt);
    return CheckElementPath(candidate) == Refusal::none ? candidate : std::string();
}

// Offset where the number field starts: the trailing digits, at most the last nine.
size_t NumberFieldStart(std::string_view text) {
    size_t runStart = std::string_view::npos;
    for (size_t i = 0; i < text.size(); i = NextChar(text, i)) {
        const bool digit = NextChar(text, i) == i + 1 && text[i] >= '0' && text[i] <= '9';
        if (!digit) {
            runStart = std::string_view::npos;
        } else if (runStart == std::string_view::npos) {
            runStart = i;
        }
    }
    if (runStart == std::string_view::npos) {
        return text.size();
    }
    return std::max(runStart, text.size() - std::min(text.size(), kNumberFieldDigits));
}

std::string FormatNumber(int number, int width) {
    char text[MAX_PATH + 16];
    std::snprintf(text, sizeof text, "%0*d", std::clamp(width, 0, kWidestNumber), number);
    return text;
}

// The text cut to at most room bytes without splitting a double-byte character.
size_t CutLength(std::string_view text, size_t room) {
    size_t end = 0;
    for (size_t i = 0; i < text.size(); i = NextChar(text, i)) {
        if (NextChar(text, i) > room) {
            break;
        }
        end = NextChar(text, i);
    }
    return end;
}

} // namespace

BOOL Tool_GenerateTempFileName(LPCSTR szPrefix, LPCSTR szExtension, LPSTR szBuffer, int nBufferSize) {
    OVS_REQUIRE_ARG("Tool_GenerateTempFileName", szBuffer != nullptr && nBufferSize > 0, FALSE);
    const TempNameSettings& settings = Settings();
    char folder[MAX_PATH];
    if (Tool_GetProcessTempPath(folder, sizeof folder) == 0) {
        return FALSE;
    }
    unsigned retries = 0;
    for (;;) {
        char placeholder[MAX_PATH] = "";
        if (GetTempFileNameA(folder, szPrefix != nullptr ? szPrefix : "", 0, placeholder) == 0 ||
            _access(placeholder, 0) != 0) {
            return FALSE;
        }
        const std::string candidate = Candidate(placeholder, szExtension);
        const bool deleted = DeleteFileA(placeholder) != FALSE;
        if (candidate.empty()) {
            return FALSE;
        }
        const bool copied = deleted && candidate.size() < static_cast<size_t>(nBufferSize);
        if (copied) {
            std::memcpy(szBuffer, candidate.c_str(), candidate.size() + 1);
        }
        if (!Exists(candidate)) {
            return copied ? TRUE : FALSE;
        }
        Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_WRN, kAlreadyExists, candidate.c_str());
        if (++retries >= settings.retryLimit) {
            Tool_DbgReport(__FILE__, __LINE__, OVS_DBG_ERR, "%s", kRetryExceeded);
            return FALSE;
        }
    }
}

void Tool_IncreaseStringNumber(CString& strText, BOOL bIncrement, int nDigits, BOOL bFixedWidth) {
    std::string text(strText.GetString(), static_cast<size_t>(strText.GetLength()));
    const size_t start = NumberFieldStart(text);
    if (start == text.size()) {
        text += FormatNumber(1, nDigits);
    } else {
        const std::string field = text.substr(start);
        const int number = std::atoi(field.c_str()) + (bIncrement ? 1 : 0);
        const int width = bFixedWidth ? nDigits : static_cast<int>(field.size());
        text = text.substr(0, start) + FormatNumber(number, width);
    }
    strText.SetString(text.data(), static_cast<int>(text.size()));
}

void Tool_IncreaseFilenameNumber(CString& strPath, BOOL bIncrement, int nDigits, BOOL bFixedWidth) {
    const std::string_view path(strPath.GetString(), static_cast<size_t>(strPath.GetLength()));
    if (!IsLogicalPath(path)) {
        if (const Refusal refusal = CheckElementPath(path); refusal != Refusal::none) {
            ReportRefusal(__FILE__, __LINE__, refusal, strPath.GetString());
            return;
        }
    }
    CString dir;
    CString name;
    CString ext;
    Tool_SplitFullPath(strPath, dir, name, ext);
    Tool_IncreaseStringNumber(name, bIncrement, nDigits, bFixedWidth);
    std::string result(dir.GetString());
    if (!result.empty() && ovs::LastSingleByteChar(result) != '\\') {
        result += '\\';
    }
    result.append(name.GetString()).append(ext.GetString());
    if (!IsLogicalPath(result) && CheckElementPath(result) != Refusal::none) {
        ReportRefusal(__FILE__, __LINE__, CheckElementPath(result), result.c_str());
        return;
    }
    strPath.SetString(result.data(), static_cast<int>(result.size()));
}

void Tool_FileNameInc(CString& strPath, LPCSTR szBaseName, short nNumber) {
    const std::string path(strPath.GetString(), static_cast<size_t>(strPath.GetLength()));
    if (const Refusal refusal = CheckElementPath(path); refusal != Refusal::none) {
        ReportRefusal(__FILE__, __LINE__, refusal, path.c_str());
        return;
    }
    const std::string ext = Extension(FileName(SplitElements(path)));
    CString newName;
    newName.Format(kNumberedNameFormat, szBaseName != nullptr ? szBaseName : "", static_cast<int>(nNumber),
                   ext.c_str());
    CString result;
    Tool_ReplaceFileName(path.c_str(), newName, result);
    if (!result.IsEmpty()) {
        strPath = result;
    }
}

int Tool_MakeAutoFileName(LPCSTR szPrefix, LPCSTR szExtension, LPSTR szBuffer, DWORD dwBufferSize) {
    OVS_REQUIRE_ARG("Tool_MakeAutoFileName", szBuffer != nullptr && dwBufferSize > 0, 0);
    szBuffer[0] = '\0';
    std::string name = szPrefix != nullptr ? szPrefix : "";
    const SYSTEMTIME now = ovs::LocalNow();
    char text[MAX_PATH];
    if (GetDateFormatA(GetThreadLocale(), DATE_SHORTDATE, &now, nullptr, text, sizeof text) > 0) {
        if (!name.empty()) {
            name += kDateJoiner;
        }
        name += ReplaceInvalidChars(text, "", '\0');
        if (GetTimeFormatA(GetThreadLocale(), TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER, &now, nullptr, text,
                           sizeof text) > 0) {
            name += ReplaceInvalidChars(text, "", '\0');
        }
    }
    if (szExtension != nullptr) {
        name.append(".").append(szExtension);
    }
    if (name.empty()) {
        return 0;
    }
    const size_t length = CutLength(name, dwBufferSize - 1);
    std::memcpy(szBuffer, name.data(), length);
    szBuffer[length] = '\0';
    return static_cast<int>(length);
}
